// Letting the user choose the folder in the shell's folder dialog.
#include "platform/console.h"
#include "platform/folder_dialog.h"
#include "savefolder/save_folder.h"

int browse_callback(void* window, unsigned message, std::intptr_t, std::intptr_t data) {
  if (message == kDialogInitialized) {
    const wchar_t* start = reinterpret_cast<const wchar_t*>(data);
    console_write(std::wstring(L"path: ") + start + L"\n");
    console_flush();
    select_dialog_folder(window, start);
  }
  return 0;
}

std::wstring browse_for_folder(std::wstring start) {
  std::wstring chosen;
  if (show_folder_dialog(L"Browse for folder...", browse_callback,
                         reinterpret_cast<std::intptr_t>(start.c_str()), &chosen))
    return chosen;
  return start;
}
