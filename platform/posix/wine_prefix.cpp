// POSIX build: see wine_prefix.h.
#include "platform/posix/wine_prefix.h"

#include <dirent.h>    // opendir, readdir
#include <sys/stat.h>  // stat

#include <cstdlib>
#include <cwctype>

#include "platform/posix/native_text.h"

namespace {

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `dir` named `name`, exactly or else without regard to case.
bool find_entry(const std::string& dir, const std::wstring& name, std::string* found) {
  std::string exact = to_native(name);
  if (exists(dir + "/" + exact)) {
    *found = exact;
    return true;
  }
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return false;
  bool ok = false;
  while (const dirent* entry = ::readdir(d)) {
    if (same_ignoring_case(from_native(entry->d_name), name)) {
      *found = entry->d_name;
      ok = true;
      break;
    }
  }
  ::closedir(d);
  return ok;
}

}  // namespace

std::string wine_prefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix != nullptr && *prefix != '\0') return prefix;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.wine";
  return std::string();
}

bool resolve_wine_path(const std::wstring& windows_path, std::string* unix_path) {
  if (windows_path.size() < 2 || windows_path[1] != L':' || !std::iswalpha(windows_path[0]) ||
      windows_path[0] > 0x7F)
    return false;
  if (windows_path.size() > 2 && windows_path[2] != L'\\' && windows_path[2] != L'/')
    return false;  // "C:folder" is relative to a drive's own current folder
  std::string prefix = wine_prefix();
  if (prefix.empty()) return false;
  std::string path = prefix + "/dosdevices/" +
                     static_cast<char>(std::towlower(static_cast<wint_t>(windows_path[0]))) + ":";
  if (!exists(path)) return false;
  std::size_t start = 2;
  while (start < windows_path.size()) {
    std::size_t end = windows_path.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = windows_path.size();
    std::wstring part = windows_path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == L".") continue;
    std::string entry;
    if (part == L"..") {
      entry = "..";
    } else if (!find_entry(path, part, &entry)) {
      return false;
    }
    path += "/" + entry;
  }
  *unix_path = path;
  return true;
}
