// The pass over every recording of the current folder.
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/folders.h"
#include "repair/repair.h"
#include "repair/tally.h"

void repair_folder() {
  std::vector<std::wstring> names;
  std::wstring error;
  bool listed = list_recordings(&names, &error);
  for (const std::wstring& name : names) {
    print_out(L"%ls => ", name.c_str());
    repair_file(name);
    ++repair_tally.files_scanned;
  }
  if (!listed) {
    std::wstring folder = current_folder();
    console_write_error(L"mg1repair: cannot read folder \"" + folder + L"\": " + error + L"\n");
  }
}
