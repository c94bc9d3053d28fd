// Walking a tape image tape file by tape file.
#include "analysis/AnalyseTape.h"

#include "analysis/Decoders.h"
#include "tape/FindSync.h"
#include "tape/WorkBuffer.h"

#include <optional>

namespace tonvale {

namespace {

// One tape file's bytes as the analysis gets them.
struct TapeFileData {
    SyncResult sync;
    std::optional<ByteView> bytes;
    std::uint64_t asked = 0; // the size of a work buffer that could not be had
    HighspeedTail tail;
};

// The data behind a sync search that started at image offset `from`.
TapeFileData Cut(ByteView image, WorkBuffers& buffers, std::size_t from) {
    TapeFileData data;
    data.sync = FindSync(image.subspan(from));
    data.sync.dataPos += from;
    switch (data.sync.format) {
    case TapeFormat::Level1or2:
        data.bytes = buffers.Level(data.sync.dataPos, data.sync.shift, data.asked);
        break;
    case TapeFormat::Highspeed:
        data.bytes = buffers.Highspeed(data.sync.dataPos, data.sync.shift, data.tail, data.asked);
        break;
    default:
        data.sync.dataPos = from;
        data.bytes = image.subspan(from);
        break;
    }
    return data;
}

} // namespace

TapeReport AnalyseTape(ByteView image, LevelQuestion& questions, const AnalysisSettings& settings,
                       ReportSink* sink) {
    TapeReport report;
    ReportWriter out(report, sink, settings);
    WorkBuffers buffers(image);

    // The first tape file.
    TapeFileData data = Cut(image, buffers, 0);
    if (!data.bytes) {
        report.workBufferShortfall = data.asked;
        return report;
    }
    out.SetSummaryLine("Files:");
    out.BeginFile(data.sync.format, data.sync.dataPos, data.sync.shift);
    out.SetTail(data.tail);
    ByteView work = *data.bytes;
    std::size_t consumed = AnalyseTapeFile(out, questions, work);
    // A single byte left behind a Highspeed first tape file is the rest of its last group.
    if (consumed + 1 == work.size() && out.Format() == TapeFormat::Highspeed)
        consumed = work.size();
    out.File().length = consumed;

    // Every further tape file, searched for in what the analysis left.
    while (consumed < work.size()) {
        const std::uint64_t remaining = work.size() - consumed;
        const std::uint64_t raw =
            out.Format() == TapeFormat::Highspeed ? remaining * 9 / 8 : remaining;
        const std::size_t from =
            raw >= image.size() ? 0 : image.size() - static_cast<std::size_t>(raw);
        const TapeFormat previous = out.Format();
        out.SetPrevFormat(previous);
        data = Cut(image, buffers, from);
        if (!data.bytes) {
            report.workBufferShortfall = data.asked;
            break;
        }
        // The separator belongs to the tape file before.
        out.AddReportLine(std::string_view(), kTagPlain);
        out.BeginFile(data.sync.format, data.sync.dataPos, data.sync.shift);
        out.SetTail(data.tail);
        work = *data.bytes;
        consumed = AnalyseTapeFile(out, questions, work);
        out.File().length = consumed;
        // A remainder without a leader counts as the format before it.
        if (out.Format() == TapeFormat::None) out.SetFormat(previous);
        if (previous != TapeFormat::None && previous != out.Format()) report.mixedFormats = true;
    }

    report.lastFormat = out.Format();
    report.lastKind = report.files.empty() ? ContentKind::Unidentified : report.files.back().kind;
    if (report.summaryLine.size() > 10) out.AppendToFileLine(" (and more files)");
    return report;
}

// --- The result ------------------------------------------------------------------------------

bool TapeReport::Damaged() const {
    for (const TapeFileReport& file : files)
        if (file.verdict == Verdict::Bad || file.verdict == Verdict::Suspicious) return true;
    return false;
}

ByteView SavedFileLine(const TapeReport& report) {
    const ByteView fileLine(report.fileLine);
    return fileLine.first(std::min(fileLine.size(), kSavedFileLineLength));
}

Bytes ComposeReportText(const TapeReport& report) {
    const ByteView fileLine = SavedFileLine(report);
    Bytes out(fileLine.begin(), fileLine.end());
    out.push_back('\r');
    out.push_back('\n');
    for (std::size_t i = 0; i < report.lines.Count(); ++i) {
        const ByteView line = report.lines.Line(i);
        out.insert(out.end(), line.begin(), line.end());
        if (report.tags[i] == kTagPlain) {
            out.push_back('\r');
            out.push_back('\n');
        }
    }
    return out;
}

std::vector<Bytes> JoinedLines(const TapeReport& report, const TapeFileReport& file) {
    std::vector<Bytes> joined;
    bool continues = false;
    const std::size_t end = std::min(file.firstLine + file.lineCount, report.lines.Count());
    for (std::size_t i = file.firstLine; i < end; ++i) {
        const ByteView line = report.lines.Line(i);
        if (!continues) joined.emplace_back();
        joined.back().insert(joined.back().end(), line.begin(), line.end());
        continues = report.tags[i] != kTagPlain;
    }
    return joined;
}

} // namespace tonvale
