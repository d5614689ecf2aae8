// Benchmark baseline: reads files in 64 KiB pieces and does nothing else.
//   read_loop [--limit BYTES] [--write4] PATH...
// A folder stands for every regular file in it. --limit stops each file after
// that many bytes; --write4 then writes each file's first 4 bytes back
// unchanged, as a repair writes its field.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

long long limit = -1;
bool write4 = false;
unsigned long long total = 0;

void read_file(const std::string& path) {
  int fd = open(path.c_str(), write4 ? O_RDWR : O_RDONLY);
  if (fd < 0) return;
  static char buffer[65536];
  long long done = 0;
  for (;;) {
    size_t want = sizeof buffer;
    if (limit >= 0 && static_cast<long long>(want) > limit - done) want = static_cast<size_t>(limit - done);
    if (want == 0) break;
    ssize_t n = read(fd, buffer, want);
    if (n <= 0) break;
    done += n;
    total += static_cast<unsigned char>(buffer[0]);
  }
  if (write4 && pwrite(fd, buffer, 4, 0) != 4) std::perror(path.c_str());
  close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--limit") == 0 && i + 1 < argc) {
      limit = std::atoll(argv[++i]);
    } else if (std::strcmp(argv[i], "--write4") == 0) {
      write4 = true;
    } else {
      paths.push_back(argv[i]);
    }
  }
  for (const std::string& path : paths) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) continue;
    if (!S_ISDIR(st.st_mode)) {
      read_file(path);
      continue;
    }
    DIR* dir = opendir(path.c_str());
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') read_file(path + "/" + entry->d_name);
    }
    closedir(dir);
  }
  return total == 0xFFFFFFFFFFFFFFFFull;  // keeps the reads from being optimised away
}
