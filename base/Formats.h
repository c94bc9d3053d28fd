#pragma once
#include <cstdint>

namespace tonvale {

// The recording format of one tape file. Level1or2 lives only between the sync search and
// the analysis driver: a 00h leader says "Level 1 or Level 2", the content decides which.
enum class TapeFormat : std::int32_t {
    None = 0,
    Level1or2 = 1,
    Level1 = 2,
    Level2 = 3,
    Highspeed = 4,
};

// What one tape file holds. 3 and 4 are not used.
enum class ContentKind : std::int32_t {
    Basic = 0,
    System = 1,
    EdtasmSource = 2,
    EmptyLevel1Csave = 5,
    Unidentified = 6,
};

// The word a tape file adds to the summary line.
enum class Verdict {
    Ok,         // " ok!"
    Suspicious, // " ok?"
    Bad,        // " bad"
    Noise,      // " ..?" a short remainder behind a good tape file
};

} // namespace tonvale
