// The marker search runs at close to memory speed. Binary recordings are full
// of zero bytes, so a search keyed on the marker's zeros would stop
// everywhere; instead a vector filter keeps only the positions holding 03 with
// F4 four bytes on, and each of those few candidates is then compared whole.
#include "repair/marker_search.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>  // SSE2: _mm_cmpeq_epi8, _mm_movemask_epi8
#endif

const unsigned char kBodyMarker[kMarkerSize] = {0x03, 0x00, 0x00, 0x00,
                                                0xF4, 0x01, 0x00, 0x00};

bool is_body_marker(const unsigned char* p) {
  return std::memcmp(p, kBodyMarker, kMarkerSize) == 0;
}

namespace {

// Candidates in `mask` (bit i: position base + i) checked in order.
inline std::size_t first_marker_in(const unsigned char* data, std::size_t base,
                                   std::uint64_t mask) {
  while (mask != 0) {
    std::size_t i = base + static_cast<std::size_t>(__builtin_ctzll(mask));
    if (is_body_marker(data + i)) return i;
    mask &= mask - 1;
  }
  return kNoMarker;
}

std::size_t find_marker_bytewise(const unsigned char* data, std::size_t from,
                                 std::size_t size) {
  if (size < kMarkerSize) return kNoMarker;
  for (std::size_t i = from; i + kMarkerSize <= size; ++i) {
    if (data[i] == 0x03 && data[i + 4] == 0xF4 && is_body_marker(data + i))
      return i;
  }
  return kNoMarker;
}

}  // namespace

#if defined(__SSE2__)

std::size_t find_marker(const unsigned char* data, std::size_t size) {
  const __m128i first = _mm_set1_epi8(0x03);
  const __m128i fifth = _mm_set1_epi8(static_cast<char>(0xF4));
  std::size_t i = 0;
  // 64 candidate positions a round; a round runs only where each of them
  // has a whole marker's bytes after it, so no candidate reads past `size`.
  while (i + 64 + kMarkerSize - 1 <= size) {
    const unsigned char* p = data + i;
    auto hits = [&](int k) {
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
      __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 4));
      return _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, fifth));
    };
    __m128i h0 = hits(0), h1 = hits(16), h2 = hits(32), h3 = hits(48);
    __m128i any = _mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3));
    if (_mm_movemask_epi8(any) != 0) {
      std::uint64_t mask =
          static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(h0))) |
          static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(h1))) << 16 |
          static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(h2))) << 32 |
          static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(h3))) << 48;
      std::size_t found = first_marker_in(data, i, mask);
      if (found != kNoMarker) return found;
    }
    i += 64;
  }
  return find_marker_bytewise(data, i, size);
}

#else

std::size_t find_marker(const unsigned char* data, std::size_t size) {
  return find_marker_bytewise(data, 0, size);
}

#endif
