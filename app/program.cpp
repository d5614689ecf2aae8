// Program entry after the platform's own main: one argument is batch mode,
// anything else the interactive menu.
#include "app/program.h"

#include "platform/console.h"

#ifndef MG1REPAIR_VERSION
#define MG1REPAIR_VERSION "0.0.0"
#endif

namespace {

#define WIDEN2(x) L##x
#define WIDEN(x) WIDEN2(x)

const wchar_t kUsage[] =
    L"Usage: mg1repair [FOLDER | FILE]\n"
    L"\n"
    L"Repairs Drakmoor: Ironvale recorded games (*.mg1) that cannot be replayed\n"
    L"because their body offset (the first 4 bytes) is 0 or points at the wrong\n"
    L"place. The tool finds the body by its marker and writes its offset into\n"
    L"those 4 bytes; nothing else in a file is changed, and sound files are left\n"
    L"alone.\n"
    L"\n"
    L"  mg1repair FOLDER   repair every *.mg1 file in FOLDER, one line each\n"
    L"  mg1repair FILE     repair that one file\n"
    L"  mg1repair          menu: find the game's save folder, repair, choose\n"
    L"                     another folder, exit\n"
    L"\n"
    L"Each file gets a line: its name, \" => \" and OK, repaired, scan error\n"
    L"(no body marker: not a valid recording), cannot open file or cannot\n"
    L"write file. Exit status: 0, or 2 when the argument is neither a folder\n"
    L"nor a file; nothing is changed then.\n";

bool is_help_request(const std::wstring& arg) {
  return arg == L"--help" || arg == L"-h" || arg == L"/?";
}

}  // namespace

bool wants_pause_before_exit(int console_processes) { return console_processes == 1; }

int run_program(const std::vector<std::wstring>& args) {
  if (args.size() != 1) {
    run_interactive();
    return 0;
  }
  if (is_help_request(args[0])) {
    print_out(L"%ls", kUsage);
    return 0;
  }
  if (args[0] == L"--version") {
    print_out(L"mg1repair %ls\n", WIDEN(MG1REPAIR_VERSION));
    return 0;
  }
  int status = run_batch(args[0]);
  // A player who drops a folder on the program gets a console window that
  // closes as soon as it ends; keep it open until they have read the lines.
  // A failed key read (no console input) ends the wait at once.
  if (wants_pause_before_exit(console_process_count())) {
    print_out(L"Press any key to close...\n");
    console_read_key();
  }
  return status;
}
