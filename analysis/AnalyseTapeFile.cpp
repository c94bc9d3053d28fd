// Classifying one tape file by its first bytes and handing it to its decoder.
#include "analysis/TapeBytes.h"
#include "app/TonvaleDlg.h"

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

std::size_t CTonvaleDlg::AnalyseTapeFile(ByteView file) {
    const TapeBytes t(file);
    m_contentKind = ContentKind::Unidentified;

    if (m_format == TapeFormat::Level1or2) {
        const bool haveAddresses = t.Has(0, 4);
        const unsigned start = haveAddresses ? t.Be16(0) : 0;
        const unsigned stop = haveAddresses ? t.Be16(2) : 0;
        if (haveAddresses && start == kLevel1MachineCode && stop > kLevel1Program && t.Has(4, 2) &&
            t[4] == 0x00 && t[5] == 0x42) {
            m_format = TapeFormat::Level1;
            m_contentKind = ContentKind::System;
        } else if (haveAddresses && start == kLevel1Program && stop > kLevel1Program) {
            m_format = TapeFormat::Level1;
            m_contentKind = ContentKind::Basic;
        } else if (haveAddresses && start == kLevel1Program && stop == kLevel1Program) {
            m_format = TapeFormat::Level1;
            m_contentKind = ContentKind::EmptyLevel1Csave;
        } else if ((m_contentKind = ClassifyLevel2(t)) != ContentKind::Unidentified) {
            m_format = TapeFormat::Level2;
        }
    } else if (m_format == TapeFormat::Highspeed) {
        m_contentKind = ClassifyLevel2(t);
    }

    // Still undecided: inherit from the tape file before, or ask.
    if (m_format == TapeFormat::Level1or2) {
        if (m_prevFormat == TapeFormat::Level1 || m_prevFormat == TapeFormat::Level2)
            m_format = m_prevFormat;
        else
            m_format = m_platform.AskLevel() == TapeFormat::Level1 ? TapeFormat::Level1
                                                                   : TapeFormat::Level2;
    }

    if (m_format == TapeFormat::Level1 && m_contentKind == ContentKind::Basic)
        return ListLevel1Basic(file);
    if (m_format == TapeFormat::Level1 && m_contentKind == ContentKind::System)
        return DecodeLevel1System(file);
    switch (m_contentKind) {
    case ContentKind::Basic:
        return ListLevel2Basic(file);
    case ContentKind::System:
        return DecodeSystemTape(file);
    case ContentKind::EdtasmSource:
        return ListEdtasmSource(file);
    case ContentKind::EmptyLevel1Csave:
        return ReportEmptyLevel1Csave(file);
    default:
        return ReportUnidentified(file);
    }
}

std::size_t CTonvaleDlg::ReportUnidentified(ByteView file) {
    m_text.Set(FormatName(m_format));
    m_text.Append(" unidentified or unsupported");
    Describe(m_text);

    switch (m_format) {
    case TapeFormat::Highspeed:
        AddReportLine("Highspeed header (many 55h then 7Fh)");
        break;
    case TapeFormat::Level2:
        AddReportLine("Level 2 header (many 00h then 5Ah)");
        break;
    case TapeFormat::Level1:
        AddReportLine("Level 1 header (many 00h then 5Ah)");
        break;
    default:
        if (m_prevFormat == TapeFormat::None)
            AddReportLine("No header detected (fragment? not CAS?)");
        else if (file.size() < 20)
            AddReportLine("Garbage (turning off noise?)");
        else
            AddReportLine("Premature end? Remainder of garbeled \"file\"");
        break;
    }

    const bool noise =
        m_format == TapeFormat::None && m_prevFormat != TapeFormat::None && file.size() < 20;
    AppendSummaryWord(noise ? Verdict::Noise : Verdict::Bad);
    AddHexDump(false, file, 0);
    return file.size();
}

std::size_t CTonvaleDlg::ReportEmptyLevel1Csave(ByteView file) {
    if (m_prevFormat == TapeFormat::None)
        SetControlText(ControlId::FileLine,
                       std::string_view("Model I Level 1 empty CSAVE can't be CLOAD'ed"));
    AddReportLine("Level 1 CSAVE without program from 4200h to 4200h");

    const std::size_t length = file.size();
    bool checksumOk = false;
    if (length >= kCsaveLength) {
        Byte sum = 0;
        for (std::size_t i = 4; i <= kCsaveChecksum; ++i)
            sum = static_cast<Byte>(sum + file[i]);
        checksumOk = sum == 0;
        m_text.Format("Checksum %02X %s", file[kCsaveChecksum], checksumOk ? "ok" : "BAD");
        AddReportLine(m_text);
    } else {
        m_text.Set("Truncated");
        if (length < kRomOffset) {
            m_text.Append(" before the ROM, useless");
            AddReportLine(m_text);
            // No word goes to the summary line here, but the tape file is still a bad one
            // for whoever asks (the command line's exit status).
            m_verdicts.push_back(Verdict::Bad);
            return length;
        }
        if (length < kRomOffset + kRomSize) m_text.Append(" before the end of the ROM");
        AddReportLine(m_text);
    }

    if (length >= kCsaveLength && checksumOk)
        AppendSummaryWord(Verdict::Ok);
    else if (length >= kRomOffset + kRomSize && length < kCsaveLength)
        AppendSummaryWord(Verdict::Suspicious);
    else
        AppendSummaryWord(Verdict::Bad);

    AddReportLine("... the Level 1 ROM");
    const std::size_t n = std::min(length - kRomOffset, kRomSize);
    AddHexDump(true, file.subspan(kRomOffset, n), 0x0000);
    AddReportLine(n == kRomSize ? "..." : "Truncated");
    return length;
}

} // namespace tonvale
