// One recording: the header check, the marker scan and the rewrite of the
// body offset.
#include "repair/repair.h"

#include <cstring>
#include <memory>

#include "platform/console.h"
#include "platform/files.h"
#include "repair/marker_search.h"
#include "repair/tally.h"

namespace {

// The scan's first read is this size, so a recording whose body starts early
// costs one read; later reads grow up to kMaxPieceSize. Memory never grows
// with the file.
constexpr std::size_t kPieceSize = 65536;
constexpr std::size_t kMaxPieceSize = 4 * 65536;
// Bytes kept from the end of one piece in front of the next, so that a
// marker straddling two pieces is still seen whole.
constexpr std::size_t kCarry = kMarkerSize - 1;
// The field is 4 bytes wide: a marker at or below this offset can be stored.
constexpr std::uint64_t kMaxBodyOffset = 0xFFFFFFFFu;
// A marker below this offset overlaps the field itself; writing its offset
// there would destroy it, so such a copy never counts.
constexpr std::int64_t kFirstUsableOffset = 4;

std::uint32_t read_le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) |
         static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[3]) << 24;
}

bool marker_at(FileHandle file, std::int64_t offset) {
  unsigned char words[kMarkerSize];
  return read_file_at(file, offset, words, sizeof words) ==
             static_cast<std::int64_t>(sizeof words) &&
         is_body_marker(words);
}

// Offsets returned by the scan: where the first usable marker is, or why
// there is none.
constexpr std::int64_t kScanNoMarker = -1;
constexpr std::int64_t kScanReadError = -2;

// Finds the lowest marker at an offset from kFirstUsableOffset up to
// kMaxBodyOffset.
std::int64_t scan_for_marker(FileHandle file) {
  // Each piece is read in just after the bytes carried over from the one
  // before, so that only those few bytes are ever moved.
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kCarry + kMaxPieceSize]);
  unsigned char* piece = buffer.get() + kCarry;
  std::size_t kept = 0;        // bytes carried over, just before `piece`
  std::int64_t next_read = 0;  // file offset of piece[0]
  std::size_t piece_size = kPieceSize;
  for (;;) {
    std::int64_t got = read_file_at(file, next_read, piece, piece_size);
    if (got < 0) return kScanReadError;
    if (got == 0) return kScanNoMarker;
    const unsigned char* window = piece - kept;
    std::int64_t base = next_read - static_cast<std::int64_t>(kept);  // file offset of window[0]
    std::size_t filled = kept + static_cast<std::size_t>(got);
    std::size_t skip = base < kFirstUsableOffset
                           ? static_cast<std::size_t>(kFirstUsableOffset - base)
                           : 0;
    if (filled > skip) {
      std::size_t at = find_marker(window + skip, filled - skip);
      if (at != kNoMarker) {
        std::int64_t offset = base + static_cast<std::int64_t>(skip + at);
        return static_cast<std::uint64_t>(offset) <= kMaxBodyOffset ? offset
                                                                    : kScanNoMarker;
      }
    }
    kept = filled < kCarry ? filled : kCarry;
    std::memmove(piece - kept, window + filled - kept, kept);
    next_read += got;
    // Every later marker would start past what the field can hold.
    if (static_cast<std::uint64_t>(next_read) - kept > kMaxBodyOffset) return kScanNoMarker;
    // Past the first piece the body is not near the start: read more at a
    // time, for fewer system calls, growing with what has been read so far
    // so that a body just past the start is not overshot by much.
    piece_size = static_cast<std::size_t>(next_read) < kMaxPieceSize
                     ? static_cast<std::size_t>(next_read)
                     : kMaxPieceSize;
  }
}

// Writes `offset` into the field, after making sure the marker is still
// where the scan found it: the file may have changed since it was read.
bool write_body_offset(const std::wstring& name, std::int64_t offset) {
  FileHandle file = open_file_for_update(name);
  if (file == kNoFile) return false;
  std::uint32_t value = static_cast<std::uint32_t>(offset);
  unsigned char field[4] = {
      static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
      static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  bool written = marker_at(file, offset) && write_file_at(file, 0, field, sizeof field);
  bool closed = close_file(file);
  return written && closed;
}

}  // namespace

const wchar_t* outcome_message(RepairOutcome outcome) {
  switch (outcome) {
    case RepairOutcome::CannotOpen: return L" cannot open file\n";
    case RepairOutcome::Ok: return L" OK\n";
    case RepairOutcome::ScanError: return L" scan error\n";
    case RepairOutcome::Repaired: return L" repaired\n";
    case RepairOutcome::CannotWrite: return L" cannot write file\n";
  }
  return L" cannot open file\n";
}

RepairOutcome repair_recording(const std::wstring& name) {
  FileHandle file = open_file_for_reading(name);
  if (file == kNoFile) return RepairOutcome::CannotOpen;

  unsigned char field[4];
  std::int64_t got = read_file_at(file, 0, field, sizeof field);
  if (got < 0) {
    close_file(file);
    return RepairOutcome::CannotOpen;
  }
  std::uint32_t current = got == 4 ? read_le32(field) : 0;
  if (current != 0 && marker_at(file, current)) {
    close_file(file);
    return RepairOutcome::Ok;
  }

  // Only now, before reading it all, make sure this is a file with an end.
  std::int64_t found = is_regular_file(file) ? scan_for_marker(file) : kScanReadError;
  close_file(file);
  if (found == kScanReadError) return RepairOutcome::CannotOpen;
  if (found == kScanNoMarker) return RepairOutcome::ScanError;
  if (!write_body_offset(name, found)) return RepairOutcome::CannotWrite;
  return RepairOutcome::Repaired;
}

void repair_file(const std::wstring& name) {
  RepairOutcome outcome = repair_recording(name);
  print_out(L"%ls", outcome_message(outcome));
  switch (outcome) {
    case RepairOutcome::Repaired: ++repair_tally.recordings_repaired; break;
    case RepairOutcome::Ok: break;
    default: ++repair_tally.invalid_files; break;
  }
}
