// Classifying one tape file by its first bytes and handing it to its decoder.
#include "analysis/Decoders.h"
#include "analysis/TapeBytes.h"

#include <algorithm>

namespace tonvale {

namespace {

// A Level 1 tape file begins with its start and stop addresses, high byte first.
constexpr std::uint16_t kLevel1Program = 0x4200;
constexpr std::uint16_t kLevel1MachineCode = 0x41FE;

// The Level 1 empty CSAVE: 4 address bytes, the whole 64 KB from 4200h round to 41FFh, and
// the checksum. The ROM (0000h-0FFFh) sits where the memory wraps round past FFFFh.
constexpr std::size_t kCsaveLength = 65541;
constexpr std::size_t kCsaveChecksum = 65540;
constexpr std::size_t kRomOffset = 48644;
constexpr std::size_t kRomSize = 4096;

constexpr Byte kBasicMarker = 0xD3; // D3h D3h D3h: Level 2 BASIC; D3h alone: EDTASM
constexpr Byte kSystemMarker = 0x55;

const char* FormatName(TapeFormat format) {
    switch (format) {
    case TapeFormat::Highspeed:
        return "Highspeed";
    case TapeFormat::Level2:
        return "Level 2";
    case TapeFormat::Level1:
        return "Level 1";
    default:
        return "No header";
    }
}

bool ThreeBasicMarkers(TapeBytes t) {
    return t.Has(0, 3) && t[0] == kBasicMarker && t[1] == kBasicMarker && t[2] == kBasicMarker;
}

ContentKind ClassifyLevel2(TapeBytes t) {
    if (ThreeBasicMarkers(t)) return ContentKind::Basic;
    if (t.Has(0, 1) && t[0] == kSystemMarker) return ContentKind::System;
    if (t.Has(0, 1) && t[0] == kBasicMarker) return ContentKind::EdtasmSource;
    return ContentKind::Unidentified;
}

} // namespace

std::size_t AnalyseTapeFile(ReportWriter& out, LevelQuestion& questions, ByteView file) {
    const TapeBytes t(file);
    out.SetFileData(file);
    TapeFormat format = out.Format();
    ContentKind kind = ContentKind::Unidentified;

    if (format == TapeFormat::Level1or2) {
        const bool haveAddresses = t.Has(0, 4);
        const unsigned start = haveAddresses ? t.Be16(0) : 0;
        const unsigned stop = haveAddresses ? t.Be16(2) : 0;
        // Any entry address: the decoder judges it by where it lies in memory.
        if (haveAddresses && start == kLevel1MachineCode && stop > kLevel1Program && t.Has(4, 2)) {
            format = TapeFormat::Level1;
            kind = ContentKind::System;
        } else if (haveAddresses && start == kLevel1Program && stop > kLevel1Program) {
            format = TapeFormat::Level1;
            kind = ContentKind::Basic;
        } else if (haveAddresses && start == kLevel1Program && stop == kLevel1Program) {
            format = TapeFormat::Level1;
            kind = ContentKind::EmptyLevel1Csave;
        } else if ((kind = ClassifyLevel2(t)) != ContentKind::Unidentified) {
            format = TapeFormat::Level2;
        }
    } else if (format == TapeFormat::Highspeed) {
        kind = ClassifyLevel2(t);
    }

    // Still undecided: inherit from the tape file before, or ask.
    if (format == TapeFormat::Level1or2) {
        if (out.PrevFormat() == TapeFormat::Level1 || out.PrevFormat() == TapeFormat::Level2)
            format = out.PrevFormat();
        else
            format = questions.AskLevel() == TapeFormat::Level1 ? TapeFormat::Level1
                                                                : TapeFormat::Level2;
    }
    out.SetFormat(format);
    out.File().kind = kind;

    if (format == TapeFormat::Level1 && kind == ContentKind::Basic)
        return ListLevel1Basic(out, file);
    if (format == TapeFormat::Level1 && kind == ContentKind::System)
        return DecodeLevel1System(out, file);
    switch (kind) {
    case ContentKind::Basic:
        return ListLevel2Basic(out, file);
    case ContentKind::System:
        return DecodeSystemTape(out, file);
    case ContentKind::EdtasmSource:
        return ListEdtasmSource(out, file);
    case ContentKind::EmptyLevel1Csave:
        return ReportEmptyLevel1Csave(out, file);
    default:
        return ReportUnidentified(out, file);
    }
}

std::size_t ReportUnidentified(ReportWriter& out, ByteView file) {
    TextBuffer text;
    text.Set(FormatName(out.Format()));
    text.Append(" unidentified or unsupported");
    out.Describe(text);

    switch (out.Format()) {
    case TapeFormat::Highspeed:
        out.AddReportLine("Highspeed header (many 55h then 7Fh)");
        break;
    case TapeFormat::Level2:
        out.AddReportLine("Level 2 header (many 00h then 5Ah)");
        break;
    case TapeFormat::Level1:
        out.AddReportLine("Level 1 header (many 00h then 5Ah)");
        break;
    default:
        if (out.PrevFormat() == TapeFormat::None)
            out.AddReportLine("No header detected (fragment? not CAS?)");
        else if (file.size() < 20)
            out.AddReportLine("Garbage (turning off noise?)");
        else
            out.AddReportLine("Premature end? Remainder of garbeled \"file\"");
        break;
    }

    const bool noise = out.Format() == TapeFormat::None && out.PrevFormat() != TapeFormat::None &&
                       file.size() < 20;
    out.AppendSummaryWord(noise ? Verdict::Noise : Verdict::Bad);
    out.AddHexDump(false, file, 0);
    return file.size();
}

std::size_t ReportEmptyLevel1Csave(ReportWriter& out, ByteView file) {
    TextBuffer text;
    if (out.FirstFile()) out.SetFileLine("Model I Level 1 empty CSAVE can't be CLOAD'ed");
    out.AddReportLine("Level 1 CSAVE without program from 4200h to 4200h");
    out.File().load = kLevel1Program;
    out.File().end = kLevel1Program;

    const std::size_t length = file.size();
    bool checksumOk = false;
    if (length >= kCsaveLength) {
        Byte sum = 0;
        for (std::size_t i = 4; i <= kCsaveChecksum; ++i)
            sum = static_cast<Byte>(sum + file[i]);
        checksumOk = sum == 0;
        text.Format("Checksum %02X %s", file[kCsaveChecksum], checksumOk ? "ok" : "BAD");
        out.AddReportLine(text);
    } else {
        text.Set("Truncated");
        if (length < kRomOffset) {
            text.Append(" before the ROM, useless");
            out.AddReportLine(text);
            // No word goes to the summary line here, but the tape file is still a bad one
            // for whoever asks (the command line's exit status).
            out.SetVerdict(Verdict::Bad);
            return length;
        }
        if (length < kRomOffset + kRomSize) text.Append(" before the end of the ROM");
        out.AddReportLine(text);
    }

    if (length >= kCsaveLength && checksumOk)
        out.AppendSummaryWord(Verdict::Ok);
    else if (length >= kRomOffset + kRomSize && length < kCsaveLength)
        out.AppendSummaryWord(Verdict::Suspicious);
    else
        out.AppendSummaryWord(Verdict::Bad);

    out.AddReportLine("... the Level 1 ROM");
    const std::size_t n = std::min(length - kRomOffset, kRomSize);
    out.AddHexDump(true, file.subspan(kRomOffset, n), 0x0000);
    out.AddReportLine(n == kRomSize ? "..." : "Truncated");
    return length;
}

} // namespace tonvale
