#pragma once
// A tape image laid down again at the other speed: every tape file's bytes, behind its sync
// byte, in Level 2 (500 baud) or Highspeed (1500 baud), names, addresses and bytes unchanged.
//
// Each tape file is laid down afresh with TapeImageWriter's leader, also one that is already
// in the wanted format. What is not a tape file's bytes (see TapeFileBytes) is left out: the
// leaders and the stretches the analysis passes over between tape files, and the incomplete
// last byte of an image, which no loader can read. A remainder behind the last tape file stays
// behind it, without a leader.
#include "analysis/TapeReport.h"
#include "base/Bytes.h"
#include "base/Formats.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tonvale {

enum class ConvertOutcome {
    Converted,
    Level1,     // a Level 1 tape file: Level 1 has one speed only
    NoTapeFile, // no leader and sync byte anywhere
    NoMemory,
};

struct ConvertedFile {
    std::size_t index = 0; // in the source's report
    TapeFormat from = TapeFormat::None;
    TapeFormat to = TapeFormat::None;
    std::uint64_t bytes = 0; // behind the sync byte, a remainder included
};

struct TapeConversion {
    ConvertOutcome outcome = ConvertOutcome::Converted;
    std::optional<std::size_t> level1File; // the first Level 1 tape file, when refused for it
    Bytes image;
    std::vector<ConvertedFile> files;
};

// `report` is the analysis of `image`; `target` is Level2 or Highspeed.
TapeConversion ConvertTape(ByteView image, const TapeReport& report, TapeFormat target);

} // namespace tonvale
