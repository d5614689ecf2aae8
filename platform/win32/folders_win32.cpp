// Windows build: folders.h over SetCurrentDirectoryW, GetCurrentDirectoryW
// and the FindFirstFileW wildcard search.
#include <windows.h>

#include "platform/folders.h"
#include "platform/win32/system_error.h"

bool enter_folder(const std::wstring& path, std::wstring* error) {
  if (SetCurrentDirectoryW(path.c_str())) return true;
  if (error != nullptr) *error = system_error_text(GetLastError());
  return false;
}

std::wstring current_folder() {
  // API oddity: the length returned includes the terminator when the buffer
  // is too small, and excludes it when the call succeeds.
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), &buf[0]);
    if (n == 0) return std::wstring();
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(n);
  }
}

bool is_existing_file(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool list_recordings(std::vector<std::wstring>* names, std::wstring* error) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(L"*.mg1", &entry);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return true;
    if (error != nullptr) *error = system_error_text(code);
    return false;
  }
  bool ok = true;
  do {
    names->push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  DWORD code = GetLastError();
  if (code != ERROR_NO_MORE_FILES) {
    ok = false;
    if (error != nullptr) *error = system_error_text(code);
  }
  FindClose(search);
  return ok;
}
