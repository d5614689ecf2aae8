// POSIX build: files.h over open(2), pread(2) and pwrite(2).
#include <fcntl.h>     // open, O_* flags
#include <sys/stat.h>  // fstat, S_ISREG
#include <unistd.h>    // pread, pwrite, close

#include <cerrno>

#include "platform/files.h"
#include "platform/posix/native_text.h"

namespace {

// O_NONBLOCK keeps open() of a FIFO from waiting for a writer, and reads
// from it from waiting for data. O_NOCTTY keeps a terminal device from
// becoming ours.
int open_nonblocking(const std::wstring& name, int access) {
  return ::open(to_native(name).c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

}  // namespace

FileHandle open_file_for_reading(const std::wstring& name) {
  if (!file_op_allowed(FileOp::OpenRead, name)) return kNoFile;
  int fd = open_nonblocking(name, O_RDONLY);
  return fd < 0 ? kNoFile : fd;
}

bool is_regular_file(FileHandle file) {
  struct stat st;
  return ::fstat(static_cast<int>(file), &st) == 0 && S_ISREG(st.st_mode);
}

FileHandle open_file_for_update(const std::wstring& name) {
  if (!file_op_allowed(FileOp::OpenUpdate, name)) return kNoFile;
  int fd = open_nonblocking(name, O_RDWR);
  return fd < 0 ? kNoFile : fd;
}

std::int64_t read_file_at(FileHandle file, std::int64_t offset, void* buffer,
                          std::size_t size) {
  char* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(static_cast<int>(file), out + done, size - done,
                        static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

bool write_file_at(FileHandle file, std::int64_t offset, const void* buffer,
                   std::size_t size) {
  if (!file_op_allowed(FileOp::Write, std::wstring())) return false;
  const char* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(static_cast<int>(file), in + done, size - done,
                         static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool close_file(FileHandle file) {
  bool allowed = file_op_allowed(FileOp::Close, std::wstring());
  // The handle is released even when a fault is injected, as after a real
  // failed close(2).
  bool closed = ::close(static_cast<int>(file)) == 0;
  return allowed && closed;
}
