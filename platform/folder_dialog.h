// The shell's modal folder-selection dialog.
#pragma once

#include <cstdint>
#include <string>

// The message the dialog sends its callback once it is shown.
constexpr unsigned kDialogInitialized = 1;

// Called on the calling thread while the dialog runs; `window` identifies the
// dialog, `data` is what show_folder_dialog was given.
using DialogCallback = int (*)(void* window, unsigned message, std::intptr_t param,
                               std::intptr_t data);

// Shows the dialog titled `title`, restricted to file-system folders, and
// waits for it to close. True with the chosen folder's path in `chosen`;
// false when the user cancelled or the choice has no file-system path.
//
// Windows: the shell's browse-for-folder dialog. POSIX: a prompt on the
// console; an empty line or the end of input cancels.
bool show_folder_dialog(const std::wstring& title, DialogCallback callback, std::intptr_t data,
                        std::wstring* chosen);

// From the callback: makes `path` the dialog's selected folder.
void select_dialog_folder(void* window, const wchar_t* path);
