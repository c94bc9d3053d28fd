#pragma once
// Finding a tape file's leader and sync byte at any of the eight bit alignments.
//
// The image is one stream of bits, most significant bit first. A recording shifted by s bits
// stores each recorded byte across two image bytes:
//
//     recorded:  | leader  | sync    | data ...
//     image s=3: 000lllll lllsssss sssddddd ...
//
// so a 00h leader still reads 00h, a 55h leader reads 55h at even shifts and AAh at odd ones,
// and the byte behind the run holds the first bits of the sync byte.
#include "base/Bytes.h"
#include "base/Formats.h"
#include "tape/Framing.h"

#include <cstdint>

namespace tonvale {

// A leader is at least this many equal bytes.
inline constexpr std::size_t kMinLeader = 16;

struct SyncResult {
    TapeFormat format = TapeFormat::None; // None, Level1or2 or Highspeed
    std::size_t dataPos = 0;              // the image byte holding the first bit after the sync
    std::uint32_t shift = 0;              // that bit's position in it, from the top
};

// The earliest leader of at least 16 bytes in the stretch that ends in a matching sync byte.
SyncResult FindSync(ByteView stretch);

} // namespace tonvale
