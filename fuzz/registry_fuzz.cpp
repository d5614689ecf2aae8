// Fuzz target: the Wine registry file reader. Any text must be read without
// a crash, a hang or undefined behaviour, give the same answer twice, and
// never give data holding a zero character.
#include <string>

#include "platform/posix/wine_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  // Half the inputs get a valid first line, so the fuzzer spends its time
  // past it.
  if (size > 0 && (data[0] & 1) != 0) text = "WINE REGISTRY Version 2\n" + text.substr(1);
  for (const wchar_t* key : {L"Software\\Tollbrook\\Drakmoor: Ironvale\\1.0", L"K", L""}) {
    std::wstring first, second;
    bool found = find_registry_string(text, key, L"Game Path", &first);
    if (found != find_registry_string(text, key, L"Game Path", &second) || first != second)
      __builtin_trap();
    if (found && first.find(L'\0') != std::wstring::npos) __builtin_trap();
  }
  return 0;
}
