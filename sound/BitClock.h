#pragma once
// Where the synthesis puts each bit of a tape image in its sound: the 22050 clock sample at
// which the bit's cell begins, counted from the start of the data chunk (the leading silence
// included). Other rates place every edge on their sample nearest the same time, so the time in
// seconds is the same at every rate.
#include "base/Bytes.h"
#include "base/Formats.h"

#include <cstdint>
#include <vector>

namespace tonvale {

class BitClock {
  public:
    BitClock(TapeFormat format, ByteView tape);

    std::uint64_t Bits() const { return m_bits; }
    // Where bit `bit` (of the image, from the top of its first byte) begins; Bits() gives where
    // the last one ends.
    std::uint64_t CellStart(std::uint64_t bit) const;
    std::uint64_t CellLength(std::uint64_t bit) const;
    // The bit whose cell holds `clockSample`: 0 before the first, Bits() behind the last.
    std::uint64_t BitAt(std::uint64_t clockSample) const;
    // Every clock sample of the data chunk, the trailing silence too.
    std::uint64_t Samples() const;

    // The bit's value in the image.
    bool Bit(std::uint64_t bit) const;

    static double Seconds(double clockSamples);

  private:
    std::uint64_t Highspeed(std::uint64_t byte) const; // where image byte `byte` begins

    TapeFormat m_format;
    ByteView m_tape;
    std::uint64_t m_bits;
    std::uint64_t m_cell = 0;            // Level 1 and 2: every cell alike
    std::vector<std::uint64_t> m_blocks; // Highspeed: where every 64th byte begins
};

} // namespace tonvale
