#pragma once
// What goes wrong on a real tape, for tests to lay down beside the product's tape files: noise
// (and TapeImageWriter::Bits(0, n) pushes what follows off the byte grid).
#include "base/Bytes.h"

#include <cstdint>

namespace tonvale::test {

// Bytes from a fixed pseudo-random sequence (no 16-byte leader can appear in them).
Bytes Noise(std::size_t count, std::uint32_t seed = 1);

} // namespace tonvale::test
