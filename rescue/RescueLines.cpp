// The rescue's findings as plain text lines, in the report's manner.
#include "rescue/Rescue.h"

#include "base/TextBuffer.h"

#include <fmt/core.h>

#include <algorithm>
#include <string>

namespace tonvale {

namespace {

constexpr std::size_t kMostListed = 40; // of each kind per tape file; the rest are counted

// Formatted by the library's vformat: a format_to into the bytes would instantiate all of
// {fmt}'s formatting here, which costs more to compile than the rest of the program.
template <class... Args> Bytes Line(TextFormat<Args...> format, Args&&... args) {
    const std::string line = fmt::vformat(format.Get(), fmt::make_format_args(args...));
    return Bytes(line.begin(), line.end());
}

// The analysis names the format; a tape file it did not frame is told by its pulses alone.
const char* FormatName(const RescuedTapeFile& file, const TapeFileReport* report) {
    const TapeFormat format = report ? report->format : file.format;
    return NamesOf(format == TapeFormat::None ? TapeFormat::Level1or2 : format).title.data();
}

void ListMended(std::vector<Bytes>& lines, const RescuedTapeFile& file, bool level1) {
    std::size_t listed = 0;
    for (const MendedByte& m : file.mended) {
        if (listed++ == kMostListed) break;
        if (m.how == Mending::Checksum)
            lines.push_back(Line("  byte {} at {:.3f} s: {:02X}h mended to {:02X}h by {}", m.offset,
                                 m.seconds, m.was, m.now,
                                 level1 ? "the tape file's checksum" : "its block's checksum"));
        else if (m.how == Mending::Basic)
            lines.push_back(Line("  byte {} at {:.3f} s: {:02X}h mended to {:02X}h by the "
                                 "chain of BASIC lines",
                                 m.offset, m.seconds, m.was, m.now));
        else
            lines.push_back(Line("  byte {} at {:.3f} s: {:02X}h mended to {:02X}h from tape "
                                 "file {}",
                                 m.offset, m.seconds, m.was, m.now, m.from + 1));
    }
    if (file.mended.size() > kMostListed)
        lines.push_back(Line("  ... and {} more bytes mended", file.mended.size() - kMostListed));
    if (file.heard < file.data.size())
        lines.push_back(Line("  bytes {} to {} from its copies: the signal broke at "
                             "{:.3f} s",
                             file.heard, file.data.size() - 1, file.endSeconds));
}

void ListGaps(std::vector<Bytes>& lines, const RescuedTapeFile& file) {
    for (const SignalGap& gap : file.gaps) {
        if (gap.inStep)
            lines.push_back(Line("  signal lost from {:.3f} s to {:.3f} s at byte {}: {}"
                                 " bits guessed, the clock kept across",
                                 gap.fromSeconds, gap.toSeconds, gap.offset, gap.lostBits));
        else
            lines.push_back(Line("  signal lost from {:.3f} s to {:.3f} s at byte {}"
                                 ": its bits could not be counted, the bytes behind it may be "
                                 "out of step",
                                 gap.fromSeconds, gap.toSeconds, gap.offset));
    }
}

void ListDoubtful(std::vector<Bytes>& lines, const RescuedTapeFile& file) {
    std::size_t listed = 0;
    for (const DoubtfulByte& d : file.doubtful) {
        if (listed++ == kMostListed) break;
        lines.push_back(
            Line("  byte {} at {:.3f} s: {:02X}h doubtful", d.offset, d.seconds, d.value));
    }
    if (file.doubtful.size() > kMostListed)
        lines.push_back(
            Line("  ... and {} more doubtful bytes", file.doubtful.size() - kMostListed));
}

} // namespace

const TapeFileReport* ReportOf(const RescuedTapeFile& file, const TapeReport& report) {
    for (const TapeFileReport& candidate : report.files)
        if (candidate.offset * 8 + candidate.shift == file.imageBit) return &candidate;
    return nullptr;
}

const char* RescueVerdict(const RescuedTapeFile& file, const TapeFileReport* report) {
    const bool faulty = !report || report->verdict != Verdict::Ok;
    if (faulty || !file.doubtful.empty()) return "damaged";
    if (!file.mended.empty() || file.heard < file.data.size()) return "mended";
    return "ok";
}

std::vector<Bytes> RescueLines(const RescueResult& result, const TapeReport& report) {
    std::vector<Bytes> lines;
    lines.push_back(Line("Rescue: {} tape file{} in {:.3f} s of sound, {:.0f} samples per second{}",
                         result.files.size(), result.files.size() == 1 ? "" : "s", result.seconds,
                         result.rate, result.cancelled ? ", stopped early" : ""));
    for (std::size_t i = 0; i < result.files.size(); ++i) {
        const RescuedTapeFile& file = result.files[i];
        const TapeFileReport* analysed = ReportOf(file, report);
        lines.push_back(Line("Tape file {} at {:.3f} s: {}, {:.1f} bits per second, {} polarity, "
                             "{} bytes from {:.3f} s to {:.3f} s",
                             i + 1, file.startSeconds, FormatName(file, analysed),
                             file.bitsPerSecond, file.inverted ? "inverted" : "normal",
                             file.data.size(), file.dataSeconds, file.endSeconds));
        if (file.copyOf) lines.push_back(Line("  a copy of tape file {}", *file.copyOf + 1));
        ListGaps(lines, file);
        ListMended(lines, file, analysed && analysed->format == TapeFormat::Level1);
        ListDoubtful(lines, file);
        if (file.firstBadLine)
            lines.push_back(Line("  first bad BASIC line: byte {} at {:.3f} s", *file.firstBadLine,
                                 file.firstBadLineSeconds));
        lines.push_back(Line("  {}", RescueVerdict(file, analysed)));
    }
    return lines;
}

} // namespace tonvale
