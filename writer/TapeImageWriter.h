#pragma once
// Lays tape files down into a CAS image the way the machines record them: a leader, the sync
// byte, then the data. Level 1 and Level 2 write bytes as they are; Highspeed writes each byte
// as a nine-bit group, a 0 start bit and the eight data bits, so the image is a bit stream
// that need not end on a byte boundary:
//
//     Level 1, 2   00 00 00 ... 00  A5  d0 d1 d2 ...
//     Highspeed    55 55 55 ... 55  7F  0d0 0d1 0d2 ...   (9 bits each)
//
//     Bytes image = TapeImageWriter().File(TapeFormat::Level2, program).Image();
#include "base/Bytes.h"
#include "base/Formats.h"

#include <cstddef>
#include <cstdint>

namespace tonvale {

class TapeImageWriter {
  public:
    // 256 leader bytes: 4 s at 500 baud, 1.4 s at 1500 baud, both well past the half second
    // a Model III lets go by before it listens.
    static constexpr std::size_t kLeaderBytes = 256;
    static constexpr Byte kLevelLeader = 0x00;
    static constexpr Byte kLevelSync = 0xA5;
    static constexpr Byte kHighspeedLeader = 0x55;
    static constexpr Byte kHighspeedSync = 0x7F;

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
