#pragma once
// Builds CAS tape images the way a tape is laid down: a leader, a sync byte, the data, perhaps
// noise, perhaps a bit shift, and another tape file after it. Tests describe their tapes with
// it instead of hex blobs:
//
//     Bytes image = TapeBuilder().Shift(3).Level2File(basic).Noise(10).Build();
#include "base/Bytes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tonvale::test {

class TapeBuilder {
  public:
    static constexpr std::size_t kLeader = 256;

    // A whole tape file: a leader of 00h, the sync byte A5h and the data bytes (Level 1 and 2).
    TapeBuilder& Level2File(ByteView data, std::size_t leader = kLeader);
    TapeBuilder& Level1File(ByteView data, std::size_t leader = kLeader) {
        return Level2File(data, leader);
    }
    // A Highspeed tape file: a leader of 55h, the sync byte 7Fh, then each data byte as a
    // nine-bit group: a 0 start bit and the eight data bits.
    TapeBuilder& HighspeedFile(ByteView data, std::size_t leader = kLeader);

    // The pieces.
    TapeBuilder& Leader(std::size_t count, std::uint8_t value = 0x00);
    TapeBuilder& Sync(std::uint8_t value = 0xA5);
    TapeBuilder& Data(ByteView data);
    TapeBuilder& Data(std::string_view text);
    // Raw bits, most significant first: `count` bits from the low end of `value`.
    TapeBuilder& Bits(std::uint32_t value, int count);
    // Zero bits that push everything after them off the byte grid.
    TapeBuilder& Shift(int bits) { return Bits(0, bits); }
    // Bytes from a fixed pseudo-random sequence (no 16-byte leader can appear in them).
    TapeBuilder& Noise(std::size_t count, std::uint32_t seed = 1);

    // The image; an incomplete last byte is padded with 0 bits.
    Bytes Build() const;
    std::uint64_t BitCount() const { return m_bits; }

  private:
    void PushBit(bool bit);
    TapeBuilder& HighspeedData(ByteView data);
    Bytes m_bytes;
    std::uint64_t m_bits = 0;
};

// Writes bytes to a file (created or replaced); returns its path.
std::string WriteFile(const std::string& path, ByteView bytes);
// A fresh, empty directory under the system's temporary directory, private to this process.
std::string TempDir(std::string_view name);
// Reads a whole file.
Bytes ReadFile(const std::string& path);

} // namespace tonvale::test
