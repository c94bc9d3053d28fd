#pragma once
// What the sound commands (wav, play) share.
#include "cli/Options.h"

#include <string_view>

namespace tonvale::cli {

inline constexpr std::string_view kNoWavText =
    "no WAV image: the tape ends in a Level 1 empty CSAVE, which can't be CLOAD'ed";

// When the WAV image cannot be had at all (too long for a WAV file, no memory), the program
// ends inside the open chain; let it say why on standard error and end with kExitNoWav.
void EndWithMessagesWhenNoSound(Session& session);

} // namespace tonvale::cli
