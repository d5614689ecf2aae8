// Windows build: folder_dialog.h over SHBrowseForFolderW.
#include <windows.h>

#include <objbase.h>  // CoInitializeEx: the new dialog style needs COM
#include <shlobj.h>   // SHBrowseForFolderW, SHGetPathFromIDListW, SHGetMalloc

#include "platform/folder_dialog.h"

namespace {

DialogCallback active_callback = nullptr;

int CALLBACK forward_to_callback(HWND window, UINT message, LPARAM param, LPARAM data) {
  return active_callback != nullptr
             ? active_callback(window, message, static_cast<std::intptr_t>(param),
                               static_cast<std::intptr_t>(data))
             : 0;
}

}  // namespace

bool show_folder_dialog(const std::wstring& title, DialogCallback callback, std::intptr_t data,
                        std::wstring* chosen) {
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  active_callback = callback;
  BROWSEINFOW info{};
  info.hwndOwner = nullptr;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = forward_to_callback;
  info.lParam = static_cast<LPARAM>(data);
  info.iImage = 0;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  active_callback = nullptr;
  bool picked = false;
  if (item != nullptr) {
    wchar_t path[MAX_PATH] = L"";
    picked = SHGetPathFromIDListW(item, path) != FALSE;
    if (picked) *chosen = path;
    IMalloc* shell_allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&shell_allocator))) {
      shell_allocator->Free(item);
      shell_allocator->Release();
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return picked;
}

void select_dialog_folder(void* window, const wchar_t* path) {
  SendMessageW(static_cast<HWND>(window), BFFM_SETSELECTIONW, TRUE,
               reinterpret_cast<LPARAM>(path));
}
