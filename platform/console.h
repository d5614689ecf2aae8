// Console text: the program's output, its error messages and key input.
#pragma once

#include <string>

// Formats like wprintf and writes the result to standard output. Only "%ls"
// (a wide string), "%d" (an int) and "%%" are understood; anything else is
// written as it stands. Arguments are never re-read as formats, so a "%d" in
// a file name prints as it is.
void print_out(const wchar_t* format, ...);

// Writes text to standard output or standard error. Characters the output
// cannot show come out as "?"; the rest of the line is kept.
void console_write(const std::wstring& text);
void console_write_error(const std::wstring& text);
void console_flush();

// Interactive mode's output switch: UTF-16 text on Windows, nothing to do on
// POSIX, where output is always in the locale's encoding.
void console_use_utf16();

// Reads one keystroke without echo and without waiting for Enter (one byte
// when standard input is not a terminal). Returns the character code, or -1
// when no key can be read at all (end of input, no console).
int console_read_key();

// How many processes share this process's console window, itself included:
// 1 when Windows opened the window for this program alone (as for a program
// started from Explorer), 0 without a console window. Always 0 on POSIX.
int console_process_count();

// Test hook: while `sink` is set, standard output text is appended to it
// instead of being written.
void console_capture(std::wstring* sink);
