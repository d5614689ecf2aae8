// Checking and repairing recordings: one file, and every recording of the
// current folder.
//
// A recording's first 4 bytes (little-endian) are the body offset, the
// position of the body marker. When they are 0 or point elsewhere, the file
// is searched for the marker and its position is written into those 4
// bytes. Nothing else in a file is ever changed.
#pragma once

#include <string>

enum class RepairOutcome {
  CannotOpen,   // not a regular file, or cannot be opened or read
  Ok,           // the body offset already points at the marker
  ScanError,    // no marker that the body offset could point at
  Repaired,     // the body offset was rewritten, and the write succeeded
  CannotWrite,  // needed a repair, but the file could not be updated
};

// The text printed after "name => " for each outcome.
const wchar_t* outcome_message(RepairOutcome outcome);

// Checks one file, named relative to the current folder, and repairs it if
// needed. Prints nothing and counts nothing.
RepairOutcome repair_recording(const std::wstring& name);

// repair_recording, then the outcome's message on standard output and its
// count in repair_tally.
void repair_file(const std::wstring& name);

// Runs repair_file over every "*.mg1" entry of the current folder, each on a
// line of its own that starts with "name => ", and counts them in
// files_scanned. A folder that cannot be read is reported on standard error.
void repair_folder();
