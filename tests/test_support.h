// Helpers shared by the tests: a scratch folder per test that is also the
// current folder while the test runs, and byte-level file builders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// The 8 marker bytes, written out here rather than taken from the code under
// test. Inline, so that tables of cases built at start-up can use it.
inline const Bytes kMarker = {0x03, 0x00, 0x00, 0x00, 0xF4, 0x01, 0x00, 0x00};

// A file of `size` bytes of `fill`, with `field` in its first 4 bytes
// (little-endian) and the marker copied to each offset in `markers`.
Bytes make_recording(std::size_t size, std::uint32_t field,
                     const std::vector<std::size_t>& markers,
                     unsigned char fill = 0x55);

// `bytes` with its first 4 bytes replaced by `field`.
Bytes with_field(Bytes bytes, std::uint32_t field);

void write_bytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes read_bytes(const std::filesystem::path& path);

// Creates a fresh empty folder, makes it the current folder for the test and
// removes it afterwards.
class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::filesystem::path folder_;
  std::filesystem::path previous_;
};

// Names a parameterised case after its `name` field, so a failure says
// which case it was.
struct CaseName {
  template <class T>
  std::string operator()(const ::testing::TestParamInfo<T>& p) const {
    return p.param.name;
  }
};
