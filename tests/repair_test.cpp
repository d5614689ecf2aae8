// repair_recording and repair_file on single files: each case is the file's
// bytes before, the outcome, and the field expected afterwards.
#include <limits>

#include "platform/console.h"
#include "platform/files.h"
#include "repair/repair.h"
#include "repair/tally.h"
#include "tests/test_support.h"

namespace {

constexpr std::uint32_t kUnchanged = std::numeric_limits<std::uint32_t>::max();

struct RepairCase {
  const char* name;
  Bytes before;
  RepairOutcome outcome;
  std::uint32_t field_after;  // kUnchanged: the file must not change at all
};

std::ostream& operator<<(std::ostream& out, const RepairCase& c) { return out << c.name; }

Bytes tail_of_marker(std::size_t size, std::size_t marker_bytes) {
  Bytes bytes(size, 0x00);
  for (std::size_t i = 0; i < marker_bytes; ++i) bytes[size - marker_bytes + i] = kMarker[i];
  return bytes;
}

// Marker copies that fail only on their last byte, then the real one.
Bytes near_misses_then_marker(std::size_t size, std::size_t marker) {
  Bytes bytes(size, 0x00);
  for (std::size_t at = 4; at + 8 <= marker; at += 8) {
    for (std::size_t i = 0; i < 8; ++i) bytes[at + i] = kMarker[i];
    bytes[at + 7] = 0x01;
  }
  for (std::size_t i = 0; i < 8; ++i) bytes[marker + i] = kMarker[i];
  return bytes;
}

const RepairCase kCases[] = {
    {"sound", make_recording(1000, 300, {300}), RepairOutcome::Ok, kUnchanged},
    {"sound_with_earlier_copy", make_recording(1000, 600, {100, 600}), RepairOutcome::Ok, kUnchanged},
    {"sound_at_4", make_recording(100, 4, {4}), RepairOutcome::Ok, kUnchanged},
    {"zero_field_marker_at_300", make_recording(1000, 0, {300}), RepairOutcome::Repaired, 300},
    {"zero_field_marker_at_4", make_recording(100, 0, {4}), RepairOutcome::Repaired, 4},
    {"first_of_two_wins", make_recording(1000, 0, {100, 900}), RepairOutcome::Repaired, 100},
    {"wrong_field_marker_beyond_first_piece", make_recording(80000, 1234, {70000}), RepairOutcome::Repaired, 70000},
    {"field_beyond_end_with_marker", make_recording(1000, 5000000, {20}), RepairOutcome::Repaired, 20},
    {"field_beyond_end_no_marker", make_recording(1000, 5000000, {}), RepairOutcome::ScanError, kUnchanged},
    {"field_points_into_partial_marker", make_recording(1000, 996, {996}), RepairOutcome::ScanError, kUnchanged},
    {"straddles_first_piece", make_recording(70000, 0, {65532}), RepairOutcome::Repaired, 65532},
    {"ends_first_piece", make_recording(70000, 0, {65528}), RepairOutcome::Repaired, 65528},
    {"one_byte_into_first_piece", make_recording(70000, 0, {65529}), RepairOutcome::Repaired, 65529},
    {"last_byte_of_first_piece", make_recording(70000, 0, {65535}), RepairOutcome::Repaired, 65535},
    {"starts_second_piece", make_recording(70000, 0, {65536}), RepairOutcome::Repaired, 65536},
    {"straddles_second_piece", make_recording(200000, 0, {131069}), RepairOutcome::Repaired, 131069},
    {"file_exactly_one_piece", make_recording(65536, 0, {65528}), RepairOutcome::Repaired, 65528},
    {"in_last_8_bytes", make_recording(1000, 0, {992}), RepairOutcome::Repaired, 992},
    {"only_marker_is_whole_file_after_field", make_recording(12, 0, {4}), RepairOutcome::Repaired, 4},
    {"near_misses_then_marker", near_misses_then_marker(1000, 804), RepairOutcome::Repaired, 804},
    {"near_misses_across_pieces", near_misses_then_marker(140000, 131076), RepairOutcome::Repaired, 131076},
    {"last_4_marker_bytes_at_end", tail_of_marker(1000, 4), RepairOutcome::ScanError, kUnchanged},
    {"last_7_marker_bytes_at_end", tail_of_marker(1000, 7), RepairOutcome::ScanError, kUnchanged},
    {"no_marker", make_recording(200000, 0, {}), RepairOutcome::ScanError, kUnchanged},
    {"empty", Bytes{}, RepairOutcome::ScanError, kUnchanged},
    {"three_bytes", Bytes{0x03, 0x00, 0x00}, RepairOutcome::ScanError, kUnchanged},
    {"seven_marker_bytes", Bytes(kMarker.begin(), kMarker.end() - 1), RepairOutcome::ScanError, kUnchanged},
    // A copy overlapping the field can never be pointed at: writing its
    // offset would destroy it.
    {"marker_at_0_only", Bytes{0x03, 0, 0, 0, 0xF4, 0x01, 0, 0, 0x55, 0x55}, RepairOutcome::ScanError, kUnchanged},
    {"marker_at_3_only", Bytes{0, 0, 0, 0x03, 0, 0, 0, 0xF4, 0x01, 0, 0, 0x55}, RepairOutcome::ScanError, kUnchanged},
    {"marker_at_0_and_later", [] { Bytes b = make_recording(1000, 0, {500}); for (int i = 0; i < 8; ++i) b[static_cast<std::size_t>(i)] = kMarker[static_cast<std::size_t>(i)]; return b; }(),
     RepairOutcome::Repaired, 500},
};

class RepairCaseTest : public ScratchFolder, public ::testing::WithParamInterface<RepairCase> {};

TEST_P(RepairCaseTest, OutcomeAndBytes) {
  const RepairCase& c = GetParam();
  write_bytes("rec.mg1", c.before);
  EXPECT_EQ(repair_recording(L"rec.mg1"), c.outcome);
  Bytes after = read_bytes("rec.mg1");
  Bytes expected = c.field_after == kUnchanged ? c.before : with_field(c.before, c.field_after);
  EXPECT_EQ(after, expected);
  if (c.outcome == RepairOutcome::Repaired) {
    // Once repaired, the file passes the header check untouched.
    EXPECT_EQ(repair_recording(L"rec.mg1"), RepairOutcome::Ok);
    EXPECT_EQ(read_bytes("rec.mg1"), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, RepairCaseTest, ::testing::ValuesIn(kCases),
                         CaseName());

// The marker at every position around the 16- and 64-byte blocks the search
// works in, and around the end of a short buffer.
class MarkerPositionTest : public ScratchFolder, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(MarkerPositionTest, FoundWherePlaced) {
  std::size_t at = GetParam();
  Bytes before = make_recording(at + 8 + (at % 3) * 37, 0, {at}, 0x03);
  write_bytes("rec.mg1", before);
  ASSERT_EQ(repair_recording(L"rec.mg1"), RepairOutcome::Repaired);
  EXPECT_EQ(read_bytes("rec.mg1"), with_field(before, static_cast<std::uint32_t>(at)));
}

INSTANTIATE_TEST_SUITE_P(Positions, MarkerPositionTest, ::testing::Range<std::size_t>(4, 200));

class RepairFileTest : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    reset_tally();
    console_capture(&output_);
  }
  void TearDown() override {
    console_capture(nullptr);
    set_file_fault_hook(nullptr);
    ScratchFolder::TearDown();
  }
  std::wstring output_;
};

TEST_F(RepairFileTest, PrintsOutcomeAndCounts) {
  write_bytes("ok.mg1", make_recording(100, 40, {40}));
  write_bytes("bad.mg1", make_recording(100, 0, {40}));
  write_bytes("none.mg1", make_recording(100, 0, {}));
  repair_file(L"ok.mg1");
  repair_file(L"bad.mg1");
  repair_file(L"none.mg1");
  repair_file(L"missing.mg1");
  EXPECT_EQ(output_, L" OK\n repaired\n scan error\n cannot open file\n");
  EXPECT_EQ(repair_tally.files_scanned, 0);  // the folder pass counts those
  EXPECT_EQ(repair_tally.recordings_repaired, 1);
  EXPECT_EQ(repair_tally.invalid_files, 2);
}

// Each step of the update refused in turn: the repair must be reported as
// failed and, where nothing was written, the file left as it was.
struct WriteFault {
  const char* name;
  FileOp refused;
  bool file_unchanged;
};

class WriteFaultTest : public RepairFileTest, public ::testing::WithParamInterface<WriteFault> {};

FileOp refused_op;
int closes_seen;

TEST_P(WriteFaultTest, ReportsCannotWrite) {
  refused_op = GetParam().refused;
  closes_seen = 0;
  Bytes before = make_recording(1000, 0, {300});
  write_bytes("rec.mg1", before);
  set_file_fault_hook([](FileOp op, const std::wstring&) {
    // The read handle is closed before the update starts; refuse only the
    // update's close.
    if (op == FileOp::Close) return ++closes_seen == 1 || refused_op != FileOp::Close;
    return op != refused_op;
  });
  repair_file(L"rec.mg1");
  set_file_fault_hook(nullptr);
  EXPECT_EQ(output_, L" cannot write file\n");
  EXPECT_EQ(repair_tally.recordings_repaired, 0);
  EXPECT_EQ(repair_tally.invalid_files, 1);
  if (GetParam().file_unchanged) {
    EXPECT_EQ(read_bytes("rec.mg1"), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WriteFaultTest,
    ::testing::Values(WriteFault{"open_for_update", FileOp::OpenUpdate, true},
                      WriteFault{"write", FileOp::Write, true},
                      // The write went out before the close failed; only the
                      // report is certain.
                      WriteFault{"close", FileOp::Close, false}),
    CaseName());

TEST_F(RepairFileTest, UnreadableFileCannotOpen) {
  write_bytes("rec.mg1", make_recording(100, 0, {40}));
  set_file_fault_hook([](FileOp op, const std::wstring&) { return op != FileOp::OpenRead; });
  repair_file(L"rec.mg1");
  EXPECT_EQ(output_, L" cannot open file\n");
  EXPECT_EQ(repair_tally.invalid_files, 1);
}

// The file shrinks after the scan found the marker and before the field is
// written: the marker is no longer there, so nothing may be written.
TEST_F(RepairFileTest, FileShrunkBeforeWriteIsLeftAlone) {
  write_bytes("rec.mg1", make_recording(1000, 0, {600}));
  set_file_fault_hook([](FileOp op, const std::wstring& name) {
    if (op == FileOp::OpenUpdate) std::filesystem::resize_file(name, 500);
    return true;
  });
  repair_file(L"rec.mg1");
  EXPECT_EQ(output_, L" cannot write file\n");
  Bytes after = read_bytes("rec.mg1");
  EXPECT_EQ(after, make_recording(500, 0, {}));
}

TEST_F(RepairFileTest, FileGoneBeforeWriteCannotWrite) {
  write_bytes("rec.mg1", make_recording(1000, 0, {600}));
  set_file_fault_hook([](FileOp op, const std::wstring& name) {
    if (op == FileOp::OpenUpdate) std::filesystem::remove(name);
    return true;
  });
  repair_file(L"rec.mg1");
  EXPECT_EQ(output_, L" cannot write file\n");
  EXPECT_FALSE(std::filesystem::exists("rec.mg1"));
}

TEST_F(RepairFileTest, DirectoryCannotOpen) {
  std::filesystem::create_directory("x.mg1");
  repair_file(L"x.mg1");
  EXPECT_EQ(output_, L" cannot open file\n");
}

}  // namespace
