#pragma once
// One typed line of Level 2 BASIC as the ROM stores it: keywords become their tokens.
#include "base/Bytes.h"

#include <string_view>

namespace tonvale {

// `text` is the line behind its number. As the ROM does it (tried on the Model I and III ROMs):
// - at each place the longest keyword wins, in any case ("print" is PRINT), wherever it
//   stands, even inside a name (TOTAL is TO TAL); ? is PRINT;
// - nothing is tokenised inside quotes, behind REM and ', or in the text of DATA up to the
//   next colon outside quotes; there, and in strings, lower case stays lower case, elsewhere
//   letters become capitals;
// - ELSE is stored behind a colon of its own, ' behind a colon and a REM (3Ah 93h FBh), even
//   where a colon stands before them already.
Bytes TokeniseLevel2Line(std::string_view text);

} // namespace tonvale
