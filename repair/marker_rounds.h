// The round-by-round marker search that each vector kernel runs, compiled
// into each kernel's own file for that kernel's instruction set. Everything
// here has internal linkage, so that no copy built for a wider instruction
// set can stand in for the baseline one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "repair/marker_kernels.h"
#include "repair/marker_search.h"

namespace {

// is_body_marker, inlined into each kernel.
inline bool whole_marker_at(const unsigned char* p) {
  return std::memcmp(p, kBodyMarker, kMarkerSize) == 0;
}

// The search looks at 64 positions a round. A round needs the 7 bytes after
// its last position too, so that every candidate it reports is whole.
constexpr std::size_t kRound = 64;
constexpr std::size_t kRoundBytes = kRound + kMarkerSize - 1;

// The filter tests bytes 0 (03) and 4 (F4) of the marker and one more, at
// first its 01, which is rarer than its zeros in most data. When more than
// kFailedCandidateLimit candidates in kFailureWindow bytes turn out not to be
// markers, the data is made of near-copies of the marker; the third byte then
// becomes the one those copies got wrong, and they stop passing the filter.
constexpr std::size_t kFirstThirdByte = 5;
constexpr int kFailedCandidateLimit = 64;
constexpr std::size_t kFailureWindow = 4096;

inline std::size_t first_wrong_byte(const unsigned char* p) {
  std::size_t k = 0;
  while (k < kMarkerSize && p[k] == kBodyMarker[k]) ++k;
  return k;
}

// The whole search: rounds while a whole round fits, then the last few
// positions one by one. `candidates(p, third)` returns the mask of the 64
// positions at p (bit i: position p + i) that hold the marker's bytes 0, 4
// and `third`.
template <std::uint64_t (*candidates)(const unsigned char*, std::size_t)>
std::size_t search_rounds(const unsigned char* data, std::size_t size) {
  std::size_t third = kFirstThirdByte;
  std::size_t last_wrong = third;
  int failed = 0;
  std::size_t window_end = kFailureWindow;
  std::size_t i = 0;
  for (; i + kRoundBytes <= size; i += kRound) {
    for (std::uint64_t mask = candidates(data + i, third); mask != 0; mask &= mask - 1) {
      std::size_t at = i + static_cast<std::size_t>(__builtin_ctzll(mask));
      if (whole_marker_at(data + at)) return at;
      ++failed;
      last_wrong = first_wrong_byte(data + at);
    }
    if (failed > kFailedCandidateLimit) {
      third = last_wrong;
      failed = 0;
      window_end = i + kRound + kFailureWindow;
    } else if (i + kRound >= window_end) {
      failed = 0;
      window_end += kFailureWindow;
    }
  }
  return find_marker_bytewise(data, i, size);
}

}  // namespace
