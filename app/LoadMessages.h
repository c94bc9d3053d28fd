#pragma once
// The texts of the failures a load and its sound can end in, shared by the window and the
// command line so that both say the same.
#include "analysis/TapeReport.h"
#include "base/TextBuffer.h"
#include "tape/TapeImage.h"

#include <cstdint>

namespace tonvale {

// Why `file` could not be read ("Unable to open file!" and the like); nothing when it was.
void FormatReadFailure(TextBuffer& text, const TapeImageFile& file);

// "\nUnable to allocate work buffer (N)!", behind whatever the text holds.
void AppendWorkBufferFailure(TextBuffer& text, std::uint64_t asked);

// The sound of `wavSize` bytes could not be had; says why when it is too long for a WAV file.
void FormatSoundFailure(TextBuffer& text, std::uint64_t wavSize);

} // namespace tonvale
