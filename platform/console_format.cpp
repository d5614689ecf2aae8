// Formatting of console output and its test capture, shared by both builds.
#include <cstdarg>

#include "platform/console.h"
#include "platform/console_output.h"

namespace {
std::wstring* capture_sink = nullptr;
}

void console_capture(std::wstring* sink) { capture_sink = sink; }

void console_write(const std::wstring& text) {
  if (capture_sink != nullptr) {
    capture_sink->append(text);
    return;
  }
  write_standard_output(text);
}

void print_out(const wchar_t* format, ...) {
  std::wstring text;
  va_list args;
  va_start(args, format);
  for (const wchar_t* p = format; *p != L'\0'; ++p) {
    if (p[0] == L'%' && p[1] == L'%') {
      text += L'%';
      ++p;
    } else if (p[0] == L'%' && p[1] == L'd') {
      text += std::to_wstring(va_arg(args, int));
      ++p;
    } else if (p[0] == L'%' && p[1] == L'l' && p[2] == L's') {
      const wchar_t* s = va_arg(args, const wchar_t*);
      text += s != nullptr ? s : L"(null)";
      p += 2;
    } else {
      text += *p;
    }
  }
  va_end(args);
  console_write(text);
}
