// Windows build: console.h. A real console gets its text through
// WriteConsoleW, so every character shows whatever the code page; redirected
// output goes through the C runtime's streams: narrow text in the default
// mode (batch), UTF-16 text after console_use_utf16 (interactive).
#include <windows.h>

#include <conio.h>  // _getwch
#include <fcntl.h>  // _O_U16TEXT
#include <io.h>     // _setmode, _read

#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/console_output.h"

namespace {

bool utf16_mode = false;

bool is_console(HANDLE h) {
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode) != 0;
}

void write_console(HANDLE h, const std::wstring& text) {
  std::wstring crlf;
  crlf.reserve(text.size() + 8);
  for (wchar_t c : text) {
    if (c == L'\n') crlf += L'\r';
    crlf += c;
  }
  DWORD written = 0;
  WriteConsoleW(h, crlf.data(), static_cast<DWORD>(crlf.size()), &written, nullptr);
}

// The ANSI code page, with "?" for what it cannot show, as the runtime's
// default narrow conversion does; the rest of the line is kept.
std::string to_narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                              0, "?", nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, "?",
                      nullptr);
  return out;
}

void write_stream(FILE* stream, HANDLE h, const std::wstring& text) {
  if (is_console(h)) {
    std::fflush(stream);
    write_console(h, text);
  } else if (utf16_mode && stream == stdout) {
    std::fputws(text.c_str(), stream);
  } else {
    std::string bytes = to_narrow(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
  }
}

}  // namespace

void write_standard_output(const std::wstring& text) {
  write_stream(stdout, GetStdHandle(STD_OUTPUT_HANDLE), text);
}

void console_write_error(const std::wstring& text) {
  std::fflush(stdout);
  write_stream(stderr, GetStdHandle(STD_ERROR_HANDLE), text);
  std::fflush(stderr);
}

void console_flush() { std::fflush(stdout); }

void console_use_utf16() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_U16TEXT);
  utf16_mode = true;
}

int console_read_key() {
  console_flush();
  if (is_console(GetStdHandle(STD_INPUT_HANDLE))) {
    wint_t key = _getwch();
    if (key == WEOF) return -1;
    // API oddity: arrow and function keys come as 0 or 0xE0 followed by a
    // second code. Take both, so that one keypress counts as one key.
    if (key == 0 || key == 0xE0) _getwch();
    return static_cast<int>(key);
  }
  // Redirected input: one byte, so that scripts can drive the menu.
  unsigned char c = 0;
  return _read(0, &c, 1) == 1 ? c : -1;
}

int console_process_count() {
  DWORD processes[2];
  return static_cast<int>(GetConsoleProcessList(processes, 2));
}
