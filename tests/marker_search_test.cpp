// find_marker on buffers: every position and buffer length near the search's
// block edges, and fillers built to defeat its filter.
#include "repair/marker_search.h"
#include "tests/test_support.h"

namespace {

std::size_t find(const Bytes& b) { return find_marker(b.data(), b.size()); }

Bytes with_marker(Bytes b, std::size_t at) {
  for (std::size_t i = 0; i < 8; ++i) b[at + i] = kMarker[i];
  return b;
}

TEST(FindMarkerTest, EveryPositionInEveryShortLength) {
  for (std::size_t size = 0; size <= 300; ++size) {
    Bytes empty(size, 0x00);
    ASSERT_EQ(find(empty), kNoMarker) << size;
    for (std::size_t at = 0; at + 8 <= size; ++at)
      ASSERT_EQ(find(with_marker(empty, at)), at) << "size " << size << " at " << at;
  }
}

TEST(FindMarkerTest, TruncatedMarkerAtEndIsNotFound) {
  for (std::size_t size = 64; size <= 200; ++size) {
    for (std::size_t keep = 1; keep < 8; ++keep) {
      Bytes b(size, 0x00);
      for (std::size_t i = 0; i < keep; ++i) b[size - keep + i] = kMarker[i];
      ASSERT_EQ(find(b), kNoMarker) << size << " " << keep;
    }
  }
}

struct Filler {
  const char* name;
  Bytes pattern;
};

class AdversarialFillerTest : public ::testing::TestWithParam<Filler> {};

TEST_P(AdversarialFillerTest, FirstMarkerAfterFiller) {
  const Bytes& pattern = GetParam().pattern;
  Bytes b;
  while (b.size() < 5000) b.insert(b.end(), pattern.begin(), pattern.end());
  ASSERT_EQ(find(b), kNoMarker);
  for (std::size_t at : {0u, 1u, 7u, 63u, 64u, 65u, 1000u, 4992u}) {
    ASSERT_EQ(find(with_marker(b, at)), at) << at;
    ASSERT_EQ(find(with_marker(with_marker(b, at), at + 8 < 4992 ? 4992 : at)), at) << at;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fillers, AdversarialFillerTest,
    ::testing::Values(Filler{"all_F4", {0xF4}}, Filler{"all_03", {0x03}},
                      Filler{"zeros", {0x00}},
                      Filler{"near_miss_last", {0x03, 0, 0, 0, 0xF4, 0x01, 0, 0x01}},
                      Filler{"near_miss_sixth", {0x03, 0, 0, 0, 0xF4, 0x02, 0, 0}},
                      Filler{"near_miss_second", {0x03, 0x01, 0, 0, 0xF4, 0x01, 0, 0}},
                      Filler{"three_f4", {0x03, 0, 0, 0, 0xF4}}),
    CaseName());

}  // namespace
