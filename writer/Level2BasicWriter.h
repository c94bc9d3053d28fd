#pragma once
// Level 2 BASIC tape files (the bytes behind the sync byte) as CSAVE writes them:
//
//     D3 D3 D3 name | next number text... 00 | ... | 00 00
//                     ^ little-endian; next is where the next line begins in the memory of the
//                       saving machine, the program's first line at `load`
//
//     Outcome<Bytes> file = Level2BasicFromListing("10 PRINT \"HI\"\n20 GOTO 10\n", 'A');
#include "base/Bytes.h"
#include "writer/Outcome.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tonvale {

// Where a Model I keeps its BASIC program; a Model III keeps it at 43E9h. CLOAD puts the lines
// at its own address either way and links them again.
inline constexpr std::uint16_t kModelIBasicStart = 0x42E9;
inline constexpr std::uint16_t kModelIIIBasicStart = 0x43E9;
inline constexpr unsigned long kHighestLevel2Line = 65529;

// One program line as memory holds it: its number and its tokenised text (no terminator).
struct Level2Line {
    std::uint16_t number;
    Bytes text;
};

// The tape file of these lines as they stand, with their next pointers.
Bytes Level2BasicFile(Byte name, const std::vector<Level2Line>& lines,
                      std::uint16_t load = kModelIBasicStart);

// The program lines of a listing as LIST shows it and people keep it in .bas files: one
// program line per text line, blank lines skipped. A line the ROM would not take when typed
// fails with its line number: no line number, a number above 65529, a number not above the one
// before, no text, a line longer than the ROM's line buffer, a 00h byte. A Highspeed file needs
// nothing behind its end marker: the Model III's ROM loads it without the extra byte that some
// tools add (tried on the emulated Model III).
Outcome<std::vector<Level2Line>> ReadLevel2Listing(std::string_view listing);

Outcome<Bytes> Level2BasicFromListing(std::string_view listing, Byte name,
                                      std::uint16_t load = kModelIBasicStart);

} // namespace tonvale
