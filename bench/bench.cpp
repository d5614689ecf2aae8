// The benchmark: makes its data (once) under a folder of the build tree, runs
// the tool and a baseline on the same data in alternation, and prints the
// ratio of their median times for each case.
//   mg1bench DATA_FOLDER [RUNS]
// The baselines (read_loop, minimal_pass) are built beside this program.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const unsigned char kMarker[8] = {0x03, 0, 0, 0, 0xF4, 0x01, 0, 0};

// xorshift64*: fast, and the same data on every machine.
std::uint64_t rng_state = 0x9E3779B97F4A7C15ull;
std::uint64_t next_random() {
  rng_state ^= rng_state >> 12;
  rng_state ^= rng_state << 25;
  rng_state ^= rng_state >> 27;
  return rng_state * 0x2545F4914F6CDD1Dull;
}

using Filler = std::function<void(unsigned char* data, std::size_t size, std::uint64_t offset)>;

void fill_two_thirds_zero(unsigned char* p, std::size_t n, std::uint64_t) {
  for (std::size_t i = 0; i < n; ++i) {
    std::uint64_t r = next_random();
    p[i] = r % 3 == 0 ? static_cast<unsigned char>(r >> 32) : 0;
  }
}

void fill_words_every_fifth_3(unsigned char* p, std::size_t n, std::uint64_t offset) {
  for (std::size_t i = 0; i < n; i += 4) {
    std::uint64_t word_index = (offset + i) / 4;
    std::uint32_t w = word_index % 5 == 0 ? 3u : static_cast<std::uint32_t>(next_random() >> 16);
    for (int k = 0; k < 4 && i + static_cast<std::size_t>(k) < n; ++k)
      p[i + static_cast<std::size_t>(k)] = static_cast<unsigned char>(w >> (8 * k));
  }
}

void fill_f4(unsigned char* p, std::size_t n, std::uint64_t) { std::memset(p, 0xF4, n); }

void fill_near_miss(unsigned char* p, std::size_t n, std::uint64_t offset) {
  static const unsigned char near[8] = {0x03, 0, 0, 0, 0xF4, 0x01, 0, 0x01};
  for (std::size_t i = 0; i < n; ++i) p[i] = near[(offset + i) % 8];
}

// Writes a recording of `size` bytes: field 0, the filler, and the marker at
// `marker`.
void make_recording(const fs::path& path, std::uint64_t size, std::uint64_t field,
                    std::uint64_t marker, const Filler& fill) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::vector<unsigned char> chunk(1 << 20);
  for (std::uint64_t at = 0; at < size; at += chunk.size()) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - at));
    fill(chunk.data(), n, at);
    // The only marker is the one placed: break any the filler made by chance.
    for (std::size_t i = 0; i + 8 <= n; ++i) {
      if (chunk[i] == 0x03 && chunk[i + 4] == 0xF4 && std::memcmp(&chunk[i], kMarker, 8) == 0)
        chunk[i + 5] = 0x02;
    }
    for (std::size_t i = 0; i < 8; ++i) {
      if (marker + i >= at && marker + i < at + n) chunk[marker + i - at] = kMarker[i];
    }
    if (at == 0) {
      for (int i = 0; i < 4; ++i) chunk[static_cast<std::size_t>(i)] = static_cast<unsigned char>(field >> (8 * i));
    }
    std::fwrite(chunk.data(), 1, n, f);
  }
  std::fclose(f);
}

void set_field(const fs::path& path, std::uint32_t value) {
  int fd = open(path.c_str(), O_WRONLY);
  unsigned char field[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  if (fd < 0 || pwrite(fd, field, 4, 0) != 4) std::perror(path.c_str());
  close(fd);
}

struct Measure {
  double seconds;
  long peak_kb;
};

Measure run(const std::vector<std::string>& command, const fs::path& cwd) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    for (const std::string& s : command) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
    std::fprintf(stderr, "warning: %s exited with status %d\n", command[0].c_str(), status);
  return {seconds, usage.ru_maxrss};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Case {
  std::string name;
  std::vector<std::string> tool;
  std::string baseline_name;
  std::vector<std::string> baseline;
  std::function<void()> prepare;  // untimed, before every run of either
  double target;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mg1bench DATA_FOLDER [RUNS]\n");
    return 2;
  }
  fs::path data = fs::absolute(argv[1]);
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  fs::path here = fs::canonical("/proc/self/exe").parent_path();
  std::string tool = MG1_TOOL;
  std::string read_loop = (here / "read_loop").string();
  std::string minimal_pass = (here / "minimal_pass").string();

  const std::uint64_t GiB = 1ull << 30;
  fs::path stamp = data / "complete-v2";
  if (!fs::exists(stamp)) {
    std::printf("making benchmark data in %s ...\n", data.c_str());
    std::fflush(stdout);
    fs::remove_all(data);
    fs::create_directories(data / "sound");
    fs::create_directories(data / "broken");
    fs::create_directories(data / "small");
    make_recording(data / "zeros.mg1", GiB, 0, GiB - 8, fill_two_thirds_zero);
    make_recording(data / "words.mg1", GiB, 0, GiB - 8, fill_words_every_fifth_3);
    make_recording(data / "f4.mg1", GiB, 0, GiB - 8, fill_f4);
    make_recording(data / "nearmiss.mg1", GiB, 0, GiB - 8, fill_near_miss);
    for (int i = 0; i < 20000; ++i)
      make_recording(data / "sound" / ("rec" + std::to_string(i) + ".mg1"), 16384, 8000, 8000,
                     fill_two_thirds_zero);
    for (int i = 0; i < 2000; ++i)
      make_recording(data / "broken" / ("rec" + std::to_string(i) + ".mg1"), 1 << 20, 0, 200000,
                     fill_two_thirds_zero);
    make_recording(data / "small" / "small.mg1", 1 << 20, 0, (1 << 20) - 8, fill_two_thirds_zero);
    {  // sparse: no disk blocks but the marker's
      make_recording(data / "sparse.mg1", 4096, 0, 1ull << 62, fill_f4);
      fs::resize_file(data / "sparse.mg1", 3 * GiB);
      int fd = open((data / "sparse.mg1").c_str(), O_WRONLY);
      if (pwrite(fd, kMarker, 8, static_cast<off_t>(3 * GiB - 8)) != 8) std::perror("sparse");
      close(fd);
    }
    std::fclose(std::fopen(stamp.c_str(), "w"));
  }

  auto reset = [](const fs::path& file) { return [file] { set_field(file, 0); }; };
  auto reset_folder = [data] {
    for (int i = 0; i < 2000; ++i) set_field(data / "broken" / ("rec" + std::to_string(i) + ".mg1"), 0);
  };
  std::vector<Case> cases = {
      {"scan 1 GiB, random, 2/3 zero", {tool, "zeros.mg1"}, "read loop", {read_loop, "zeros.mg1"},
       reset(data / "zeros.mg1"), 1.25},
      {"scan 1 GiB, every 5th word 3", {tool, "words.mg1"}, "read loop", {read_loop, "words.mg1"},
       reset(data / "words.mg1"), 1.25},
      {"scan 1 GiB, every byte F4", {tool, "f4.mg1"}, "read loop", {read_loop, "f4.mg1"},
       reset(data / "f4.mg1"), 2.0},
      {"scan 1 GiB, near misses", {tool, "nearmiss.mg1"}, "read loop", {read_loop, "nearmiss.mg1"},
       reset(data / "nearmiss.mg1"), 2.0},
      {"20,000 sound 16 KiB files", {tool, "sound"}, "minimal pass", {minimal_pass, "sound"}, [] {},
       1.2},
      {"2,000 broken 1 MiB files", {tool, "broken"}, "read 264 KiB + write",
       {read_loop, "--limit", "270336", "--write4", "broken"}, reset_folder, 1.5},
  };

  std::printf("%-32s %10s %10s  %-22s %6s %7s\n", "case", "tool (s)", "base (s)", "baseline", "ratio",
              "target");
  bool all_met = true;
  for (const Case& c : cases) {
    std::vector<double> tool_times, base_times;
    c.prepare();
    run(c.tool, data);  // warm the page cache and any lazy set-up
    run(c.baseline, data);
    for (int i = 0; i < runs; ++i) {
      c.prepare();
      tool_times.push_back(run(c.tool, data).seconds);
      c.prepare();
      base_times.push_back(run(c.baseline, data).seconds);
    }
    double t = median(tool_times), b = median(base_times), ratio = t / b;
    bool met = ratio <= c.target;
    all_met = all_met && met;
    std::printf("%-32s %10.4f %10.4f  %-22s %6.2f %6.2fx %s\n", c.name.c_str(), t, b,
                c.baseline_name.c_str(), ratio, c.target, met ? "met" : "MISSED");
    std::fflush(stdout);
  }
  set_field(data / "sparse.mg1", 0);
  set_field(data / "small" / "small.mg1", 0);
  long small = run({tool, "small"}, data).peak_kb;
  long huge = run({tool, "sparse.mg1"}, data).peak_kb;
  bool memory_met = huge <= small + 1024;
  all_met = all_met && memory_met;
  std::printf("%-32s %7ld KiB for 3 GiB, %ld KiB for 1 MiB: %+ld KiB (target within 1024) %s\n",
              "peak memory", huge, small, huge - small, memory_met ? "met" : "MISSED");
  return all_met ? 0 : 1;
}
