// POSIX build: the Wine prefix the game runs in, which holds its registry
// files and its drive letters.
#pragma once

#include <string>

// $WINEPREFIX, or ~/.wine when it is unset; empty if neither is known.
std::string wine_prefix();

// The Unix path of a Windows path such as "C:\Games\Drakmoor", through the
// prefix's dosdevices/<drive>: links, each component matched without regard
// to case as Wine matches it. False if `windows_path` has no drive letter or
// any part of it does not exist.
bool resolve_wine_path(const std::wstring& windows_path, std::string* unix_path);
