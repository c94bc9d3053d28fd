#pragma once
// The data of one tape file as whole, aligned bytes, from the first byte after its sync byte
// to the end of the image.
//
// Every tape file sees the rest of the image behind it, so copying that rest for each tape
// file would make an image of many small files quadratic. Instead each alignment is realigned
// once, from the first tape file that needs it, and later tape files of the same alignment
// get a view into that buffer: their bytes are a suffix of it.
#include "base/Bytes.h"
#include "tape/Framing.h"

#include <cstdint>
#include <optional>

namespace tonvale {

// Highspeed data as nine-bit groups: a start bit, then eight data bits.
//
//     image bits:  0dddddddd 0dddddddd 0ddd...
//                  ^start    ^start    ^ fewer than nine bits left: an incomplete byte
struct HighspeedTail {
    std::uint32_t bitsShort = 0; // data bits missing from the incomplete last byte
    Byte lastBits = 0;           // the data bits of it that are present, at the top
};

class WorkBuffers {
  public:
    explicit WorkBuffers(ByteView image) : m_image(image) {}

    // Level 1 / Level 2 data starting at bit `shift` of image byte `dataPos`; an incomplete
    // last byte is dropped. Nullopt when memory runs out; `asked` is then the size wanted.
    std::optional<ByteView> Level(std::size_t dataPos, std::uint32_t shift, std::uint64_t& asked);

    // Highspeed data from bit `shift` of image byte `dataPos`, unpacked from its groups.
    std::optional<ByteView> Highspeed(std::size_t dataPos, std::uint32_t shift, HighspeedTail& tail,
                                      std::uint64_t& asked);

  private:
    struct Realigned {
        bool valid = false;
        std::uint64_t startBit = 0; // bit position in the image of byte 0's first bit
        Bytes bytes;
        HighspeedTail tail;
    };

    ByteView m_image;
    Realigned m_level[8];                       // by shift (shift 0 needs no copy)
    Realigned m_highspeed[kHighspeedGroupBits]; // by start bit modulo 9
};

} // namespace tonvale
