// POSIX build: the line input that stands in for the folder dialog.
#pragma once

#include <string>

// Reads one line of typed text from standard input, echoed as typed, without
// taking any byte past the line's end (the menu reads its keys from the same
// input). False at end of input.
bool console_read_line(std::wstring* line);
