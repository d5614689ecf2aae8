// POSIX build: the process entry. Arguments arrive as bytes and become wide
// text losslessly, so any folder name given can be entered again.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/posix/native_text.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(from_native(argv[i]));
  int status = run_program(args);
  std::fflush(stdout);
  return status;
}
