#pragma once
// Which sound a tape gets, the same for the window and the command line: none for a tape that
// ends in an empty Level 1 CSAVE, which cannot be loaded back (and no question either), else
// the whole image in one format, asked for when the tape files' formats differ.
#include "analysis/TapeReport.h"
#include "base/Bytes.h"
#include "base/Formats.h"

#include <functional>

namespace tonvale {

struct SoundChoice {
    bool none = false;
    TapeFormat format = TapeFormat::None;
    // With no sound, the duration line: "---" when the empty CSAVE is the only tape file, else
    // empty (none is shown).
    Bytes silentDurationLine;
};

SoundChoice ChooseSound(const TapeReport& report, const std::function<TapeFormat()>& askFormat);

} // namespace tonvale
