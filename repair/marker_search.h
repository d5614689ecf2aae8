// The search for the body marker, the 8 bytes 03 00 00 00 F4 01 00 00 that
// begin a recording's body.
#pragma once

#include <cstddef>

constexpr std::size_t kMarkerSize = 8;
inline constexpr unsigned char kBodyMarker[kMarkerSize] = {0x03, 0x00, 0x00, 0x00,
                                                           0xF4, 0x01, 0x00, 0x00};

// True if the 8 bytes at `p` are the body marker.
bool is_body_marker(const unsigned char* p);

// The position of the first marker that lies wholly inside data[0, size),
// or kNoMarker if there is none.
constexpr std::size_t kNoMarker = static_cast<std::size_t>(-1);
std::size_t find_marker(const unsigned char* data, std::size_t size);

// The search kernels, for tests and benchmarks: each finds exactly what
// find_marker finds. A build or processor may lack the wider ones.
enum class MarkerKernel { Bytewise, Sse2, Avx2 };
bool marker_kernel_available(MarkerKernel kernel);
std::size_t find_marker_using(MarkerKernel kernel, const unsigned char* data, std::size_t size);
