// Windows build: the system's own text for an error code.
#pragma once

#include <string>

std::wstring system_error_text(unsigned long code);
