// POSIX build: folder_dialog.h as a prompt on the console. The dialog's
// title is the prompt; the typed line is the chosen folder.
#include "platform/console.h"
#include "platform/folder_dialog.h"
#include "platform/posix/console_line.h"

bool show_folder_dialog(const std::wstring& title, DialogCallback callback, std::intptr_t data,
                        std::wstring* chosen) {
  callback(nullptr, kDialogInitialized, 0, data);
  console_write(title);
  std::wstring line;
  if (!console_read_line(&line) || line.empty()) return false;
  *chosen = line;
  return true;
}

// The prompt has nothing to preselect; the starting folder is what an empty
// answer keeps.
void select_dialog_folder(void*, const wchar_t*) {}
