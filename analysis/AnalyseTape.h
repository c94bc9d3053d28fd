#pragma once
// The analysis of a tape image: bytes in, a TapeReport out. It walks the image tape file by
// tape file, classifies each one and lets its decoder list it. Damage never stops it: it
// becomes report lines and verdicts.
#include "analysis/TapeReport.h"
#include "base/Bytes.h"
#include "base/Formats.h"

namespace tonvale {

// Asked when a 00h leader could be Level 1 or Level 2 and nothing else tells; answers
// TapeFormat::Level1 or TapeFormat::Level2.
class LevelQuestion {
  public:
    virtual ~LevelQuestion() = default;
    virtual TapeFormat AskLevel() = 0;
};

// Where nobody can be asked (a live capture, a test, a benchmark): always the same answer.
class FixedLevel : public LevelQuestion {
  public:
    explicit FixedLevel(TapeFormat level = TapeFormat::Level2) : m_level(level) {}
    TapeFormat AskLevel() override { return m_level; }

  private:
    TapeFormat m_level;
};

// Takes the report lines as they are written, so that a long report need not be held.
class ReportSink {
  public:
    virtual ~ReportSink() = default;
    virtual void Line(ByteView text, Byte tag) = 0;
};

struct AnalysisSettings {
    // Bytes 80h-FFh are shown as they are (the TRS-80 font has glyphs for them), else as dots.
    bool trsFont = false;
};

// Analyses `image`. Report lines go into the result, or to `sink` when one is given.
TapeReport AnalyseTape(ByteView image, LevelQuestion& questions, const AnalysisSettings& settings,
                       ReportSink* sink = nullptr);

} // namespace tonvale
