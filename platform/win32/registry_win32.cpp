// Windows build: registry.h over RegOpenKeyExW and RegQueryValueExW.
#include <windows.h>

#include <vector>

#include "platform/registry.h"

bool read_registry_string(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                          std::size_t capacity, std::wstring* data) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                    key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return false;
  // The whole buffer is offered; a value that does not fit fails with
  // ERROR_MORE_DATA. The type is not looked at: the data is taken as text.
  std::vector<wchar_t> buffer(capacity, L'\0');
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(capacity * sizeof(wchar_t));
  LONG status = RegQueryValueExW(opened, name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(buffer.data()), &size);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) return false;
  // API oddity: string data need not end in a zero. Take the text up to the
  // first zero; data that fills the buffer without one leaves no room for
  // the terminator and counts as too long.
  std::size_t chars = size / sizeof(wchar_t);
  std::size_t length = 0;
  while (length < chars && buffer[length] != L'\0') ++length;
  if (length == capacity) return false;
  data->assign(buffer.data(), length);
  return true;
}
