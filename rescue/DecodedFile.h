#pragma once
// What the decoders hand over: the bytes of one tape file as the signal gave them, each bit
// with how sure its decoder was, and where in the recording it lay.
#include "base/Bytes.h"
#include "base/Formats.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tonvale {

// Sure bits have 255, a bit that is a guess 0.
using BitConfidence = std::array<Byte, 8>;
inline constexpr Byte kDoubtfulBelow = 128;

struct DecodedByte {
    Byte value = 0;
    BitConfidence confidence{}; // most significant bit first
    double sample = 0;          // where its first bit begins
};

// Where the signal was lost inside a tape file and the decoder kept its clock across.
struct DecodedGap {
    double from = 0, to = 0;     // the samples between which no bit could be read
    std::uint64_t firstByte = 0; // the byte the first lost bit belongs to
    std::uint64_t lostBits = 0;  // bits put in their place, each a guess
    bool inStep = true;          // false: the bits behind it may be out of step with the bytes
};

struct DecodedFile {
    TapeFormat format = TapeFormat::None; // Level1or2 (clock and data pulses) or Highspeed
    bool inverted = false;                // the signal upside down against the machine's own
    double leaderSample = 0;              // where its leader was first heard
    double syncSample = 0;                // where the first bit behind the sync byte begins
    double endSample = 0;                 // where its last bit begins
    std::uint64_t bits = 0;               // bits behind the sync byte
    std::vector<DecodedByte> bytes;
    std::vector<DecodedGap> gaps;
};

} // namespace tonvale
