// What each build supplies to console_format.cpp: the raw write of text to
// standard output, in the mode the console is in.
#pragma once

#include <string>

void write_standard_output(const std::wstring& text);
