// Finding the save folder through the game's registry entries.
#include "platform/folders.h"
#include "platform/registry.h"
#include "savefolder/save_folder.h"

namespace {

struct RegistryLocation {
  RegistryRoot root;
  const wchar_t* key;
};

// One key, seen directly, through 32-bit registry redirection, and through
// the per-user virtualised copy of the machine hive that Windows writes to
// when the game's installer ran without administrator rights.
const RegistryLocation kGameKeys[] = {
    {RegistryRoot::LocalMachine, L"SOFTWARE\\Tollbrook\\Drakmoor: Ironvale\\1.0"},
    {RegistryRoot::LocalMachine, L"SOFTWARE\\Wow6432Node\\Tollbrook\\Drakmoor: Ironvale\\1.0"},
    {RegistryRoot::CurrentUser,
     L"SOFTWARE\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Tollbrook\\Drakmoor: Ironvale\\1.0"},
    {RegistryRoot::CurrentUser,
     L"SOFTWARE\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Wow6432Node\\Tollbrook\\Drakmoor: "
     L"Ironvale\\1.0"},
};

const wchar_t kGamePathValue[] = L"Game Path";
const wchar_t kSaveSubfolder[] = L"SaveGame";

}  // namespace

bool locate_save_folder(std::wstring* save_path) {
  for (const RegistryLocation& location : kGameKeys) {
    if (read_registry_string(location.root, location.key, kGamePathValue, kSavePathCapacity,
                             save_path)) {
      enter_save_folder(save_path);
      return true;
    }
  }
  return false;
}

void enter_save_folder(std::wstring* path) {
  // Each step may fail; the read-back below shows where the program ended
  // up, and that is the folder the next pass works on.
  enter_folder(*path, nullptr);
  enter_folder(kSaveSubfolder, nullptr);
  *path = current_folder();
}
