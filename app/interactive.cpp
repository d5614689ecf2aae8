// Interactive mode: the menu over the game's save folder.
#include "app/program.h"
#include "platform/console.h"
#include "repair/repair.h"
#include "repair/tally.h"
#include "savefolder/save_folder.h"

namespace {

constexpr int kKeyRepair = '1';
constexpr int kKeyChooseFolder = '2';
constexpr int kKeyExit = '3';

void print_status_line(const std::wstring& save_path, bool save_path_known) {
  if (save_path_known)
    print_out(L"\nSaveGame path: %ls\n", save_path.c_str());
  else
    print_out(L"\nSaveGame path: NOT FOUND. You must specify it manually");
}

void print_menu() {
  print_out(L"    1: Repair\n");
  print_out(L"    2: Set SaveGame folder\n");
  print_out(L"    3: Exit\n");
  print_out(L">");
}

void repair_and_summarise() {
  print_out(L"Repairing files...\n");
  repair_folder();
  print_out(L"\n%d files scanned\n%d recordings repaired\n%d files are not valid recordings\n",
            repair_tally.files_scanned, repair_tally.recordings_repaired,
            repair_tally.invalid_files);
  reset_tally();
}

}  // namespace

void run_interactive() {
  console_use_utf16();
  std::wstring save_path;
  bool save_path_known = locate_save_folder(&save_path);
  print_out(L"Drakmoor Recorded Games Repairer v2.0\n");
  for (;;) {
    print_status_line(save_path, save_path_known);
    print_menu();
    int key = console_read_key();
    print_out(L"\n");
    // No key can be read (input ended, no console): nobody is there to
    // choose, so end as if Exit had been chosen rather than loop forever.
    if (key < 0 || key == kKeyExit) break;
    if (key == kKeyRepair) {
      repair_and_summarise();
    } else if (key == kKeyChooseFolder) {
      print_out(L"folder\n");
      save_path = browse_for_folder(save_path);
      enter_save_folder(&save_path);
      save_path_known = true;
    } else {
      print_out(L"Invalid selection\n");
    }
  }
  console_flush();
}
