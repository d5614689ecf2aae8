// The marker search's AVX2 kernel. This file alone is compiled for AVX2;
// find_marker calls into it only on processors that have it.
#include <immintrin.h>  // AVX2

#include "repair/marker_rounds.h"

namespace {

inline std::uint64_t candidates_avx2(const unsigned char* p, std::size_t third) {
  const __m256i first = _mm256_set1_epi8(0x03);
  const __m256i fifth = _mm256_set1_epi8(static_cast<char>(0xF4));
  const __m256i other = _mm256_set1_epi8(static_cast<char>(kBodyMarker[third]));
  auto hits = [&](std::size_t k) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k + 4));
    __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k + third));
    return _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, fifth)),
                            _mm256_cmpeq_epi8(c, other));
  };
  __m256i h0 = hits(0), h1 = hits(32);
  __m256i any = _mm256_or_si256(h0, h1);
  if (_mm256_testz_si256(any, any)) return 0;
  return static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(h0))) |
         static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(h1))) << 32;
}

}  // namespace

std::size_t find_marker_avx2(const unsigned char* data, std::size_t size) {
  return search_rounds<candidates_avx2>(data, size);
}
