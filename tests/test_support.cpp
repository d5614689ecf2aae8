#include "tests/test_support.h"

#include <fstream>
#include <random>

namespace fs = std::filesystem;

Bytes make_recording(std::size_t size, std::uint32_t field,
                     const std::vector<std::size_t>& markers, unsigned char fill) {
  Bytes bytes(size, fill);
  for (std::size_t at : markers) {
    for (std::size_t i = 0; i < kMarker.size() && at + i < size; ++i)
      bytes[at + i] = kMarker[i];
  }
  return size >= 4 ? with_field(bytes, field) : bytes;
}

Bytes with_field(Bytes bytes, std::uint32_t field) {
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<unsigned char>(field >> (8 * i));
  return bytes;
}

void write_bytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

Bytes read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return Bytes();
  Bytes bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

void ScratchFolder::SetUp() {
  std::random_device seed;
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("mg1test-") + info->test_suite_name() + "-" +
                     std::to_string(seed());
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  folder_ = fs::temp_directory_path() / name;
  fs::create_directories(folder_);
  previous_ = fs::current_path();
  fs::current_path(folder_);
}

void ScratchFolder::TearDown() {
  fs::current_path(previous_);
  std::error_code ignored;
  fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(folder_, ignored);
}
