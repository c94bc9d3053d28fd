#pragma once
// Level 2 BASIC listings as people keep them in .bas files, made into tape files:
//
//     Outcome<Bytes> file = Level2BasicFromListing("10 PRINT \"HI\"\n20 GOTO 10\n", 'A');
#include "base/Bytes.h"
#include "base/Outcome.h"
#include "format/Level2Basic.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tonvale {

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
