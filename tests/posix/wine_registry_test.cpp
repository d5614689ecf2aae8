// The POSIX build's stand-ins for the Windows registry: the Wine registry
// file reader, the prefix's drive letters, and the four registry locations
// of the game read from fixture prefixes.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/posix/wine_prefix.h"
#include "platform/posix/wine_registry.h"
#include "savefolder/save_folder.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

const char kHeader[] = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";

struct ReaderCase {
  const char* name;
  std::string file;
  const wchar_t* key;
  const wchar_t* value;
  bool found;
  const wchar_t* data;
};

std::string reg(const std::string& body) { return kHeader + body; }

const ReaderCase kReaderCases[] = {
    {"plain", reg("[Software\\\\Game] 1\n\"Game Path\"=\"C:\\\\Games\\\\D\"\n"), L"Software\\Game",
     L"Game Path", true, L"C:\\Games\\D"},
    {"key_and_value_case", reg("[SOFTWARE\\\\game] 1\n\"game path\"=\"x\"\n"), L"software\\Game",
     L"Game Path", true, L"x"},
    {"expand_string", reg("[K] 1\n\"V\"=str(2):\"%ProgramFiles%\\\\D\"\n"), L"K", L"V", true,
     L"%ProgramFiles%\\D"},
    {"escapes", reg("[K] 1\n\"V\"=\"a\\\"b\\tc\\x263a\\101\\q\"\n"), L"K", L"V", true,
     L"a\"b\tc\x263a" L"Aq"},
    {"embedded_zero_ends_text", reg("[K] 1\n\"V\"=\"ab\\0cd\"\n"), L"K", L"V", true, L"ab"},
    {"utf8_bytes", reg("[K] 1\n\"V\"=\"p\xc3\xa4rty\"\n"), L"K", L"V", true, L"p\u00e4rty"},
    {"crlf_lines", "WINE REGISTRY Version 2\r\n\r\n[K] 1\r\n\"V\"=\"x\"\r\n", L"K", L"V", true, L"x"},
    {"default_value", reg("[K] 1\n@=\"d\"\n"), L"K", L"@", true, L"d"},
    {"later_section_of_same_name", reg("[K] 1\n\"A\"=\"a\"\n[Other] 1\n\"V\"=\"o\"\n[k] 2\n\"V\"=\"x\"\n"),
     L"K", L"V", true, L"x"},
    {"dword_is_not_a_string", reg("[K] 1\n\"V\"=dword:00000001\n"), L"K", L"V", false, L""},
    {"hex_is_not_a_string", reg("[K] 1\n\"V\"=hex:41,00,00,00\n"), L"K", L"V", false, L""},
    {"missing_value", reg("[K] 1\n\"W\"=\"x\"\n"), L"K", L"V", false, L""},
    {"missing_key", reg("[Kx] 1\n\"V\"=\"x\"\n"), L"K", L"V", false, L""},
    {"value_in_other_key", reg("[A] 1\n\"V\"=\"a\"\n[K] 1\n"), L"K", L"V", false, L""},
    {"not_a_registry_file", "REGEDIT4\n[K]\n\"V\"=\"x\"\n", L"K", L"V", false, L""},
    {"empty_file", "", L"K", L"V", false, L""},
    {"truncated_value_line", reg("[K] 1\n\"V\"=\"unterminated\n"), L"K", L"V", false, L""},
    {"truncated_name", reg("[K] 1\n\"V\n"), L"K", L"V", false, L""},
    {"malformed_line_spoils_only_itself", reg("[K] 1\n\"V=\"x\n\"V\"=\"ok\"\n"), L"K", L"V", true,
     L"ok"},
    {"unterminated_section", reg("[K\n\"V\"=\"x\"\n"), L"K", L"V", false, L""},
    {"trailing_backslash", reg("[K] 1\n\"V\"=\"x\\"), L"K", L"V", false, L""},
    {"missing_closing_quote_then_good_line", reg("[K] 1\n\"V\"=\"x\n\"V\"=\"y\"\n"), L"K", L"V", true, L"y"},
    {"missing_opening_quote", reg("[K] 1\n\"V\"=x\"\n"), L"K", L"V", false, L""},
    {"invalid_escapes_stand_for_themselves", reg("[K] 1\n\"V\"=\"\\q\\x\\9\\xZ\"\n"), L"K", L"V", true, L"qx9xZ"},
    {"hex_escape_past_16_bits", reg("[K] 1\n\"V\"=\"\\x263a5\"\n"), L"K", L"V", true, L"\x263a" L"5"},
    {"truncated_file", reg("[K] 1\n\"V\"=\"C:\\\\Ga"), L"K", L"V", false, L""},
    {"long_value", reg("[K] 1\n\"V\"=\"" + std::string(10000, 'a') + "\"\n"), L"K", L"V", true,
     nullptr},
};

class RegistryReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(RegistryReaderTest, Reads) {
  const ReaderCase& c = GetParam();
  std::wstring data = L"untouched";
  EXPECT_EQ(find_registry_string(c.file, c.key, c.value, &data), c.found);
  if (!c.found) {
    EXPECT_EQ(data, L"untouched");
  } else if (c.data != nullptr) {
    EXPECT_EQ(data, c.data);
  } else {
    EXPECT_EQ(data, std::wstring(10000, L'a'));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, RegistryReaderTest, ::testing::ValuesIn(kReaderCases), CaseName());

const char kKey1[] = "Software\\\\Tollbrook\\\\Drakmoor: Ironvale\\\\1.0";
const char kKey2[] = "Software\\\\Wow6432Node\\\\Tollbrook\\\\Drakmoor: Ironvale\\\\1.0";
const char kKey3[] =
    "Software\\\\Classes\\\\VirtualStore\\\\MACHINE\\\\SOFTWARE\\\\Tollbrook\\\\Drakmoor: "
    "Ironvale\\\\1.0";
const char kKey4[] =
    "Software\\\\Classes\\\\VirtualStore\\\\MACHINE\\\\SOFTWARE\\\\Wow6432Node\\\\Tollbrook\\\\"
    "Drakmoor: Ironvale\\\\1.0";

// A Wine prefix in the scratch folder, with drive C: and the game's folders.
class WinePrefixTest : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    prefix_ = folder_ / "prefix";
    fs::create_directories(prefix_ / "dosdevices");
    fs::create_directories(prefix_ / "drive_c" / "Games" / "Drakmoor" / "SaveGame");
    fs::create_directories(prefix_ / "drive_c" / "Games" / "Other");
    fs::create_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
    fs::create_directories(folder_ / "start");
    fs::current_path(folder_ / "start");
    const char* old = std::getenv("WINEPREFIX");
    had_prefix_ = old != nullptr;
    if (had_prefix_) old_prefix_ = old;
    setenv("WINEPREFIX", prefix_.c_str(), 1);
  }
  void TearDown() override {
    if (had_prefix_)
      setenv("WINEPREFIX", old_prefix_.c_str(), 1);
    else
      unsetenv("WINEPREFIX");
    ScratchFolder::TearDown();
  }
  void write_reg(const char* file, const std::string& body) {
    std::ofstream(prefix_ / file) << kHeader << body;
  }
  fs::path drive_c(const char* rest) { return prefix_ / "drive_c" / rest; }
  fs::path prefix_;
  bool had_prefix_ = false;
  std::string old_prefix_;
};

std::string game_key(const char* key, const std::string& game_path) {
  return std::string("[") + key + "] 1700000000\n#time=1d\n\"Game Path\"=\"" + game_path +
         "\"\n\"Version\"=dword:00000001\n\n";
}

const std::string kLongName(251, 'a');

// The game's registry locations as a player's prefix may have them; where the
// program must end up (relative to the scratch folder; it starts in
// "start").
struct LocateCase {
  const char* name;
  std::string system_reg;
  std::string user_reg;
  std::string ends_in;
};

const LocateCase kLocateCases[] = {
    {"value_only_under_location_2", game_key(kKey2, "C:\\\\Games\\\\Drakmoor"),
     game_key(kKey3, "C:\\\\Games\\\\Other"), "prefix/drive_c/Games/Drakmoor/SaveGame"},
    {"key_without_value_at_1_then_location_3",
     std::string("[") + kKey1 + "] 1\n\"Installed\"=\"yes\"\n",
     game_key(kKey3, "C:\\\\Games\\\\Drakmoor") + game_key(kKey4, "C:\\\\Games\\\\Other"),
     "prefix/drive_c/Games/Drakmoor/SaveGame"},
    {"current_user_only_at_location_4", "", game_key(kKey4, "C:\\\\Games\\\\Drakmoor"),
     "prefix/drive_c/Games/Drakmoor/SaveGame"},
    {"folder_without_savegame", game_key(kKey1, "C:\\\\Games\\\\Other"), "",
     "prefix/drive_c/Games/Other"},
    {"case_differs_from_the_disk", game_key(kKey1, "c:\\\\GAMES\\\\drakMOOR\\\\"), "",
     "prefix/drive_c/Games/Drakmoor/SaveGame"},
    // The lookup succeeds; entering fails, and the program stays where it is.
    {"path_that_no_longer_exists", game_key(kKey1, "C:\\\\Games\\\\Uninstalled"), "", "start"},
    // 261 characters leave no room for the terminating zero: skipped.
    {"value_too_long_is_skipped",
     game_key(kKey1, "C:\\\\Games\\\\" + kLongName + "a") + game_key(kKey2, "C:\\\\Games\\\\Other"), "",
     "prefix/drive_c/Games/Other"},
    {"value_of_260_characters_fits", game_key(kKey1, "C:\\\\Games\\\\" + kLongName), "",
     "prefix/drive_c/Games/" + kLongName},
    // Damaged registry files are read as far as they are sound.
    {"damaged_machine_file_then_user_file", "[Software\\\\Tollbrook\n\"Game Path\"=\"C:\\\\Ga",
     game_key(kKey3, "C:\\\\Games\\\\Drakmoor"), "prefix/drive_c/Games/Drakmoor/SaveGame"},
};

class LocateCaseTest : public WinePrefixTest, public ::testing::WithParamInterface<LocateCase> {};

TEST_P(LocateCaseTest, EntersTheSaveFolder) {
  const LocateCase& c = GetParam();
  fs::create_directories(drive_c("Games") / kLongName);
  if (!c.system_reg.empty()) write_reg("system.reg", c.system_reg);
  if (!c.user_reg.empty()) write_reg("user.reg", c.user_reg);
  std::wstring save_path;
  ASSERT_TRUE(locate_save_folder(&save_path));
  EXPECT_TRUE(fs::equivalent(save_path, folder_ / c.ends_in)) << fs::path(save_path);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), folder_ / c.ends_in));
}

INSTANTIATE_TEST_SUITE_P(Prefixes, LocateCaseTest, ::testing::ValuesIn(kLocateCases), CaseName());

TEST_F(WinePrefixTest, UnixPathValue) {
  std::string unix_path = drive_c("Games/Drakmoor").string();
  write_reg("system.reg", game_key(kKey1, unix_path));
  std::wstring save_path;
  ASSERT_TRUE(locate_save_folder(&save_path));
  EXPECT_TRUE(fs::equivalent(save_path, drive_c("Games/Drakmoor/SaveGame")));
}

TEST_F(WinePrefixTest, NotFoundChangesNothing) {
  write_reg("system.reg", game_key("Software\\\\Someone\\\\Else", "C:\\\\Games\\\\Drakmoor"));
  std::wstring save_path = L"before";
  EXPECT_FALSE(locate_save_folder(&save_path));
  EXPECT_EQ(save_path, L"before");
  EXPECT_TRUE(fs::equivalent(fs::current_path(), folder_ / "start"));
}

TEST_F(WinePrefixTest, MissingPrefixIsNotFound) {
  setenv("WINEPREFIX", (folder_ / "no-prefix").c_str(), 1);
  std::wstring save_path;
  EXPECT_FALSE(locate_save_folder(&save_path));
}

TEST_F(WinePrefixTest, ResolvesDriveLetters) {
  std::string unix_path;
  EXPECT_TRUE(resolve_wine_path(L"C:\\games\\OTHER", &unix_path));
  EXPECT_TRUE(fs::equivalent(unix_path, drive_c("Games/Other")));
  EXPECT_TRUE(resolve_wine_path(L"c:/Games/./Drakmoor/../Other/", &unix_path));
  EXPECT_TRUE(fs::equivalent(unix_path, drive_c("Games/Other")));
  EXPECT_TRUE(resolve_wine_path(L"C:", &unix_path));
  EXPECT_FALSE(resolve_wine_path(L"D:\\Games", &unix_path));   // no such drive
  EXPECT_FALSE(resolve_wine_path(L"C:\\Nowhere", &unix_path));
  EXPECT_FALSE(resolve_wine_path(L"C:Games", &unix_path));     // drive-relative
  EXPECT_FALSE(resolve_wine_path(L"/tmp", &unix_path));
  EXPECT_FALSE(resolve_wine_path(L"", &unix_path));
}

}  // namespace
