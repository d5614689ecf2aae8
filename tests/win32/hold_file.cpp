// Windows test tool: holds a file open the way the game holds a recording it
// is writing (write access, no write sharing for others), runs a command
// while it does, and exits with that command's status.
//   hold_file FILE PROGRAM [ARGS...]
#include <windows.h>

#include <process.h>  // _wspawnv

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: hold_file FILE PROGRAM [ARGS...]\n", stderr);
    return 125;
  }
  HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fputs("hold_file: cannot open the file to hold\n", stderr);
    return 125;
  }
  std::fflush(stdout);
  intptr_t status = _wspawnv(_P_WAIT, argv[2], argv + 2);
  CloseHandle(held);
  return static_cast<int>(status);
}
