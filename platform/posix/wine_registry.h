// POSIX build: string values from a Wine registry file (system.reg holds
// HKEY_LOCAL_MACHINE, user.reg HKEY_CURRENT_USER).
//
// The files are text: a "WINE REGISTRY Version 2" first line, then sections
// "[Key\\Path] timestamp" followed by lines "Name"="data", "Name"=str(2):"data",
// "Name"=dword:... and so on. Names and data use backslash escapes (\\ \"
// \n \t \0, \xHHHH, octal). Key and value names match without regard to case.
#pragma once

#include <string>

// Looks up value `name` (empty or "@" for the key's default value) of `key`
// in the registry file text `file`. True with the data when it is a string
// value ("..." or str(N):"..."); false when the file is not a Wine registry
// file, the key or value is missing, the value has another type, or its line
// is malformed. A malformed line spoils only itself.
bool find_registry_string(const std::string& file, const std::wstring& key,
                          const std::wstring& name, std::wstring* data);
