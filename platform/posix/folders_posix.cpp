// POSIX build: folders.h over chdir(2), getcwd(3) and readdir(3).
#include <dirent.h>    // opendir, readdir
#include <sys/stat.h>  // stat
#include <unistd.h>    // chdir, getcwd

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/folders.h"
#include "platform/posix/native_text.h"
#include "platform/posix/wine_prefix.h"

namespace {

std::wstring error_text(int error) {
  return from_native(std::strerror(error));
}

// "*.mg1" with ASCII case folded, as the Windows build matches it.
bool matches_recording(const char* name) {
  std::size_t n = std::strlen(name);
  if (n < 4) return false;
  const char* ext = name + n - 4;
  return ext[0] == '.' && (ext[1] | 0x20) == 'm' && (ext[2] | 0x20) == 'g' &&
         ext[3] == '1';
}

}  // namespace

bool enter_folder(const std::wstring& path, std::wstring* error) {
  if (::chdir(to_native(path).c_str()) == 0) return true;
  int failure = errno;
  // The game runs under Wine, so its registry and its players speak of
  // folders as "C:\...": find those in the Wine prefix.
  std::string unix_path;
  if (resolve_wine_path(path, &unix_path)) {
    if (::chdir(unix_path.c_str()) == 0) return true;
    failure = errno;
  }
  if (error != nullptr) *error = error_text(failure);
  return false;
}

std::wstring current_folder() {
  std::string buf(4096, '\0');
  while (::getcwd(&buf[0], buf.size()) == nullptr) {
    if (errno != ERANGE) return std::wstring();
    buf.resize(buf.size() * 2);
  }
  buf.resize(std::strlen(buf.c_str()));
  return from_native(buf);
}

bool is_existing_file(const std::wstring& path) {
  struct stat st;
  return ::stat(to_native(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool list_recordings(std::vector<std::wstring>* names, std::wstring* error) {
  DIR* dir = ::opendir(".");
  if (dir == nullptr) {
    if (error != nullptr) *error = error_text(errno);
    return false;
  }
  std::vector<std::string> found;
  bool ok = true;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) {
        ok = false;
        if (error != nullptr) *error = error_text(errno);
      }
      break;
    }
    if (matches_recording(entry->d_name)) found.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  // readdir's order is the file system's; sorted bytes read better and stay
  // the same from run to run.
  std::sort(found.begin(), found.end());
  names->reserve(names->size() + found.size());
  for (const std::string& name : found) names->push_back(from_native(name));
  return ok;
}
