#pragma once
// The other end of the cable: hears the bytes in a cassette signal, as the TRS-80's Ear input
// would. Tests play or synthesise a tape and check that what is heard is what was recorded.
#include "base/Bytes.h"

#include <cstddef>

namespace tonvale::test {

struct Heard {
    Bytes bytes;           // every whole byte heard, in order
    std::size_t bits = 0;  // bit cells heard
    std::size_t stray = 0; // pulses or cycles outside the rhythm, and samples that belong to none
    bool closed = false;   // Highspeed: the last cycle's high half falls back low at the end
    bool Clean() const { return stray == 0 && bits % 8 == 0; }
};

// Level 1 (cell 84) and Level 2 (cell 44): a clock pulse (three samples FFh, three 00h) opens
// each cell; a data pulse half a cell later makes it a 1. Everything else must be the zero line
// 80h. Hearing starts at the first pulse and ends at the first cell without a clock pulse.
Heard ListenToPulses(ByteView signal, std::size_t cell);

// Highspeed: one cycle per bit, a low half of 00h and a high half of FFh; 4 + 4 samples is a
// 1, 8 + 8 a 0. Silence (80h) before and after.
Heard ListenToCycles(ByteView signal);

} // namespace tonvale::test
