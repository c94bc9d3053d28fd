#pragma once
// Level 1 BASIC listings kept on a PC (.bas), made into tape files:
//
//     Outcome<Bytes> basic = Level1BasicFromListing("10 PRINT \"HI\"\n20 GOTO 10\n");
#include "base/Bytes.h"
#include "base/Outcome.h"

#include <string_view>

namespace tonvale {

// A Level 1 BASIC program from a listing as LIST shows it (" 10 PRINT 5"): lines of a number
// (low byte first), the text as it stands and 0Dh. Lower-case letters become capitals, as the
// keyboard gives them. A line fails with its line number: no line number, 0 or a number above
// 32767, a number not above the one before, no text, a character Level 1 does not have.
Outcome<Bytes> Level1BasicFromListing(std::string_view listing);

} // namespace tonvale
