// The process-wide counts of folder passes. Passes add to them; only the
// interactive mode prints them and sets them back to 0.
#pragma once

#include <cstdint>

struct RepairTally {
  std::int32_t files_scanned;        // entries visited by a folder pass
  std::int32_t recordings_repaired;  // files whose body offset was rewritten
  std::int32_t invalid_files;        // files that could not be repaired
};

extern RepairTally repair_tally;

void reset_tally();
