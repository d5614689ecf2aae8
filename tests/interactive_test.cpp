// The interactive mode of the built program, driven through a pipe as a
// script would drive it: exact output bytes, on both builds.
#include <poll.h>
#include <pty.h>  // forkpty
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "tests/process_runner.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kBanner = "Drakmoor Recorded Games Repairer v2.0\n";
const std::string kNotFound = "\nSaveGame path: NOT FOUND. You must specify it manually";
const std::string kMenu = "    1: Repair\n    2: Set SaveGame folder\n    3: Exit\n>";

// Item 1's output over a folder holding one recording, b.mg1.
std::string repair_of_b(const char* outcome, int repaired) {
  return "Repairing files...\nb.mg1 =>  " + std::string(outcome) + "\n\n1 files scanned\n" +
         std::to_string(repaired) + " recordings repaired\n0 files are not valid recordings\n";
}

// Interactive output as the build under test writes it: UTF-16LE text with
// CR LF on Windows (the mode switches to UTF-16), the text itself on Linux.
std::string session(const std::string& text) {
  if (!testing_windows_build()) return text;
  std::string out;
  for (char c : lines(text)) {
    out += c;
    out += '\0';
  }
  return out;
}

std::string status_line(const fs::path& folder) {
  std::string shown = folder.string();
  if (testing_windows_build()) {
    shown = "Z:" + shown;
    std::replace(shown.begin(), shown.end(), '/', '\\');
  }
  return "\nSaveGame path: " + shown + "\n";
}

class InteractiveTest : public ProgramTest {
 protected:
  ProgramRun run_menu(const std::string& keys, const fs::path& cwd,
                      std::vector<std::string> env = {}) {
    // A prefix that does not exist: no registry, so no save folder found.
    env.push_back("WINEPREFIX=" + (root_ / "no-prefix").string());
    return run_program({}, cwd.string(), keys, env);
  }
  // Writes a recording whose field is 0 and whose body is at 300.
  Bytes write_broken(const fs::path& file) {
    Bytes broken = make_recording(1000, 0, {300});
    write_bytes(file, broken);
    return broken;
  }
};

TEST_F(InteractiveTest, ExitAtOnceTouchesNothing) {
  Bytes broken = write_broken(root_ / "b.mg1");
  ProgramRun run = run_menu("3", root_);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, session(kBanner + kNotFound + kMenu + "\n"));
  EXPECT_EQ(read_bytes(root_ / "b.mg1"), broken);
}

TEST_F(InteractiveTest, InvalidKeyShowsTheMenuAgain) {
  ProgramRun run = run_menu("x3", root_);
  EXPECT_EQ(run.out, session(kBanner + kNotFound + kMenu + "\nInvalid selection\n" + kNotFound +
                             kMenu + "\n"));
}

TEST_F(InteractiveTest, RepairTwiceCountsEachPassAlone) {
  Bytes broken = write_broken(root_ / "b.mg1");
  // Two arguments are not batch mode: the menu, over the current folder.
  ProgramRun run = run_program({"a", "b"}, root_.string(), "113",
                               {"WINEPREFIX=" + (root_ / "no-prefix").string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            session(kBanner + kNotFound + kMenu + "\n" + repair_of_b("repaired", 1) + kNotFound +
                    kMenu + "\n" + repair_of_b("OK", 0) + kNotFound + kMenu + "\n"));
  EXPECT_EQ(read_bytes(root_ / "b.mg1"), with_field(broken, 300));
}

TEST_F(InteractiveTest, InputEndingWithoutExitEndsAtOnce) {
  Bytes broken = write_broken(root_ / "b.mg1");
  ProgramRun none = run_menu("", root_);
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, session(kBanner + kNotFound + kMenu + "\n"));
  ProgramRun one = run_menu("1", root_);
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out, session(kBanner + kNotFound + kMenu + "\n" + repair_of_b("repaired", 1) +
                             kNotFound + kMenu + "\n"));
}

// Item 2 on Linux: the folder is typed at the prompt.
TEST_F(InteractiveTest, ChooseFolderByTyping) {
  if (testing_windows_build()) GTEST_SKIP() << "the Windows build shows the shell's dialog";
  fs::create_directories(root_ / "games" / "D" / "SaveGame");
  fs::create_directories(root_ / "start");
  Bytes broken = write_broken(root_ / "games" / "D" / "SaveGame" / "r.mg1");
  std::string typed = (root_ / "games" / "D").string();
  ProgramRun run = run_menu("2" + typed + "\n13", root_ / "start");
  EXPECT_EQ(run.out, kBanner + kNotFound + kMenu + "\n" + "folder\npath: \nBrowse for folder..." +
                         status_line(root_ / "games" / "D" / "SaveGame") + kMenu + "\n" +
                         "Repairing files...\nr.mg1 =>  repaired\n"
                         "\n1 files scanned\n1 recordings repaired\n0 files are not valid "
                         "recordings\n" +
                         status_line(root_ / "games" / "D" / "SaveGame") + kMenu + "\n");
  EXPECT_EQ(read_bytes(root_ / "games" / "D" / "SaveGame" / "r.mg1"), with_field(broken, 300));
}

// Cancelling keeps the starting folder; the status line then shows where
// the program stands, even though no save folder had been found.
TEST_F(InteractiveTest, CancelledChoiceShowsTheCurrentFolder) {
  if (testing_windows_build()) GTEST_SKIP() << "the Windows build shows the shell's dialog";
  fs::create_directories(root_ / "start" / "SaveGame");
  fs::create_directories(root_ / "plain");
  ProgramRun with_saves = run_menu("2\n3", root_ / "start");
  EXPECT_EQ(with_saves.out, kBanner + kNotFound + kMenu + "\nfolder\npath: \nBrowse for folder..." +
                                status_line(root_ / "start" / "SaveGame") + kMenu + "\n");
  ProgramRun plain = run_menu("2\n3", root_ / "plain");
  EXPECT_EQ(plain.out, kBanner + kNotFound + kMenu + "\nfolder\npath: \nBrowse for folder..." +
                           status_line(root_ / "plain") + kMenu + "\n");
}

// The save folder found through the Wine prefix the game is installed in.
TEST_F(InteractiveTest, SaveFolderFromTheWinePrefix) {
  if (testing_windows_build()) GTEST_SKIP() << "see WindowsRegistryLocations";
  fs::path prefix = root_ / "prefix";
  fs::create_directories(prefix / "dosdevices");
  fs::create_directories(prefix / "drive_c" / "Games" / "Drakmoor" / "SaveGame");
  fs::create_symlink("../drive_c", prefix / "dosdevices" / "c:");
  std::ofstream(prefix / "system.reg")
      << "WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node\\\\Tollbrook\\\\Drakmoor: "
         "Ironvale\\\\1.0] 1\n\"Game Path\"=\"C:\\\\Games\\\\Drakmoor\"\n";
  fs::path saves = prefix / "drive_c" / "Games" / "Drakmoor" / "SaveGame";
  Bytes broken = write_broken(saves / "r.mg1");
  fs::create_directories(root_ / "other" / "SaveGame");
  ProgramRun run = run_program({}, root_.string(), "23", {"WINEPREFIX=" + prefix.string()});
  // A path typed in Windows form is found in the prefix too.
  ProgramRun typed = run_program({}, root_.string(), "2C:\\games\\drakmoor\n13",
                                 {"WINEPREFIX=" + prefix.string()});
  EXPECT_EQ(run.out, kBanner + status_line(saves) + kMenu + "\nfolder\npath: " + saves.string() +
                         "\nBrowse for folder..." + status_line(saves) + kMenu + "\n");
  EXPECT_NE(typed.out.find(status_line(saves) + kMenu + "\nRepairing files...\nr.mg1 =>  repaired\n"),
            std::string::npos)
      << typed.out;
}

// The Windows build's four registry locations, with values written by Wine's
// own reg.exe into a prefix kept for these cases alone.
TEST_F(InteractiveTest, WindowsRegistryLocations) {
  if (!testing_windows_build()) GTEST_SKIP() << "see SaveFolderFromTheWinePrefix";
  std::string prefix =
      (fs::path(MG1_WINE_RUN).parent_path().parent_path() / "build" / "wineprefix-registry")
          .string();
  std::vector<std::string> env = {"MG1_WINEPREFIX=" + prefix};
  auto windows_path = [](const fs::path& p) {
    std::string s = "Z:" + p.string();
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
  };
  const std::string key1 = "HKLM\\SOFTWARE\\Tollbrook\\Drakmoor: Ironvale\\1.0";
  const std::string key2 = "HKLM\\SOFTWARE\\Wow6432Node\\Tollbrook\\Drakmoor: Ironvale\\1.0";
  const std::string key3 =
      "HKCU\\SOFTWARE\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Tollbrook\\Drakmoor: "
      "Ironvale\\1.0";
  auto reg = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "reg");
    ProgramRun r = run_process({MG1_WINE_RUN}, args, root_.string(), "", env);
    return r.status;
  };
  auto clear = [&] {
    for (const std::string& k : {key1, key2, key3}) reg({"delete", k, "/f"});
  };
  auto menu = [&](const fs::path& cwd) {
    return run_program({}, cwd.string(), "3", env).out;
  };
  fs::create_directories(root_ / "game" / "SaveGame");
  fs::create_directories(root_ / "other" / "SaveGame");
  fs::create_directories(root_ / "nosaves");
  fs::create_directories(root_ / "start");

  clear();
  EXPECT_EQ(menu(root_ / "start"), session(kBanner + kNotFound + kMenu + "\n"));

  // Only location 2 has the value.
  ASSERT_EQ(reg({"add", key2, "/v", "Game Path", "/d", windows_path(root_ / "game"), "/f"}), 0);
  EXPECT_EQ(menu(root_ / "start"),
            session(kBanner + status_line(root_ / "game" / "SaveGame") + kMenu + "\n"));

  // Location 1 has the key but not the value; location 3 has it.
  clear();
  ASSERT_EQ(reg({"add", key1, "/v", "Installed", "/d", "1", "/f"}), 0);
  ASSERT_EQ(reg({"add", key3, "/v", "Game Path", "/d", windows_path(root_ / "other"), "/f"}), 0);
  EXPECT_EQ(menu(root_ / "start"),
            session(kBanner + status_line(root_ / "other" / "SaveGame") + kMenu + "\n"));

  // A folder without SaveGame, then one that no longer exists.
  clear();
  ASSERT_EQ(reg({"add", key1, "/v", "Game Path", "/d", windows_path(root_ / "nosaves"), "/f"}), 0);
  EXPECT_EQ(menu(root_ / "start"), session(kBanner + status_line(root_ / "nosaves") + kMenu + "\n"));
  ASSERT_EQ(reg({"add", key1, "/v", "Game Path", "/d", windows_path(root_ / "gone"), "/f"}), 0);
  EXPECT_EQ(menu(root_ / "start"), session(kBanner + status_line(root_ / "start") + kMenu + "\n"));
  clear();
}

// A real terminal: keys are taken one at a time without Enter and without
// echo, and the terminal is given back as it was, even on Ctrl-C.
TEST_F(InteractiveTest, TerminalKeysAndCtrlC) {
  if (testing_windows_build()) GTEST_SKIP() << "a Unix terminal";
  std::string program = program_command().back();
  std::string prefix = "WINEPREFIX=" + (root_ / "no-prefix").string();
  int terminal = -1;
  pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(root_.c_str()) != 0) _exit(126);
    putenv(&prefix[0]);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string screen;
  // Reads what the program shows until `text` has appeared, for at most 10 s.
  auto wait_for = [&](const std::string& text) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (screen.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd p = {terminal, POLLIN, 0};
      if (poll(&p, 1, 100) > 0) {
        char buf[4096];
        ssize_t n = read(terminal, buf, sizeof buf);
        if (n <= 0) break;
        screen.append(buf, static_cast<std::size_t>(n));
      }
    }
    return screen.find(text) != std::string::npos;
  };
  ASSERT_TRUE(wait_for("3: Exit\r\n>")) << screen;
  termios waiting{};
  tcgetattr(terminal, &waiting);
  EXPECT_EQ(waiting.c_lflag & (ICANON | ECHO), 0u) << "waiting for a key in line mode or with echo";
  ASSERT_EQ(write(terminal, "x", 1), 1);  // no Enter
  ASSERT_TRUE(wait_for("Invalid selection")) << screen;
  EXPECT_NE(screen.find(">\r\nInvalid selection\r\n"), std::string::npos) << "the key was echoed: " << screen;
  ASSERT_TRUE(wait_for("Invalid selection\r\n\r\nSaveGame path: NOT FOUND. You must specify it manually"
                       "    1: Repair\r\n    2: Set SaveGame folder\r\n    3: Exit\r\n>"))
      << screen;
  ASSERT_EQ(write(terminal, "\x03", 1), 1);  // Ctrl-C
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  termios after{};
  ASSERT_EQ(tcgetattr(terminal, &after), 0);
  // A new pty starts in line mode with echo; that is how it must be left.
  EXPECT_EQ(after.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
  close(terminal);
}

}  // namespace
