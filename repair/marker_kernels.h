// The marker search's kernels, each in its own file so that each can be
// compiled for its own instruction set.
#pragma once

#include <cstddef>

// Checks every position one by one from `from` on.
std::size_t find_marker_bytewise(const unsigned char* data, std::size_t from, std::size_t size);

// Only to be called where the processor has AVX2.
std::size_t find_marker_avx2(const unsigned char* data, std::size_t size);
