#pragma once
// The report of a tape as JSON, for programs: what the analysis found per tape file (format,
// kind, name, addresses, blocks, verdict) with the tape file's own report lines, and the
// status lines of the whole tape. README.md describes the document.
//
// The document is written as it is made: the tape's and the tape files' fields come from a
// first walk over the tape, the report lines from a second one, so that a long report is not
// held. Output is ASCII only (other characters as \u escapes), safe on a terminal as it stands.
#include "analysis/AnalyseTape.h"
#include "cli/Output.h"
#include "view/TapeTimeline.h"

#include <string>
#include <string_view>
#include <vector>

namespace tonvale::cli {

inline constexpr int kJsonVersion = 1;

// One tape's object, its report lines handed over by the second walk.
class JsonTapeWriter : public ReportSink {
  public:
    // `report` is the first walk's; `durationLine` empty when the window shows none.
    JsonTapeWriter(OutStream& out, const std::string& path, std::uint64_t size,
                   const TapeReport& report, ByteView durationLine);
    void Line(ByteView text, Byte tag) override;
    // Members to add to each tape file's object, in order ("\"name\":value,..."; empty: none).
    void SetFileExtras(std::vector<std::string> extras) { m_extras = std::move(extras); }
    // Where each tape file lies in the sound ("sound": {"start", "end"}); none: null.
    void SetTimeline(const TapeTimeline* timeline) { m_timeline = timeline; }
    // Closes the tape's object once every line is in.
    void Finish();

  private:
    // Closes the tape files that end before line `index` and opens the one it belongs to.
    void MoveTo(std::size_t index);
    void OpenFile();
    void CloseFile();

    OutStream& m_out;
    const TapeReport& m_report;
    std::size_t m_index = 0;    // of the next report line
    std::size_t m_nextFile = 0; // the next tape file to open
    bool m_fileOpen = false;
    bool m_firstLine = true; // of the open tape file
    bool m_continued = false;
    Bytes m_line; // pieces of a continued line so far
    std::vector<std::string> m_extras;
    const TapeTimeline* m_timeline = nullptr;
};

// The object of a tape that could not be read: its path and why.
void WriteUnreadableTapeJson(OutStream& out, const std::string& path, std::string_view failure);

// The tape's bytes as text, one character U+0000-U+00FF for each byte, so that nothing is
// lost and a reader gets the bytes back by taking each character's code.
std::string Latin1ToUtf8(ByteView bytes);

} // namespace tonvale::cli
