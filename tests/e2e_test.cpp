// The built program in batch mode on real folders: exact output bytes, exit
// status and the files' bytes afterwards. Runs the Linux build, or the
// Windows build through Wine when MG1_PROGRAM names the .exe.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/process_runner.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

TEST_F(ProgramTest, BatchRepairsMixedFolder) {
  fs::path recs = root_ / "recs";
  fs::create_directories(recs / "x.mg1");
  Bytes sound = make_recording(1000, 500, {500});
  Bytes broken = make_recording(1000, 0, {300});
  Bytes no_marker = make_recording(1000, 0, {});
  write_bytes(recs / "a.mg1", sound);
  write_bytes(recs / "b.mg1", broken);
  write_bytes(recs / "c.mg1", no_marker);
  write_bytes(recs / "D.MG1", broken);
  write_bytes(recs / "x.mg2", broken);
  write_bytes(recs / "notes.txt", broken);
  // Recordings where the program starts must not be touched.
  write_bytes(root_ / "start.mg1", broken);

  ProgramRun run = run_program({"recs"}, root_.string());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  std::string posix_order =
      "D.MG1 =>  repaired\n"
      "a.mg1 =>  OK\n"
      "b.mg1 =>  repaired\n"
      "c.mg1 =>  scan error\n"
      "x.mg1 =>  cannot open file\n";
  // NTFS and Wine list case-insensitively.
  std::string windows_order =
      "a.mg1 =>  OK\n"
      "b.mg1 =>  repaired\n"
      "c.mg1 =>  scan error\n"
      "D.MG1 =>  repaired\n"
      "x.mg1 =>  cannot open file\n";
  if (testing_windows_build()) {
    // Wine lists in the Unix directory's order; compare the set of lines.
    EXPECT_EQ(run.out.size(), lines(windows_order).size()) << run.out;
    std::istringstream got(run.out);
    for (std::string line; std::getline(got, line);)
      EXPECT_NE(lines(windows_order).find(line + "\n"), std::string::npos) << line;
  } else {
    EXPECT_EQ(run.out, posix_order);
  }
  Bytes repaired = with_field(broken, 300);
  EXPECT_EQ(read_bytes(recs / "a.mg1"), sound);
  EXPECT_EQ(read_bytes(recs / "b.mg1"), repaired);
  EXPECT_EQ(read_bytes(recs / "c.mg1"), no_marker);
  EXPECT_EQ(read_bytes(recs / "D.MG1"), repaired);
  EXPECT_EQ(read_bytes(recs / "x.mg2"), broken);
  EXPECT_EQ(read_bytes(recs / "notes.txt"), broken);
  EXPECT_EQ(read_bytes(root_ / "start.mg1"), broken);

  ProgramRun again = run_program({"recs"}, root_.string());
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.out.find(lines("b.mg1 =>  OK\n")), std::string::npos);
  EXPECT_NE(again.out.find(lines("D.MG1 =>  OK\n")), std::string::npos);
}

TEST_F(ProgramTest, MissingFolderIsAnErrorAndTouchesNothing) {
  Bytes broken = make_recording(1000, 0, {300});
  write_bytes(root_ / "start.mg1", broken);
  ProgramRun run = run_program({"no such folder"}, root_.string());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("mg1repair: cannot open folder \"no such folder\": "), std::string::npos)
      << run.err;
  EXPECT_EQ(read_bytes(root_ / "start.mg1"), broken);
}

TEST_F(ProgramTest, SingleFileArgumentRepairsThatFile) {
  Bytes broken = make_recording(1000, 0, {300});
  write_bytes(root_ / "game.mg1", broken);
  write_bytes(root_ / "other.mg1", broken);
  ProgramRun run = run_program({"game.mg1"}, root_.string());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, lines("game.mg1 =>  repaired\n"));
  EXPECT_EQ(read_bytes(root_ / "game.mg1"), with_field(broken, 300));
  EXPECT_EQ(read_bytes(root_ / "other.mg1"), broken);
}

TEST_F(ProgramTest, HelpAndVersion) {
  for (const char* arg : {"--help", "-h", "/?"}) {
    ProgramRun run = run_program({arg}, root_.string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind(lines("Usage: mg1repair [FOLDER | FILE]\n"), 0), 0u) << arg;
  }
  ProgramRun version = run_program({"--version"}, root_.string());
  EXPECT_EQ(version.out, lines("mg1repair 2.0.0\n"));
  // A folder that happens to be called --help is still reachable.
  fs::create_directories(root_ / "--help");
  write_bytes(root_ / "--help" / "a.mg1", make_recording(100, 0, {20}));
  ProgramRun folder = run_program({"./--help"}, root_.string());
  EXPECT_EQ(folder.out, lines("a.mg1 =>  repaired\n"));
}

TEST_F(ProgramTest, NamesInAndOutsideTheLocaleEncoding) {
  if (testing_windows_build()) GTEST_SKIP() << "Unix byte names";
  fs::path recs = root_ / "recs";
  fs::create_directories(recs);
  Bytes broken = make_recording(100, 0, {20});
  write_bytes(recs / "caf\xe9.mg1", broken);          // Latin-1: not UTF-8
  write_bytes(recs / "p\xc3\xa4rty.mg1", broken);     // UTF-8 "pärty"
  ProgramRun run = run_program({"recs"}, root_.string(), "", {"LC_ALL=C.UTF-8"});
  EXPECT_EQ(run.out, "caf?.mg1 =>  repaired\np\xc3\xa4rty.mg1 =>  repaired\n");
  EXPECT_EQ(read_bytes(recs / "caf\xe9.mg1"), with_field(broken, 20));
  EXPECT_EQ(read_bytes(recs / "p\xc3\xa4rty.mg1"), with_field(broken, 20));
}

TEST_F(ProgramTest, FifoIsRefusedWithoutWaiting) {
  if (testing_windows_build()) GTEST_SKIP() << "Unix FIFOs";
  ASSERT_EQ(mkfifo((root_ / "pipe.mg1").c_str(), 0600), 0);
  ProgramRun run = run_program({root_.string()}, root_.string());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "pipe.mg1 =>  cannot open file\n");
}

// Links to devices and nowhere: refused, and nothing waits on them.
TEST_F(ProgramTest, LinksToDevicesAndNowhere) {
  if (testing_windows_build()) GTEST_SKIP() << "Unix devices";
  fs::create_symlink("/dev/zero", root_ / "a-zero.mg1");
  fs::create_symlink("/dev/urandom", root_ / "b-random.mg1");
  fs::create_symlink("/dev/null", root_ / "c-null.mg1");
  fs::create_symlink("missing.mg1", root_ / "d-dangling.mg1");
  fs::create_symlink("e-loop.mg1", root_ / "e-loop.mg1");
  ProgramRun run = run_program({root_.string()}, root_.string());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "a-zero.mg1 =>  cannot open file\n"
            "b-random.mg1 =>  cannot open file\n"
            "c-null.mg1 =>  cannot open file\n"
            "d-dangling.mg1 =>  cannot open file\n"
            "e-loop.mg1 =>  cannot open file\n");
}

// A 3 GiB recording (sparse, so it costs no disk) whose marker sits at
// 2.5 GiB: repaired, with the same peak memory as a 1 MiB one.
TEST_F(ProgramTest, HugeFileRepairedInConstantMemory) {
  const std::uint64_t size = 3ull << 30, marker = 5ull << 29;
  {
    std::ofstream f(root_ / "huge.mg1", std::ios::binary);
    f.seekp(static_cast<std::streamoff>(marker));
    f.write(reinterpret_cast<const char*>(kMarker.data()), 8);
  }
  fs::resize_file(root_ / "huge.mg1", size);
  fs::create_directories(root_ / "small");
  write_bytes(root_ / "small" / "small.mg1", make_recording(1 << 20, 0, {(1 << 20) - 8}, 0));

  ProgramRun small = run_program({"small"}, root_.string());
  EXPECT_EQ(small.out, lines("small.mg1 =>  repaired\n"));
  ProgramRun huge = run_program({"huge.mg1"}, root_.string());
  EXPECT_EQ(huge.out, lines("huge.mg1 =>  repaired\n"));
  EXPECT_EQ(fs::file_size(root_ / "huge.mg1"), size);
  std::ifstream f(root_ / "huge.mg1", std::ios::binary);
  unsigned char field[4];
  f.read(reinterpret_cast<char*>(field), 4);
  EXPECT_EQ(Bytes(field, field + 4), (Bytes{0x00, 0x00, 0x00, 0xA0}));
  if (!testing_windows_build()) {
    EXPECT_LE(huge.peak_memory_kb, small.peak_memory_kb + 1024)
        << "huge " << huge.peak_memory_kb << " KiB, small " << small.peak_memory_kb << " KiB";
  }
  std::cout << "peak memory: 1 MiB file " << small.peak_memory_kb << " KiB, 3 GiB file "
            << huge.peak_memory_kb << " KiB\n";
}

// The field holds 32 bits: a marker past 4 GiB - 1 cannot be pointed at.
TEST_F(ProgramTest, MarkerBeyondFieldRangeIsScanError) {
  const std::uint64_t marker = (4ull << 30) + 100;
  {
    std::ofstream f(root_ / "far.mg1", std::ios::binary);
    f.seekp(static_cast<std::streamoff>(marker));
    f.write(reinterpret_cast<const char*>(kMarker.data()), 8);
  }
  ProgramRun run = run_program({"far.mg1"}, root_.string());
  EXPECT_EQ(run.out, lines("far.mg1 =>  scan error\n"));
  std::ifstream f(root_ / "far.mg1", std::ios::binary);
  unsigned char field[4];
  f.read(reinterpret_cast<char*>(field), 4);
  EXPECT_EQ(Bytes(field, field + 4), (Bytes{0, 0, 0, 0}));
}

// What players meet on Windows: the game still has the recording open.
TEST_F(ProgramTest, RecordingHeldOpenByTheGameCannotBeWritten) {
  if (!testing_windows_build()) GTEST_SKIP() << "Windows sharing modes";
  Bytes broken = make_recording(1000, 0, {300});
  write_bytes(root_ / "held.mg1", broken);
  write_bytes(root_ / "free.mg1", broken);
  fs::path program = std::getenv("MG1_PROGRAM");
  std::string windows_program = "Z:" + program.string();
  for (char& c : windows_program) {
    if (c == '/') c = '\\';
  }
  ProgramRun run = run_process(
      {MG1_WINE_RUN, (program.parent_path() / "tests" / "hold_file.exe").string()},
      {"held.mg1", windows_program, "."}, root_.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, lines("free.mg1 =>  repaired\nheld.mg1 =>  cannot write file\n"));
  EXPECT_EQ(read_bytes(root_ / "held.mg1"), broken);
  EXPECT_EQ(read_bytes(root_ / "free.mg1"), with_field(broken, 300));
}

// Redirected batch output is narrow text: a character the code page cannot
// show becomes "?", and the rest of the line and the repair are unaffected.
TEST_F(ProgramTest, NameOutsideTheCodePage) {
  if (!testing_windows_build()) GTEST_SKIP() << "Windows code pages";
  Bytes broken = make_recording(100, 0, {20});
  write_bytes(root_ / "\xe5\xb1\xb1.mg1", broken);  // U+5C71
  ProgramRun run = run_program({"."}, root_.string());
  EXPECT_EQ(run.out, lines("?.mg1 =>  repaired\n"));
  EXPECT_EQ(read_bytes(root_ / "\xe5\xb1\xb1.mg1"), with_field(broken, 20));
}

// The two builds on copies of one folder: the same lines (CR LF aside, in the
// order each lists them) and the same bytes afterwards.
TEST_F(ProgramTest, WindowsBuildMatchesLinuxBuild) {
  if (!testing_windows_build()) GTEST_SKIP() << "compares the Windows build with this one";
  Bytes broken = make_recording(5000, 0, {4000});
  Bytes wrong = make_recording(80000, 77, {66000, 70000});
  Bytes sound = make_recording(3000, 900, {900, 100});
  Bytes bad = make_recording(3000, 0, {});
  for (const char* side : {"linux", "windows"}) {
    fs::path folder = root_ / side;
    fs::create_directories(folder / "sub.mg1");
    write_bytes(folder / "broken.mg1", broken);
    write_bytes(folder / "Wrong.MG1", wrong);
    write_bytes(folder / "sound.mg1", sound);
    write_bytes(folder / "bad.mg1", bad);
    write_bytes(folder / "tiny.mg1", Bytes{1, 2});
    write_bytes(folder / "other.mg2", broken);
  }
  ProgramRun linux_run = run_process({MG1_NATIVE_PROGRAM}, {"linux"}, root_.string());
  ProgramRun windows_run = run_program({"windows"}, root_.string());
  auto sorted_lines = [](std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    std::sort(out.begin(), out.end());
    return out;
  };
  EXPECT_EQ(sorted_lines(windows_run.out), sorted_lines(linux_run.out));
  EXPECT_EQ(std::count(windows_run.out.begin(), windows_run.out.end(), '\r'), 6);
  EXPECT_EQ(std::count(windows_run.out.begin(), windows_run.out.end(), '\n'), 6);
  for (const char* name : {"broken.mg1", "Wrong.MG1", "sound.mg1", "bad.mg1", "tiny.mg1", "other.mg2"})
    EXPECT_EQ(read_bytes(root_ / "windows" / name), read_bytes(root_ / "linux" / name)) << name;
  EXPECT_EQ(read_bytes(root_ / "linux" / "Wrong.MG1"), with_field(wrong, 66000));
}

}  // namespace
