// Listing a Level 1 BASIC program: its stop address, its lines and its checksum.
//
// On tape: start address 4200h and stop address (high byte first), the program bytes from
// 4200h up to the stop address, one checksum byte. A line is its number (low byte first),
// plain characters 20h-5Fh (Level 1 has no tokens) and 0Dh.
#include "analysis/Decoders.h"
#include "analysis/TapeBytes.h"

namespace tonvale {

namespace {

constexpr std::uint16_t kProgramStart = 0x4200;
constexpr std::size_t kStopOffset = 2;
constexpr std::size_t kProgramOffset = 4;   // behind the two addresses
constexpr unsigned kFirstBeyond4K = 0x5000; // a 4K machine's RAM ends at 4FFFh
constexpr unsigned kRamStep = 0x4000;       // bigger machines count in steps of 16K
constexpr Byte kLineEnd = 0x0D;
constexpr Byte kFirstPlain = 0x20, kLastPlain = 0x5F;

} // namespace

std::size_t ListLevel1Basic(ReportWriter& out, ByteView file) {
    TextBuffer text;
    const TapeBytes t(file);
    bool bad = false;
    bool suspicious = false;

    out.AddReportLine("Level 1 header many 00h one 5Ah");
    text.Set("Level 1 BASIC");
    out.Describe(text);
    out.AddReportLine("Start at 4200h BASIC");

    if (!t.Has(kStopOffset, 2)) {
        out.AddReportLine("Stop address missing");
        out.AddReportLine("checksum missing");
        out.AppendVerdict(true, false);
        return t.Size();
    }

    const unsigned stop = t.Be16(kStopOffset);
    out.File().load = kProgramStart;
    out.File().end = stop;
    text.Format("Stop address %04Xh ", stop);
    if (stop < kProgramStart) {
        // Nothing of the program can be where the stop address says.
        text.Append("before the program");
        bad = true;
    } else {
        text.Append("ok");
        if (stop >= kFirstBeyond4K) {
            text.AppendFormat(" but needs %uK RAM", (stop - 1) / kRamStep * 16);
            suspicious = true;
        }
    }
    out.AddReportLine(text);

    // The checksum follows the program; a stop address below the start means no program.
    const std::size_t checksumAt =
        kProgramOffset + (stop > kProgramStart ? stop - kProgramStart : 0);
    const bool complete = t.Has(checksumAt, 1);
    // A recording cut short has lost its checksum: every byte present is program text.
    const std::size_t textEnd = complete ? checksumAt : t.Size();
    const std::size_t end = complete ? checksumAt + 1 : t.Size();

    // Collects one line's text from `p` up to its 0Dh, splitting it for the report if asked.
    std::size_t p = kProgramOffset;
    auto collectText = [&](bool split) {
        for (; p < textEnd && t[p] != kLineEnd; ++p) {
            const Byte b = t[p];
            if (b >= kFirstPlain && b <= kLastPlain) {
                text.AppendByte(b);
            } else {
                text.AppendFormat("<%02X>", b);
                bad = true;
            }
            if (split) out.SplitLongLine(text);
        }
    };
    auto endLine = [&] {
        if (p < textEnd) {
            ++p; // the 0Dh
        } else {
            bad = true;
            out.AddReportLine("<truncated>");
        }
    };

    // The first line: its number is not checked, and it is shown whole, however long.
    std::uint16_t previous = 0;
    bool lastLineTruncated = false;
    if (p < textEnd && t.Has(p, 2)) {
        previous = t.Le16(p);
        text.Format(" %u ", previous);
        p += 2;
        out.BeginListingLine(p - 2);
        collectText(false);
        out.AddReportLine(text);
        out.EndListingLine(p);
        lastLineTruncated = p >= textEnd;
        endLine();
    } else {
        bad = true;
        lastLineTruncated = true;
        out.AddReportLine("<truncated>");
    }

    while (p < textEnd) {
        if (!t.Has(p, 2)) {
            // A lone byte at the end of a cut recording: not even a line number.
            bad = true;
            lastLineTruncated = true;
            out.AddReportLine("<truncated>");
            break;
        }
        const std::uint16_t number = t.Le16(p);
        if (number <= previous) {
            bad = true;
            out.AddReportLine("<bad linenumber>");
        }
        previous = number;
        text.Format(" %u ", number);
        p += 2;
        out.BeginListingLine(p - 2);
        collectText(true);
        out.AddReportLine(text);
        out.EndListingLine(p);
        lastLineTruncated = p >= textEnd;
        endLine();
    }

    if (!complete) {
        // The stop address promised more than the recording holds.
        bad = true;
        if (!lastLineTruncated) out.AddReportLine("<truncated>");
        out.AddReportLine("checksum missing");
    } else {
        Byte sum = 0;
        for (std::size_t i = kProgramOffset; i < checksumAt; ++i)
            sum = static_cast<Byte>(sum + t[i]);
        const Byte checksum = t[checksumAt];
        text.Format("checksum %02Xh ", checksum);
        if (static_cast<Byte>(sum + checksum) == 0) {
            text.Append("ok");
        } else {
            text.AppendFormat("error (calculated %02Xh)", static_cast<Byte>(-sum));
            bad = true;
        }
        out.AddReportLine(text);
    }

    out.AppendVerdict(bad, suspicious);
    return end;
}

} // namespace tonvale
