#pragma once
// How each bit becomes sound, in samples of a 22050-per-second clock (45.35 us each): the one
// timing that the image at 22050 and the images at other rates are all made from.
#include <cstddef>

namespace tonvale::cells {

// Level 1 and Level 2: a clock pulse opens every cell, three samples high, then three low
// (136 us each half); a 1 bit has a second, data pulse half a cell later.
inline constexpr std::size_t kPulseHalf = 3;
inline constexpr std::size_t kLevel1Cell = 84; // 3.81 ms, about 250 baud
inline constexpr std::size_t kLevel2Cell = 44; // 2.00 ms, 500 baud

// Highspeed: one square-wave cycle per bit, low half first; a 1 bit is twice as fast.
inline constexpr std::size_t kHighspeedZero = 16; // 726 us, about 1500 baud on average
inline constexpr std::size_t kHighspeedOne = 8;

// A Model III reads Highspeed bits from one falling edge to the next, and every cycle ends on
// its high half: the last bit of the tape ends only when the level falls again. So the
// trailing silence of a Highspeed sound begins with the low half of a short cycle; without it
// the machine waits for that edge forever and never gets the tape's last byte.
inline constexpr std::size_t kClosingEdge = 4;

} // namespace tonvale::cells
