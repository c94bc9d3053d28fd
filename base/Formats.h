#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

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

// How a format is named: in the report and the messages, as the JSON report's key, and by the
// command line's letter (--format 1|2|H). Key and letter are empty where there is no format.
struct FormatNaming {
    std::string_view title;  // "Level 2"
    std::string_view key;    // "level2"
    std::string_view letter; // "2"
};
const FormatNaming& NamesOf(TapeFormat format);
// 1, 2, H or h; none for anything else.
std::optional<TapeFormat> FormatFromLetter(std::string_view letter);

// How a content kind is named: in the command line's messages, and as the JSON report's key.
struct KindNaming {
    std::string_view title; // "BASIC"
    std::string_view key;   // "basic"
};
const KindNaming& NamesOf(ContentKind kind);

} // namespace tonvale
