// Runs the built program as a user would: its own process, real folders,
// and its exact output bytes. POSIX hosts only; the Windows build is run
// from here through Wine.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

struct ProgramRun {
  std::string out;          // standard output, byte for byte
  std::string err;          // standard error
  int status = -1;          // exit status, or 128 + signal
  long peak_memory_kb = 0;  // the child's peak resident set
};

// The command that runs the program under test: MG1_PROGRAM (this build's
// own program when unset), through Wine when it is a Windows .exe.
std::vector<std::string> program_command();

// Runs `command` with `args` in folder `cwd`, feeding `input` to its standard
// input and then closing it. `env` entries ("NAME=value") are added to the
// environment. Gives up, killing the child, after `timeout_seconds`.
ProgramRun run_process(const std::vector<std::string>& command,
                       const std::vector<std::string>& args, const std::string& cwd,
                       const std::string& input = std::string(),
                       const std::vector<std::string>& env = {},
                       int timeout_seconds = 120);

// run_process with program_command().
ProgramRun run_program(const std::vector<std::string>& args, const std::string& cwd,
                       const std::string& input = std::string(),
                       const std::vector<std::string>& env = {});

// True when the program under test is the Windows build.
bool testing_windows_build();

// `text` with its line ends as the build under test writes them: CR LF on
// Windows.
std::string lines(const std::string& text);

// A scratch folder per test, root_, open to every user; skips the test when
// the Windows program under test has not been built.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::filesystem::path root_;
};
