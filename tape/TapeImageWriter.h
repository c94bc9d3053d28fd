#pragma once
// Lays tape files down into a CAS image the way the machines record them (see Framing.h): a
// leader, the sync byte, then the data. A Highspeed image is a bit stream that need not end on
// a byte boundary.
//
//     Bytes image = TapeImageWriter().File(TapeFormat::Level2, program).Image();
#include "base/Bytes.h"
#include "base/Formats.h"
#include "tape/Framing.h"

#include <cstddef>
#include <cstdint>

namespace tonvale {

class TapeImageWriter {
  public:
    // One whole tape file in `format` (Level1, Level2 or Highspeed): its leader, its sync byte
    // and `data`, the bytes that follow the sync byte.
    TapeImageWriter& File(TapeFormat format, ByteView data, std::size_t leader = kLeaderBytes);

    // The pieces, for tapes laid down by hand.
    TapeImageWriter& Leader(std::size_t count, Byte value);
    TapeImageWriter& Byte8(Byte value) { return Bits(value, 8); }
    TapeImageWriter& Bytes8(ByteView data);
    TapeImageWriter& HighspeedBytes(ByteView data);
    // `count` bits from the low end of `value`, most significant first.
    TapeImageWriter& Bits(std::uint32_t value, int count);

    // The image so far; an incomplete last byte is padded with 0 bits.
    const Bytes& Image() const { return m_bytes; }
    std::uint64_t BitCount() const { return m_bits; }

  private:
    void PushBit(bool bit);

    Bytes m_bytes;
    std::uint64_t m_bits = 0;
};

} // namespace tonvale
