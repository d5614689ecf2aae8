// Where the game keeps its recordings: found through its registry entries,
// or chosen by the user in the folder dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The save folder path holds at most this many characters, its terminating
// zero included, as the game's own MAX_PATH buffers do.
constexpr std::size_t kSavePathCapacity = 261;

// Reads the game's install folder ("Game Path") from the first of its four
// registry locations that has it, and enters its SaveGame subfolder. True
// with `save_path` set to the folder entered, which is then the current
// folder; false, with nothing changed, if no location has the value.
bool locate_save_folder(std::wstring* save_path);

// Enters `path`, then its "SaveGame" subfolder, each only if it can, and
// rewrites `path` with the folder the program then stands in.
void enter_save_folder(std::wstring* path);

// Shows the folder dialog opened on `start` and returns the chosen folder,
// or `start` itself when the dialog is cancelled.
std::wstring browse_for_folder(std::wstring start);

// The dialog's callback: once it is shown, writes "path: " and the starting
// folder (`data`) on its own line and preselects that folder. Returns 0.
int browse_callback(void* window, unsigned message, std::intptr_t param, std::intptr_t data);
