#pragma once
// Recordings of real cassettes by their names: the window rescues a tape from them instead of
// reading them as a tape image.
#include <string>
#include <string_view>

namespace tonvale {

// True when the name ends in .wav, .flac, .aif or .aiff, in any case.
bool IsRecordingName(std::string_view path);

// The name proposed for the tape rescued from a recording: beside it, with its extension
// replaced by .cas (side-a.WAV proposes side-a.cas); cut as ProposedName cuts.
std::string RescuedTapeName(std::string_view recordingPath);

} // namespace tonvale
