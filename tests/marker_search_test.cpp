// find_marker on buffers: every position and buffer length near the search's
// block edges, and fillers built to defeat its filter.
#include "repair/marker_search.h"
#include "tests/test_support.h"

namespace {

// Every kernel this build and processor have is held to the same cases; the
// kernel under test is chosen per test.
MarkerKernel kernel_under_test = MarkerKernel::Bytewise;

std::size_t find(const Bytes& b) {
  return find_marker_using(kernel_under_test, b.data(), b.size());
}

struct KernelCase {
  const char* name;
  MarkerKernel kernel;
};

class KernelTest : public ::testing::TestWithParam<KernelCase> {
 protected:
  void SetUp() override {
    if (!marker_kernel_available(GetParam().kernel)) GTEST_SKIP() << "not on this processor";
    kernel_under_test = GetParam().kernel;
  }
};

const KernelCase kKernels[] = {{"bytewise", MarkerKernel::Bytewise},
                               {"sse2", MarkerKernel::Sse2},
                               {"avx2", MarkerKernel::Avx2}};

Bytes with_marker(Bytes b, std::size_t at) {
  for (std::size_t i = 0; i < 8; ++i) b[at + i] = kMarker[i];
  return b;
}

using FindMarkerTest = KernelTest;
INSTANTIATE_TEST_SUITE_P(Kernels, FindMarkerTest, ::testing::ValuesIn(kKernels), CaseName());

TEST_P(FindMarkerTest, EveryPositionInEveryShortLength) {
  for (std::size_t size = 0; size <= 300; ++size) {
    Bytes empty(size, 0x00);
    ASSERT_EQ(find(empty), kNoMarker) << size;
    for (std::size_t at = 0; at + 8 <= size; ++at)
      ASSERT_EQ(find(with_marker(empty, at)), at) << "size " << size << " at " << at;
  }
}

TEST_P(FindMarkerTest, TruncatedMarkerAtEndIsNotFound) {
  for (std::size_t size = 64; size <= 200; ++size) {
    for (std::size_t keep = 1; keep < 8; ++keep) {
      Bytes b(size, 0x00);
      for (std::size_t i = 0; i < keep; ++i) b[size - keep + i] = kMarker[i];
      ASSERT_EQ(find(b), kNoMarker) << size << " " << keep;
    }
  }
}

// The real search goes through the widest kernel.
TEST_P(FindMarkerTest, FindMarkerAgreesWithKernel) {
  Bytes b(1000, 0x03);
  for (std::size_t at : {4u, 130u, 500u, 992u}) {
    Bytes with = with_marker(b, at);
    EXPECT_EQ(find_marker(with.data(), with.size()), find(with));
  }
}

// Long stretches of near-copies, each kind wrong in a different byte, so the
// search has to change which bytes it filters on; a real marker anywhere in
// them is still the one found.
TEST_P(FindMarkerTest, ChangingNearCopies) {
  Bytes b;
  for (std::size_t wrong : {7u, 5u, 1u, 6u, 2u, 3u, 7u}) {
    Bytes copy = kMarker;
    copy[wrong] ^= 0x10;
    for (int n = 0; n < 1500; ++n) b.insert(b.end(), copy.begin(), copy.end());
  }
  ASSERT_EQ(find(b), kNoMarker);
  for (std::size_t at : {std::size_t{8 * 100}, std::size_t{8 * 1600 + 3}, std::size_t{8 * 4000},
                         std::size_t{8 * 6100 + 5}, b.size() - 8}) {
    ASSERT_EQ(find(with_marker(b, at)), at) << at;
  }
}

struct Filler {
  const char* name;
  Bytes pattern;
};

class AdversarialFillerTest
    : public ::testing::TestWithParam<std::tuple<KernelCase, Filler>> {
 protected:
  void SetUp() override {
    if (!marker_kernel_available(std::get<0>(GetParam()).kernel)) GTEST_SKIP();
    kernel_under_test = std::get<0>(GetParam()).kernel;
  }
};

TEST_P(AdversarialFillerTest, FirstMarkerAfterFiller) {
  const Bytes& pattern = std::get<1>(GetParam()).pattern;
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
    ::testing::Combine(::testing::ValuesIn(kKernels), ::testing::Values(Filler{"all_F4", {0xF4}}, Filler{"all_03", {0x03}},
                      Filler{"zeros", {0x00}},
                      Filler{"near_miss_last", {0x03, 0, 0, 0, 0xF4, 0x01, 0, 0x01}},
                      Filler{"near_miss_sixth", {0x03, 0, 0, 0, 0xF4, 0x02, 0, 0}},
                      Filler{"near_miss_second", {0x03, 0x01, 0, 0, 0xF4, 0x01, 0, 0}},
                      Filler{"three_f4", {0x03, 0, 0, 0, 0xF4}})),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).name) + "_" + std::get<1>(p.param).name;
    });

}  // namespace
