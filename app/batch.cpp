// Batch mode: one folder (or one file) named on the command line.
#include "app/program.h"
#include "platform/console.h"
#include "platform/folders.h"
#include "repair/repair.h"

int run_batch(const std::wstring& target) {
  std::wstring error;
  if (enter_folder(target, &error)) {
    repair_folder();
    return 0;
  }
  // A single recording dropped on the program.
  if (is_existing_file(target)) {
    print_out(L"%ls => ", target.c_str());
    repair_file(target);
    return 0;
  }
  // Never fall back to the folder the program was started in: those are not
  // the files the user asked for.
  console_write_error(L"mg1repair: cannot open folder \"" + target + L"\": " + error + L"\n");
  return 2;
}
