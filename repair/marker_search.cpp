// The marker search runs at close to memory speed. Binary recordings are full
// of zero bytes, so a search keyed on the marker's zeros would stop
// everywhere; instead a vector filter keeps only the positions holding three
// of the marker's rarer bytes, and each of those few candidates is then
// compared whole (see marker_rounds.h for how the filter adapts to data made
// of near-copies of the marker).
#include "repair/marker_search.h"

#include <cstdint>
#include <cstring>

#include "repair/marker_rounds.h"

#if defined(__SSE2__)
#include <emmintrin.h>  // SSE2: _mm_cmpeq_epi8, _mm_movemask_epi8
#endif

bool is_body_marker(const unsigned char* p) {
  return std::memcmp(p, kBodyMarker, kMarkerSize) == 0;
}

std::size_t find_marker_bytewise(const unsigned char* data, std::size_t from,
                                 std::size_t size) {
  if (size < kMarkerSize) return kNoMarker;
  for (std::size_t i = from; i + kMarkerSize <= size; ++i) {
    if (data[i] == 0x03 && data[i + 4] == 0xF4 && is_body_marker(data + i)) return i;
  }
  return kNoMarker;
}

namespace {

#if defined(__SSE2__)

inline std::uint64_t candidates_sse2(const unsigned char* p, std::size_t third) {
  const __m128i first = _mm_set1_epi8(0x03);
  const __m128i fifth = _mm_set1_epi8(static_cast<char>(0xF4));
  const __m128i other = _mm_set1_epi8(static_cast<char>(kBodyMarker[third]));
  std::uint64_t mask = 0;
  for (int k = 0; k < 64; k += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 4));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + third));
    __m128i hit = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, fifth)),
                                _mm_cmpeq_epi8(c, other));
    mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << k;
  }
  return mask;
}

std::size_t find_marker_sse2(const unsigned char* data, std::size_t size) {
  return search_rounds<candidates_sse2>(data, size);
}

#endif

}  // namespace

bool marker_kernel_available(MarkerKernel kernel) {
  switch (kernel) {
    case MarkerKernel::Bytewise: return true;
#if defined(__SSE2__)
    case MarkerKernel::Sse2: return true;
#endif
#if defined(MG1_AVX2_DISPATCH)
    case MarkerKernel::Avx2: return __builtin_cpu_supports("avx2");
#endif
    default: return false;
  }
}

std::size_t find_marker_using(MarkerKernel kernel, const unsigned char* data, std::size_t size) {
  switch (kernel) {
#if defined(__SSE2__)
    case MarkerKernel::Sse2: return find_marker_sse2(data, size);
#endif
#if defined(MG1_AVX2_DISPATCH)
    case MarkerKernel::Avx2: return find_marker_avx2(data, size);
#endif
    default: return find_marker_bytewise(data, 0, size);
  }
}

std::size_t find_marker(const unsigned char* data, std::size_t size) {
  // The widest kernel this processor runs, chosen once.
  static const MarkerKernel best = marker_kernel_available(MarkerKernel::Avx2)   ? MarkerKernel::Avx2
                                   : marker_kernel_available(MarkerKernel::Sse2) ? MarkerKernel::Sse2
                                                                                 : MarkerKernel::Bytewise;
  return find_marker_using(best, data, size);
}
