// Windows build: the process entry, with the command line as UTF-16.
#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  int status = run_program(args);
  std::fflush(stdout);
  return status;
}
