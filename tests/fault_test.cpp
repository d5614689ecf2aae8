// Faults a player's machine can throw at the program, each provoked for
// real on the built program: an unreadable folder, files it may not read or
// write, awkward names, a huge folder, and being killed in the middle of a
// pass. Linux build only: these are Unix permissions and signals.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "tests/process_runner.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

class FaultTest : public ProgramTest {
 protected:
  void SetUp() override {
    if (testing_windows_build()) GTEST_SKIP() << "Unix faults";
    ProgramTest::SetUp();
  }
  // The program as an ordinary user: root would read and write anything.
  // It runs from a copy here, since the build folder may be closed to others.
  ProgramRun run_unprivileged(const std::vector<std::string>& args) {
    std::vector<std::string> command;
    if (geteuid() == 0)
      command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    fs::path copy = root_ / "program-copy";
    fs::copy_file(program_command().back(), copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, fs::perms::all);
    command.push_back(copy.string());
    return run_process(command, args, root_.string());
  }
};

TEST_F(FaultTest, FolderThatCannotBeListed) {
  fs::create_directories(root_ / "locked");
  write_bytes(root_ / "locked" / "a.mg1", make_recording(100, 0, {20}));
  fs::permissions(root_ / "locked", fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
  ProgramRun run = run_unprivileged({"locked"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "mg1repair: cannot read folder \"" + (root_ / "locked").string() +
                         "\": Permission denied\n");
  fs::permissions(root_ / "locked", fs::perms::all);
  EXPECT_EQ(read_bytes(root_ / "locked" / "a.mg1"), make_recording(100, 0, {20}));
}

TEST_F(FaultTest, FilesThatCannotBeReadOrWritten) {
  Bytes broken = make_recording(1000, 0, {300});
  write_bytes(root_ / "a-readonly.mg1", broken);
  write_bytes(root_ / "b-unreadable.mg1", broken);
  write_bytes(root_ / "c-sound-readonly.mg1", make_recording(1000, 300, {300}));
  write_bytes(root_ / "d-writable.mg1", broken);
  fs::permissions(root_ / "a-readonly.mg1", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(root_ / "b-unreadable.mg1", fs::perms::none);
  fs::permissions(root_ / "c-sound-readonly.mg1", fs::perms::owner_read | fs::perms::others_read);
  fs::permissions(root_ / "d-writable.mg1", fs::perms::all);
  ProgramRun run = run_unprivileged({"."});
  EXPECT_EQ(run.out,
            "a-readonly.mg1 =>  cannot write file\n"
            "b-unreadable.mg1 =>  cannot open file\n"
            "c-sound-readonly.mg1 =>  OK\n"
            "d-writable.mg1 =>  repaired\n");
  EXPECT_EQ(read_bytes(root_ / "a-readonly.mg1"), broken);
  fs::permissions(root_ / "b-unreadable.mg1", fs::perms::owner_read, fs::perm_options::add);
  EXPECT_EQ(read_bytes(root_ / "b-unreadable.mg1"), broken);
  EXPECT_EQ(read_bytes(root_ / "d-writable.mg1"), with_field(broken, 300));
}

TEST_F(FaultTest, AwkwardNames) {
  Bytes broken = make_recording(100, 0, {20});
  std::string longest = std::string(251, 'n') + ".mg1";  // 255 bytes, the most a name may have
  std::vector<std::string> names = {longest,       "with space.mg1",  "quote\"d'.mg1",
                                    "new\nline.mg1", "100%d%s%ls%n.mg1", "-dash.mg1",
                                    " lead.mg1",    "tab\t.mg1"};
  for (const std::string& name : names) write_bytes(root_ / name, broken);
  ProgramRun run = run_program({"."}, root_.string());
  EXPECT_EQ(run.status, 0);
  std::vector<std::string> sorted = names;
  std::sort(sorted.begin(), sorted.end());
  std::string expected;
  for (const std::string& name : sorted) expected += name + " =>  repaired\n";
  EXPECT_EQ(run.out, expected);
  for (const std::string& name : names) EXPECT_EQ(read_bytes(root_ / name), with_field(broken, 20)) << name;
}

TEST_F(FaultTest, HugeFolderWithFewRecordings) {
  for (int i = 0; i < 100000 - 10; ++i) {
    std::ofstream(root_ / ("f" + std::to_string(i) + ".dat"));
  }
  Bytes broken = make_recording(100, 0, {20});
  std::string expected;
  for (int i = 0; i < 10; ++i) {
    std::string name = "rec" + std::to_string(i) + ".mg1";
    write_bytes(root_ / name, broken);
    expected += name + " =>  repaired\n";
  }
  ProgramRun run = run_program({"."}, root_.string());
  EXPECT_EQ(run.out, expected);
}

// Killed at random moments of a pass: every file is either as it was or
// fully repaired, never anything between, and a later run repairs the rest.
TEST_F(FaultTest, KilledDuringAPass) {
  std::mt19937 rng(7);
  const int kFiles = 500;
  std::vector<Bytes> originals;
  std::vector<std::uint32_t> markers;
  for (int i = 0; i < kFiles; ++i) {
    std::uint32_t at = 4 + rng() % 16000;
    originals.push_back(make_recording(16384, 0, {at}, static_cast<unsigned char>(rng())));
    markers.push_back(at);
  }
  auto path = [&](int i) { return root_ / ("r" + std::to_string(1000 + i) + ".mg1"); };
  std::vector<std::string> command = program_command();
  std::vector<char*> argv;
  for (std::string& part : command) argv.push_back(&part[0]);
  std::string folder = root_.string();
  argv.push_back(&folder[0]);
  argv.push_back(nullptr);

  int interrupted_mid_pass = 0;
  for (int round = 0; round < 20; ++round) {
    for (int i = 0; i < kFiles; ++i) write_bytes(path(i), originals[static_cast<std::size_t>(i)]);
    // Kill once the pass is under way (its first lines have come out), at
    // a random moment after that.
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    if (pid == 0) {
      dup2(out[1], 1);
      close(out[0]);
      close(out[1]);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    char first;
    ASSERT_EQ(read(out[0], &first, 1), 1);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 5000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(out[0]);
    int repaired = 0;
    for (int i = 0; i < kFiles; ++i) {
      Bytes now = read_bytes(path(i));
      const Bytes& before = originals[static_cast<std::size_t>(i)];
      Bytes fixed = with_field(before, markers[static_cast<std::size_t>(i)]);
      ASSERT_TRUE(now == before || now == fixed) << "round " << round << ", file " << i;
      repaired += now == fixed;
    }
    if (repaired > 0 && repaired < kFiles) ++interrupted_mid_pass;
  }
  EXPECT_GT(interrupted_mid_pass, 0) << "no kill landed in the middle of a pass";
  std::cout << interrupted_mid_pass << " of 20 kills landed in the middle of a pass\n";
  ProgramRun rest = run_program({"."}, root_.string());
  EXPECT_EQ(rest.status, 0);
  for (int i = 0; i < kFiles; ++i)
    EXPECT_EQ(read_bytes(path(i)), with_field(originals[static_cast<std::size_t>(i)], markers[static_cast<std::size_t>(i)]));
}

}  // namespace
