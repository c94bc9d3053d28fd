#pragma once
// One tape as the report and wav commands take it: read whole, analysed, and the sound that the
// window would build for it settled, without building it. Where the window shows a message, the
// same text goes to standard error.
#include "analysis/AnalyseTape.h"
#include "base/Bytes.h"
#include "cli/Answers.h"
#include "sound/SoundOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tonvale::cli {

inline constexpr std::string_view kNoWavText =
    "no WAV image: the tape ends in a Level 1 empty CSAVE, which can't be CLOAD'ed";

struct TapeRead {
    std::optional<Bytes> image; // none when the tape cannot be read
    std::string failure;        // then why, as the window says it after the path
};

// Reads the tape image; a failure also goes to standard error, after the path.
TapeRead ReadTape(const std::string& path);

// For a walk that wants everything but the report lines.
class DiscardLines : public ReportSink {
  public:
    void Line(ByteView, Byte) override {}
};

// Analyses the image; the report lines go to `sink`, or into the report when it is null. A walk
// cut short for want of memory is told on standard error.
TapeReport Analyse(const std::string& path, ByteView image, Answers& answers, bool trsFont,
                   ReportSink* sink = nullptr);

// The sound the window builds after the analysis: none for an empty Level 1 CSAVE at the end,
// else the whole image in one format (asked for when the tape files' formats differ).
struct SoundPlan {
    bool none = false;
    TapeFormat format = TapeFormat::None;
    std::uint64_t dataLength = 0; // bytes of the data chunk
    bool fits = true;             // false: too long for a WAV file, which standard error was told
    // The duration line as the window shows it; empty when it shows none.
    Bytes durationLine;
};
SoundPlan PlanSound(const TapeReport& report, ByteView image, Answers& answers, bool lnw,
                    const SoundOptions& sound = {});

// kExitDamaged when a tape file's verdict is bad or suspicious, else kExitOk.
int VerdictStatus(const TapeReport& report);

} // namespace tonvale::cli
