#pragma once
// How every tape file is framed on tape: a leader of equal bytes, a sync byte, then the data.
// Level 1 and Level 2 record bytes as they are; Highspeed records each byte as a nine-bit
// group, a 0 start bit and the eight data bits:
//
//     Level 1, 2   00 00 00 ... 00  A5  d0 d1 d2 ...
//     Highspeed    55 55 55 ... 55  7F  0d0 0d1 0d2 ...   (9 bits each)
#include "base/Bytes.h"

#include <cstddef>

namespace tonvale {

inline constexpr Byte kLevelLeader = 0x00; // Level 1 and Level 2
inline constexpr Byte kLevelSync = 0xA5;
inline constexpr Byte kHighspeedLeader = 0x55;
inline constexpr Byte kHighspeedSync = 0x7F;

// A Highspeed byte's group: the start bit and the eight data bits.
inline constexpr int kHighspeedGroupBits = 9;

// 256 leader bytes: 4 s at 500 baud, 1.4 s at 1500 baud, both well past the half second a
// Model III lets go by before it listens.
inline constexpr std::size_t kLeaderBytes = 256;

} // namespace tonvale
