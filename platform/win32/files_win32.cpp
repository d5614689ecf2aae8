// Windows build: files.h over CreateFileW, ReadFile and WriteFile, with the
// offset given in each call so that no file pointer is kept.
#include <windows.h>

#include "platform/files.h"

namespace {

HANDLE to_handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

OVERLAPPED at_offset(std::int64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
  where.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return where;
}

// Directories do not open without FILE_FLAG_BACKUP_SEMANTICS; pipes, consoles
// and devices that do open are refused by their type.
FileHandle open_regular(const std::wstring& name, DWORD access, DWORD share) {
  HANDLE h = CreateFileW(name.c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kNoFile;
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return kNoFile;
  }
  return reinterpret_cast<FileHandle>(h);
}

}  // namespace

FileHandle open_file_for_reading(const std::wstring& name) {
  if (!file_op_allowed(FileOp::OpenRead, name)) return kNoFile;
  // Reading must work while the game has the recording open for writing.
  return open_regular(name, GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

FileHandle open_file_for_update(const std::wstring& name) {
  if (!file_op_allowed(FileOp::OpenUpdate, name)) return kNoFile;
  // Without FILE_SHARE_WRITE: if the game is still writing the recording,
  // the open fails and the file is left alone.
  return open_regular(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
}

std::int64_t read_file_at(FileHandle file, std::int64_t offset, void* buffer,
                          std::size_t size) {
  char* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED where = at_offset(offset + static_cast<std::int64_t>(done));
    DWORD want = size - done > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size - done);
    DWORD got = 0;
    if (!ReadFile(to_handle(file), out + done, want, &got, &where)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<std::int64_t>(done);
}

bool write_file_at(FileHandle file, std::int64_t offset, const void* buffer,
                   std::size_t size) {
  if (!file_op_allowed(FileOp::Write, std::wstring())) return false;
  OVERLAPPED where = at_offset(offset);
  DWORD written = 0;
  return WriteFile(to_handle(file), buffer, static_cast<DWORD>(size), &written, &where) &&
         written == size;
}

// open_regular has refused everything else already.
bool is_regular_file(FileHandle) { return true; }

bool close_file(FileHandle file) {
  bool allowed = file_op_allowed(FileOp::Close, std::wstring());
  bool closed = CloseHandle(to_handle(file)) != 0;
  return allowed && closed;
}
