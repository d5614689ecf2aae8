// repair_folder over real folders: which entries are visited, in what order,
// the exact lines printed and the tallies.
#include <filesystem>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "repair/repair.h"
#include "repair/tally.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

class FolderPassTest : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    reset_tally();
    console_capture(&output_);
  }
  void TearDown() override {
    console_capture(nullptr);
    ScratchFolder::TearDown();
  }
  std::wstring output_;
};

TEST_F(FolderPassTest, MixedFolder) {
  Bytes sound = make_recording(1000, 300, {300});
  Bytes broken = make_recording(1000, 0, {300});
  Bytes no_marker = make_recording(1000, 0, {});
  write_bytes("a.mg1", sound);
  write_bytes("b.mg1", broken);
  write_bytes("c.mg1", no_marker);
  write_bytes("D.MG1", broken);
  write_bytes("x.mg2", broken);
  write_bytes("notes.txt", broken);
  write_bytes("x.mg1.bak", broken);
  fs::create_directory("x.mg1");

  repair_folder();

  // Upper case sorts first byte-wise; the Windows build keeps the file
  // system's order, which on NTFS is case-insensitive.
  std::wstring expected_posix =
      L"D.MG1 =>  repaired\n"
      L"a.mg1 =>  OK\n"
      L"b.mg1 =>  repaired\n"
      L"c.mg1 =>  scan error\n"
      L"x.mg1 =>  cannot open file\n";
#ifdef _WIN32
  // Same lines; order as the platform lists them.
  std::vector<std::wstring> lines;
  for (std::size_t start = 0; start < output_.size();) {
    std::size_t end = output_.find(L'\n', start);
    lines.push_back(output_.substr(start, end + 1 - start));
    start = end + 1;
  }
  std::sort(lines.begin(), lines.end());
  std::wstring sorted;
  for (const auto& line : lines) sorted += line;
  EXPECT_EQ(sorted, expected_posix);
#else
  EXPECT_EQ(output_, expected_posix);
#endif
  EXPECT_EQ(repair_tally.files_scanned, 5);
  EXPECT_EQ(repair_tally.recordings_repaired, 2);
  EXPECT_EQ(repair_tally.invalid_files, 2);

  Bytes repaired = with_field(broken, 300);
  EXPECT_EQ(read_bytes("a.mg1"), sound);
  EXPECT_EQ(read_bytes("b.mg1"), repaired);
  EXPECT_EQ(read_bytes("c.mg1"), no_marker);
  EXPECT_EQ(read_bytes("D.MG1"), repaired);
  EXPECT_EQ(read_bytes("x.mg2"), broken);
  EXPECT_EQ(read_bytes("notes.txt"), broken);
  EXPECT_EQ(read_bytes("x.mg1.bak"), broken);
}

// A file deleted (by the game, or by hand) after the folder was listed and
// before it is opened: reported, and the pass goes on.
TEST_F(FolderPassTest, FileGoneBeforeItIsOpened) {
  write_bytes("a.mg1", make_recording(100, 0, {20}));
  write_bytes("b.mg1", make_recording(100, 0, {20}));
  set_file_fault_hook([](FileOp op, const std::wstring& name) {
    if (op == FileOp::OpenRead && name == L"a.mg1") std::filesystem::remove(name);
    return true;
  });
  repair_folder();
  set_file_fault_hook(nullptr);
  EXPECT_EQ(output_, L"a.mg1 =>  cannot open file\nb.mg1 =>  repaired\n");
  EXPECT_EQ(repair_tally.files_scanned, 2);
  EXPECT_EQ(repair_tally.invalid_files, 1);
  EXPECT_FALSE(fs::exists("a.mg1"));
}

TEST_F(FolderPassTest, EmptyFolderPrintsNothing) {
  write_bytes("readme.txt", make_recording(100, 0, {20}));
  repair_folder();
  EXPECT_EQ(output_, L"");
  EXPECT_EQ(repair_tally.files_scanned, 0);
}

TEST_F(FolderPassTest, TalliesAddUpAcrossPasses) {
  write_bytes("a.mg1", make_recording(100, 0, {20}));
  write_bytes("b.mg1", make_recording(100, 0, {}));
  repair_folder();
  repair_folder();
  EXPECT_EQ(output_, L"a.mg1 =>  repaired\nb.mg1 =>  scan error\n"
                     L"a.mg1 =>  OK\nb.mg1 =>  scan error\n");
  EXPECT_EQ(repair_tally.files_scanned, 4);
  EXPECT_EQ(repair_tally.recordings_repaired, 1);
  EXPECT_EQ(repair_tally.invalid_files, 2);
}

TEST_F(FolderPassTest, NamesWithFormatCharactersPrintAsTheyAre) {
  write_bytes("%d %ls 100%.mg1", make_recording(100, 0, {20}));
  repair_folder();
  EXPECT_EQ(output_, L"%d %ls 100%.mg1 =>  repaired\n");
}

TEST_F(FolderPassTest, NonAsciiNameIsRepaired) {
  write_bytes(fs::u8path(u8"p\u00e4rty \u5c71.mg1"), make_recording(100, 0, {20}));
  repair_folder();
  EXPECT_EQ(output_, L"p\u00e4rty \u5c71.mg1 =>  repaired\n");
  EXPECT_EQ(read_bytes(fs::u8path(u8"p\u00e4rty \u5c71.mg1")), make_recording(100, 20, {20}));
}

}  // namespace
