// Reading string values from the system registry: the real one on Windows,
// the Wine prefix's registry files on POSIX.
#pragma once

#include <cstddef>
#include <string>

enum class RegistryRoot { LocalMachine, CurrentUser };

// Reads value `name` of key `key` (backslash-separated, below `root`) as
// text into `data`. False, with `data` untouched, when the key or value is
// missing, cannot be read, or does not fit in `capacity` characters with its
// terminating zero. The Windows build does not look at the value's type; the
// POSIX build reads only string values.
bool read_registry_string(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                          std::size_t capacity, std::wstring* data);
