// The program: the choice of mode from the command line, and each mode.
#pragma once

#include <string>
#include <vector>

// Runs the program with its command-line arguments (without the program's
// own name) and returns the exit status: 2 when batch mode was given a
// folder that cannot be entered, 0 otherwise.
int run_program(const std::vector<std::wstring>& args);

// Batch mode: repairs the recordings of the folder `target`, or the file
// `target` itself. Returns the exit status.
int run_batch(const std::wstring& target);

// True when batch mode should wait for a key before ending: only when the
// program has a console window to itself, which closes as soon as it ends
// (a folder dropped on the program in Explorer). Not in a console shared
// with a shell or script, nor without one.
bool wants_pause_before_exit(int console_processes);

// Interactive mode: the menu over the game's save folder.
void run_interactive();
