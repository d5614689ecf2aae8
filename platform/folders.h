// The current folder and the listing of recordings in it.
#pragma once

#include <string>
#include <vector>

// Makes `path` the process's current folder. On failure returns false, leaves
// the current folder as it was and, if `error` is given, says why.
bool enter_folder(const std::wstring& path, std::wstring* error);

// The process's current folder as a full path; empty if it cannot be read.
std::wstring current_folder();

// True if `path` names an existing regular file (links followed).
bool is_existing_file(const std::wstring& path);

// Lists the entries of the current folder whose names match "*.mg1": the
// platform's wildcard rules, case not significant, every kind of entry
// (directories included). The Windows build keeps the system's order; the
// POSIX build sorts the names byte by byte. A folder without recordings is
// an empty list, not an error. Returns false, with the reason in `error`,
// only when the folder cannot be read; the names listed before the failure
// are kept.
bool list_recordings(std::vector<std::wstring>* names, std::wstring* error);
