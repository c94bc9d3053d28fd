#pragma once
// Level 1 tape files (the bytes behind the sync byte) as CSAVE writes them: start and stop
// address (high byte first), the memory from the start up to the stop address, and a checksum
// that makes the memory bytes and itself sum to 0.
//
//     Outcome<Bytes> basic = Level1BasicFromListing("10 PRINT \"HI\"\n20 GOTO 10\n");
#include "base/Bytes.h"
#include "writer/Outcome.h"

#include <cstdint>
#include <string_view>

namespace tonvale {

inline constexpr std::uint16_t kLevel1BasicStart = 0x4200;
inline constexpr std::uint16_t kLevel1CodeStart = 0x4200;
inline constexpr unsigned long kHighestLevel1Line = 32767;

// The tape file of `memory` from `start` on. The stop address comes round to 0000h when the
// memory reaches the top, and to `start` for all 64 KB (the empty CSAVE).
Bytes Level1File(std::uint16_t start, ByteView memory);

// A Level 1 BASIC program from a listing as LIST shows it (" 10 PRINT 5"): lines of a number
// (low byte first), the text as it stands and 0Dh. Lower-case letters become capitals, as the
// keyboard gives them. A line fails with its line number: no line number, 0 or a number above
// 32767, a number not above the one before, no text, a character Level 1 does not have.
Outcome<Bytes> Level1BasicFromListing(std::string_view listing);

// Machine code loaded at `load`, saved from two bytes below it, where its entry address sits
// (low byte first).
Outcome<Bytes> Level1CodeFile(ByteView code, std::uint16_t load, std::uint16_t entry);

} // namespace tonvale
