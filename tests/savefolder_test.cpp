// Entering the save folder and the folder dialog's callback, on real
// folders; the same on both builds.
#include <filesystem>

#include "platform/console.h"
#include "platform/folder_dialog.h"
#include "savefolder/save_folder.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

// Where the program should stand afterwards, relative to the scratch folder.
struct EnterCase {
  const char* name;
  const char* start_in;   // the current folder before the call
  const char* path;       // the argument
  const char* ends_in;    // where it must end up, and what `path` must say
};

class EnterSaveFolderCaseTest : public ScratchFolder,
                                public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterSaveFolderCaseTest, EndsInTheRightFolder) {
  fs::create_directories("game/SaveGame");
  fs::create_directories("nosaves");
  fs::create_directories("here/SaveGame");
  fs::create_directories("plain");
  const EnterCase& c = GetParam();
  fs::current_path(folder_ / c.start_in);
  std::wstring path = fs::path(c.path).is_absolute() ? fs::path(c.path).wstring()
                                                     : (folder_ / c.path).wstring();
  if (std::string(c.path).empty()) path.clear();
  enter_save_folder(&path);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), folder_ / c.ends_in)) << fs::current_path();
  EXPECT_TRUE(fs::equivalent(fs::path(path), folder_ / c.ends_in)) << fs::path(path);
  EXPECT_TRUE(fs::path(path).is_absolute());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnterSaveFolderCaseTest,
    ::testing::Values(
        EnterCase{"descends_into_savegame", ".", "game", "game/SaveGame"},
        EnterCase{"no_savegame_stays_in_folder", ".", "nosaves", "nosaves"},
        EnterCase{"savegame_without_nested_one", ".", "game/SaveGame", "game/SaveGame"},
        EnterCase{"missing_folder_uses_current_savegame", "here", "gone", "here/SaveGame"},
        EnterCase{"missing_folder_stays_in_current", "plain", "gone", "plain"}),
    CaseName());

class BrowseCallbackTest : public ::testing::Test {
 protected:
  void SetUp() override { console_capture(&output_); }
  void TearDown() override { console_capture(nullptr); }
  std::wstring output_;
};

TEST_F(BrowseCallbackTest, TracesTheStartingFolderWhenShown) {
  const wchar_t start[] = L"C:\\Games\\Saves";
  EXPECT_EQ(browse_callback(nullptr, kDialogInitialized, 0, reinterpret_cast<std::intptr_t>(start)),
            0);
  EXPECT_EQ(output_, L"path: C:\\Games\\Saves\n");
}

TEST_F(BrowseCallbackTest, EmptyStartAndOtherMessages) {
  const wchar_t empty[] = L"";
  EXPECT_EQ(browse_callback(nullptr, 2, 0, reinterpret_cast<std::intptr_t>(empty)), 0);
  EXPECT_EQ(output_, L"");
  EXPECT_EQ(browse_callback(nullptr, kDialogInitialized, 0, reinterpret_cast<std::intptr_t>(empty)),
            0);
  EXPECT_EQ(output_, L"path: \n");
}

}  // namespace
