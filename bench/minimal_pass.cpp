// Benchmark baseline: the least a header check can do. For each *.mg1 file
// of a folder: open, read the 4-byte field, read the 8 bytes it points at,
// close. Prints nothing.
//   minimal_pass FOLDER
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

int main(int argc, char** argv) {
  // Opens by bare names from inside the folder, as the tool does.
  if (argc != 2 || chdir(argv[1]) != 0) return 2;
  DIR* dir = opendir(".");
  if (dir == nullptr) return 1;
  int sound = 0;
  while (dirent* entry = readdir(dir)) {
    std::size_t n = std::strlen(entry->d_name);
    if (n < 4 || std::strcmp(entry->d_name + n - 4, ".mg1") != 0) continue;
    int fd = open(entry->d_name, O_RDONLY);
    if (fd < 0) continue;
    unsigned char field[4], words[8];
    if (pread(fd, field, 4, 0) == 4) {
      std::uint32_t at = field[0] | field[1] << 8 | field[2] << 16 | static_cast<std::uint32_t>(field[3]) << 24;
      if (pread(fd, words, 8, at) == 8 && words[0] == 3 && words[4] == 0xF4) ++sound;
    }
    close(fd);
  }
  closedir(dir);
  return sound < 0;
}
