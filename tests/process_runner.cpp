#include "tests/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

extern char** environ;

std::vector<std::string> program_command() {
  std::vector<std::string> command;
  if (testing_windows_build()) command.push_back(MG1_WINE_RUN);
  const char* program = std::getenv("MG1_PROGRAM");
  command.push_back(program != nullptr ? program : MG1_NATIVE_PROGRAM);
  return command;
}

bool testing_windows_build() {
  const char* program = std::getenv("MG1_PROGRAM");
  std::string p = program != nullptr ? program : "";
  return p.size() > 4 && p.compare(p.size() - 4, 4, ".exe") == 0;
}

ProgramRun run_program(const std::vector<std::string>& args, const std::string& cwd,
                       const std::string& input, const std::vector<std::string>& env) {
  return run_process(program_command(), args, cwd, input, env);
}

ProgramRun run_process(const std::vector<std::string>& command,
                       const std::vector<std::string>& args, const std::string& cwd,
                       const std::string& input, const std::vector<std::string>& env,
                       int timeout_seconds) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return {};
  std::vector<std::string> argv_strings = command;
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) env_strings.push_back(*e);
  env_strings.insert(env_strings.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (std::string& s : env_strings) envp.push_back(&s[0]);
  envp.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
      close(fd);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  signal(SIGPIPE, SIG_IGN);

  ProgramRun run;
  std::size_t written = 0;
  int in_fd = in_pipe[1];
  if (input.empty()) {
    close(in_fd);
    in_fd = -1;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  int open_outputs = 2;
  while (open_outputs > 0) {
    pollfd fds[3] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}, {in_fd, POLLOUT, 0}};
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    deadline - std::chrono::steady_clock::now())
                                    .count());
    if (left <= 0 || poll(fds, in_fd >= 0 ? 3 : 2, left) == 0) {
      kill(-pid, SIGKILL);
      run.err += "\n[killed after timeout]";
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
        char buf[65536];
        ssize_t n = read(fds[i].fd, buf, sizeof buf);
        if (n > 0) {
          (i == 0 ? run.out : run.err).append(buf, static_cast<std::size_t>(n));
        } else {
          close(fds[i].fd);
          (i == 0 ? out_pipe[0] : err_pipe[0]) = -1;
          --open_outputs;
        }
      }
    }
    if (in_fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = write(in_fd, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n <= 0 || written == input.size()) {
        close(in_fd);
        in_fd = -1;
      }
    }
  }
  for (int fd : {in_fd, out_pipe[0], err_pipe[0]}) {
    if (fd >= 0) close(fd);
  }
  int wstatus = 0;
  rusage usage{};
  while (wait4(pid, &wstatus, 0, &usage) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  run.peak_memory_kb = usage.ru_maxrss;
  return run;
}

std::string lines(const std::string& text) {
  if (!testing_windows_build()) return text;
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void ProgramTest::SetUp() {
  namespace fs = std::filesystem;
  const char* program = std::getenv("MG1_PROGRAM");
  if (testing_windows_build() && !fs::exists(program))
    GTEST_SKIP() << program << " is not built: run the windows preset first";
  std::string pattern = (fs::temp_directory_path() / "mg1e2e-XXXXXX").string();
  ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
  root_ = pattern;
  fs::permissions(root_, fs::perms::all);
}

void ProgramTest::TearDown() {
  namespace fs = std::filesystem;
  if (root_.empty()) return;
  // Give back what a test took away, so that everything can be removed.
  std::error_code ignored;
  for (fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, ignored), end;
       it != end; it.increment(ignored)) {
    if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(root_, ignored);
}
