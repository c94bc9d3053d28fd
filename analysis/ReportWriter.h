#pragma once
// What the decoders write into while the analysis walks an image: the report lines, the file
// and summary lines, and the findings of the tape file at hand. Each decoder composes its
// lines in a scratch text of its own and hands them over here.
#include "analysis/AnalyseTape.h"
#include "analysis/TapeReport.h"
#include "base/TextBuffer.h"
#include "tape/WorkBuffer.h"

#include <string_view>

namespace tonvale {

// Listing lines longer than this are split into continued pieces.
inline constexpr std::size_t kListingWidth = 64;

class ReportWriter {
  public:
    ReportWriter(TapeReport& report, ReportSink* sink, const AnalysisSettings& settings)
        : m_report(report), m_sink(sink), m_trsFont(settings.trsFont) {}

    // --- The tape file at hand ------------------------------------------------------------
    // Starts a new tape file's record; its lines begin with the next one written.
    void BeginFile(TapeFormat format, std::uint64_t offset, std::uint32_t shift);
    TapeFileReport& File() { return m_report.files.back(); }
    TapeFormat Format() const { return m_format; }
    void SetFormat(TapeFormat format);
    // The format of the tape file before; None for the first of the image.
    TapeFormat PrevFormat() const { return m_prevFormat; }
    bool FirstFile() const { return m_prevFormat == TapeFormat::None; }
    void SetPrevFormat(TapeFormat format) { m_prevFormat = format; }
    // How the Highspeed data of the tape file at hand ended.
    const HighspeedTail& Tail() const { return m_tail; }
    void SetTail(const HighspeedTail& tail) { m_tail = tail; }

    // --- Report lines -----------------------------------------------------------------------
    std::size_t LineCount() const { return m_report.lineCount; }
    void AddReportLine(ByteView text, Byte tag = kTagPlain);
    void AddReportLine(const TextBuffer& text, Byte tag = kTagPlain) {
        AddReportLine(text.View(), tag);
    }
    void AddReportLine(std::string_view text, Byte tag = kTagPlain) {
        AddReportLine(ByteView(reinterpret_cast<const Byte*>(text.data()), text.size()), tag);
    }
    // The tape file's bytes, behind the sync byte: a hex dump of them tells which it shows.
    void SetFileData(ByteView data) { m_fileData = data; }
    // The lines from `firstLine` on show the tape file's bytes [from, end).
    void MarkLines(std::size_t firstLine, std::size_t from, std::size_t end);
    // While the text is longer than a listing line, adds its first 64 characters as a
    // continued line and keeps the rest.
    void SplitLongLine(TextBuffer& text);
    // The line that names the tape file's leader and sync byte; false, and no line, for a
    // tape file found without them.
    bool AddHeaderLine();
    // A run of tape bytes as hex-dump lines of 16, with or without the address column.
    void AddHexDump(bool withAddress, ByteView bytes, std::uint32_t address);
    // A byte as the report shows it: control bytes as dots, and bytes 80h-FFh too unless the
    // TRS-80 font is in use.
    Byte ToDisplayChar(Byte value) const;
    bool TrsFont() const { return m_trsFont; }

    // --- Status lines and verdicts ----------------------------------------------------------
    // The tape file's description: the file line for the first tape file of an image, a
    // report line for every later one.
    void Describe(const TextBuffer& description);
    void SetFileLine(std::string_view text);
    void SetSummaryLine(std::string_view text);
    // " (and more files)" and the like; the file line holds 359 characters at most.
    void AppendToFileLine(std::string_view word);
    // The verdict of a decoder: " bad"/" suspicious"/" ok" on the file line (first tape file
    // only) and " bad"/" ok?"/" ok!" on the summary line.
    void AppendVerdict(bool bad, bool suspicious);
    void AppendSummaryWord(Verdict verdict);
    // A verdict that adds no word to the summary line.
    void SetVerdict(Verdict verdict) { File().verdict = verdict; }

  private:
    static void AppendWord(Bytes& line, std::string_view word);

    TapeReport& m_report;
    ReportSink* m_sink;
    const bool m_trsFont;
    TapeFormat m_format = TapeFormat::None;
    TapeFormat m_prevFormat = TapeFormat::None;
    HighspeedTail m_tail;
    TextBuffer m_dump; // the hex dump's own scratch line
    ByteView m_fileData;
};

} // namespace tonvale
