// Classifying one tape file by its first bytes and handing it to its decoder.
#include "analysis/Decoders.h"
#include "analysis/TapeBytes.h"
#include "format/Edtasm.h"
#include "format/Level1.h"
#include "format/Level2Basic.h"
#include "format/SystemTape.h"

#include <algorithm>

namespace tonvale {

namespace {

ContentKind ClassifyLevel2(TapeBytes t) {
    if (HasLevel2BasicMarkers(t.View())) return ContentKind::Basic;
    if (t.Has(0, 1) && t[0] == kSystemMarker) return ContentKind::System;
    if (t.Has(0, 1) && t[0] == kEdtasmMarker) return ContentKind::EdtasmSource;
    return ContentKind::Unidentified;
}

ContentKind KindOf(Level1Kind kind) {
    switch (kind) {
    case Level1Kind::Basic:
        return ContentKind::Basic;
    case Level1Kind::MachineCode:
        return ContentKind::System;
    case Level1Kind::EmptyCsave:
        return ContentKind::EmptyLevel1Csave;
    default:
        return ContentKind::Unidentified;
    }
}

} // namespace

std::size_t AnalyseTapeFile(ReportWriter& out, LevelQuestion& questions, ByteView file) {
    const TapeBytes t(file);
    out.SetFileData(file);
    TapeFormat format = out.Format();
    ContentKind kind = ContentKind::Unidentified;

    if (format == TapeFormat::Level1or2) {
        if ((kind = KindOf(ClassifyLevel1(file))) != ContentKind::Unidentified)
            format = TapeFormat::Level1;
        else if ((kind = ClassifyLevel2(t)) != ContentKind::Unidentified)
            format = TapeFormat::Level2;
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
    text.Set(NamesOf(out.Format()).title);
    text.Append(" unidentified or unsupported");
    out.Describe(text);

    if (!out.AddHeaderLine()) {
        if (out.PrevFormat() == TapeFormat::None)
            out.AddReportLine("No header detected (fragment? not CAS?)");
        else if (file.size() < 20)
            out.AddReportLine("Garbage (turning off noise?)");
        else
            out.AddReportLine("Premature end? Remainder of garbeled \"file\"");
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
    const Level1Tape tape = ParseLevel1(file, Level1Kind::EmptyCsave);
    const bool checksumOk = tape.Holds();
    if (tape.Complete()) {
        text.Format("Checksum {:02X} {}", *tape.checksum, checksumOk ? "ok" : "BAD");
        out.AddReportLine(text);
    } else {
        text.Set("Truncated");
        if (length < kCsaveRomOffset) {
            text.Append(" before the ROM, useless");
            out.AddReportLine(text);
            // No word goes to the summary line here, but the tape file is still a bad one
            // for whoever asks (the command line's exit status).
            out.SetVerdict(Verdict::Bad);
            return length;
        }
        if (length < kCsaveRomOffset + kLevel1RomSize) text.Append(" before the end of the ROM");
        out.AddReportLine(text);
    }

    if (checksumOk)
        out.AppendSummaryWord(Verdict::Ok);
    else if (length >= kCsaveRomOffset + kLevel1RomSize && length < kCsaveLength)
        out.AppendSummaryWord(Verdict::Suspicious);
    else
        out.AppendSummaryWord(Verdict::Bad);

    out.AddReportLine("... the Level 1 ROM");
    const std::size_t n = std::min(length - kCsaveRomOffset, kLevel1RomSize);
    out.AddHexDump(true, file.subspan(kCsaveRomOffset, n), 0x0000);
    out.AddReportLine(n == kLevel1RomSize ? "..." : "Truncated");
    return length;
}

} // namespace tonvale
