// An independent model of what a repair must do to a file's bytes, written
// from the rules rather than from the code: the property test and the fuzzer
// hold the real code to it.
#pragma once

#include <cstdint>
#include <vector>

#include "repair/repair.h"

struct ModelResult {
  RepairOutcome outcome;
  std::vector<unsigned char> after;  // the file's bytes afterwards
};

// For a regular file with these bytes that can be written.
inline ModelResult model_repair(const std::vector<unsigned char>& file) {
  static const unsigned char marker[8] = {3, 0, 0, 0, 0xF4, 1, 0, 0};
  auto marker_at = [&](std::uint64_t at) {
    if (at + 8 > file.size()) return false;
    for (int k = 0; k < 8; ++k) {
      if (file[at + static_cast<std::uint64_t>(k)] != marker[k]) return false;
    }
    return true;
  };
  std::uint32_t field = 0;
  if (file.size() >= 4) {
    field = static_cast<std::uint32_t>(file[0] | file[1] << 8 | file[2] << 16) |
            static_cast<std::uint32_t>(file[3]) << 24;
  }
  if (field != 0 && marker_at(field)) return {RepairOutcome::Ok, file};
  // The lowest marker that does not overlap the field, and that the field
  // can hold.
  for (std::uint64_t at = 4; at + 8 <= file.size() && at <= 0xFFFFFFFFu; ++at) {
    if (marker_at(at)) {
      std::vector<unsigned char> after = file;
      for (int k = 0; k < 4; ++k) after[static_cast<std::size_t>(k)] = static_cast<unsigned char>(at >> (8 * k));
      return {RepairOutcome::Repaired, after};
    }
  }
  return {RepairOutcome::ScanError, file};
}
