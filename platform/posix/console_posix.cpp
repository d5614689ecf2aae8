// POSIX build: console.h over stdio and termios. Text goes out in the
// locale's encoding; keys come from the terminal in non-canonical mode.
#include <signal.h>   // sigaction, raise
#include <termios.h>  // tcgetattr, tcsetattr
#include <unistd.h>   // read, isatty

#include <cerrno>
#include <cstdio>

#include "platform/console.h"
#include "platform/console_output.h"
#include "platform/posix/console_line.h"
#include "platform/posix/native_text.h"

namespace {

termios saved_terminal;
volatile sig_atomic_t terminal_changed = 0;

void restore_terminal() {
  if (terminal_changed) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
    terminal_changed = 0;
  }
}

// Ctrl-C, a hang-up or a kill while waiting for a key must not leave the
// user's terminal without echo: put it back, then die of the same signal.
void restore_and_reraise(int signal_number) {
  restore_terminal();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void install_terminal_guard() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action {};
  action.sa_handler = restore_and_reraise;
  sigemptyset(&action.sa_mask);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::sigaction(s, &action, nullptr);
}

// One byte from standard input, retried when a signal interrupts the read.
// -1 at end of input or on an error.
int read_byte() {
  unsigned char c = 0;
  for (;;) {
    ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n == 1) return c;
    if (n < 0 && errno == EINTR) continue;
    return -1;
  }
}

}  // namespace

void write_standard_output(const std::wstring& text) {
  std::string bytes = to_display(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void console_write_error(const std::wstring& text) {
  std::fflush(stdout);
  std::string bytes = to_display(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

void console_flush() { std::fflush(stdout); }

void console_use_utf16() {}

int console_read_key() {
  if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &saved_terminal) != 0) {
    console_flush();
    return read_byte();
  }
  install_terminal_guard();
  termios raw = saved_terminal;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  terminal_changed = 1;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  // The prompt goes out only once keys are taken raw, so a key pressed the
  // moment the prompt shows is neither echoed nor held back for Enter.
  console_flush();
  int key = read_byte();
  // One keypress can send several bytes (an arrow key's escape sequence, a
  // letter outside ASCII): take them all, so that it counts as one key.
  raw.c_cc[VMIN] = 0;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  unsigned char rest[16];
  while (::read(STDIN_FILENO, rest, sizeof rest) > 0) {
  }
  restore_terminal();
  // Ctrl-D on an empty line has no special meaning here; treat it as the
  // end of input, like a closed pipe.
  return key == 0x04 ? -1 : key;
}

bool console_read_line(std::wstring* line) {
  console_flush();
  std::string bytes;
  int c = read_byte();
  if (c < 0) return false;
  while (c >= 0 && c != '\n') {
    bytes += static_cast<char>(c);
    c = read_byte();
  }
  if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  *line = from_native(bytes);
  return true;
}

int console_process_count() { return 0; }
