// The reports of Level 1 tape files, as the parser (format/Level1) read them: a BASIC
// program's stop address, lines and checksum; machine code's stop and entry address, code and
// checksum.
#include "format/Level1.h"
#include "analysis/Decoders.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace tonvale {

namespace {

// Where an entry address lies in the Level 1 memory map, and what that says about the tape.
struct EntryRegion {
    unsigned last;
    const char* remark; // null: program RAM, nothing to say
    bool bad;
    bool suspicious;
};

constexpr EntryRegion kEntryRegions[] = {
    {0x0FFF, "in the level 1 ROM", false, true},
    {0x2FFF, "in the gap between the ROM and the i/o area", true, false},
    {0x3BFF, "in the i/o area", true, false},
    {0x3FFF, "in the screen RAM", true, false},
    {0x41FD, "in the basic houskeeping area", true, false},
    {0x7FFF, nullptr, false, false},
    {0xFFFF, "beyond the level 1 RAM", true, false},
};

const EntryRegion& RegionOf(unsigned address) {
    return *std::find_if(std::begin(kEntryRegions), std::end(kEntryRegions),
                         [address](const EntryRegion& r) { return address <= r.last; });
}

// What the reports of both kinds share: the parse, the findings behind the verdict, and the
// checksum line.
class Level1Report {
  protected:
    Level1Report(ReportWriter& out, ByteView file, Level1Kind kind)
        : m_out(out), m_file(file), m_tape(ParseLevel1(file, kind)) {}

    // Without its stop address the tape file lacks everything behind it: says what.
    std::size_t Missing(std::initializer_list<std::string_view> lines) {
        for (std::string_view line : lines)
            m_out.AddReportLine(line);
        m_out.AppendVerdict(true, false);
        return m_tape.end;
    }

    void WriteChecksum(bool showCalculated) {
        if (!m_tape.Complete()) {
            m_out.AddReportLine("checksum missing");
            m_bad = true;
            return;
        }
        m_text.Format("checksum {:02X}h ", *m_tape.checksum);
        if (m_tape.Holds()) {
            m_text.Append("ok");
        } else {
            m_text.Append("error");
            if (showCalculated)
                m_text.AppendFormat(" (calculated {:02X}h)", static_cast<Byte>(-m_tape.sum));
            m_bad = true;
        }
        m_out.AddReportLine(m_text);
    }

    std::size_t Finish() {
        m_out.AppendVerdict(m_bad, m_suspicious);
        return m_tape.end;
    }

    ReportWriter& m_out;
    ByteView m_file;
    const Level1Tape m_tape;
    TextBuffer m_text;
    bool m_bad = false;
    bool m_suspicious = false;
};

class Level1BasicReport : Level1Report {
  public:
    Level1BasicReport(ReportWriter& out, ByteView file)
        : Level1Report(out, file, Level1Kind::Basic) {}

    std::size_t Write() {
        m_out.AddReportLine("Level 1 header many 00h one 5Ah");
        m_text.Set("Level 1 BASIC");
        m_out.Describe(m_text);
        m_out.AddReportLine("Start at 4200h BASIC");
        if (!m_tape.stop) return Missing({"Stop address missing", "checksum missing"});
        WriteStopAddress();
        WriteLines();
        // The stop address promised more than the recording holds.
        if (!m_tape.Complete() && !LastLineCut()) m_out.AddReportLine("<truncated>");
        WriteChecksum(true);
        return Finish();
    }

  private:
    void WriteStopAddress() {
        const unsigned stop = *m_tape.stop;
        m_out.File().load = kLevel1Program;
        m_out.File().end = stop;
        m_text.Format("Stop address {:04X}h ", stop);
        if (stop < kLevel1Program) {
            // Nothing of the program can be where the stop address says.
            m_text.Append("before the program");
            m_bad = true;
        } else {
            m_text.Append("ok");
            if (stop >= kLevel1FirstBeyond4K) {
                m_text.AppendFormat(" but needs {}K RAM", (stop - 1) / kLevel1RamStep * 16);
                m_suspicious = true;
            }
        }
        m_out.AddReportLine(m_text);
    }

    // The first line's number is not checked, and it is shown whole, however long.
    void WriteLines() {
        if (m_tape.firstNumberCut) Truncated();
        for (std::size_t i = 0; i < m_tape.lines.size(); ++i) {
            const Level1Line& line = m_tape.lines[i];
            if (i > 0 && line.number <= m_tape.lines[i - 1].number) {
                m_bad = true;
                m_out.AddReportLine("<bad linenumber>");
            }
            WriteLine(line, i > 0);
        }
        if (m_tape.numberCut) Truncated();
    }

    void WriteLine(const Level1Line& line, bool split) {
        const std::size_t first = m_out.LineCount();
        m_text.Format(" {} ", line.number);
        for (std::size_t p = line.text; p < line.textEnd; ++p) {
            const Byte b = m_file[p];
            if (IsLevel1Plain(b)) {
                m_text.AppendByte(b);
            } else {
                m_text.AppendFormat("<{:02X}>", b);
                m_bad = true;
            }
            if (split) m_out.SplitLongLine(m_text);
        }
        m_out.AddReportLine(m_text);
        m_out.MarkLines(first, line.offset, line.textEnd + (line.terminated ? 1 : 0));
        if (!line.terminated) Truncated();
    }

    void Truncated() {
        m_bad = true;
        m_out.AddReportLine("<truncated>");
    }

    bool LastLineCut() const {
        return m_tape.firstNumberCut || m_tape.numberCut ||
               (!m_tape.lines.empty() && !m_tape.lines.back().terminated);
    }
};

class Level1CodeReport : Level1Report {
  public:
    Level1CodeReport(ReportWriter& out, ByteView file)
        : Level1Report(out, file, Level1Kind::MachineCode) {}

    std::size_t Write() {
        m_text.Set("Level 1 \"SYSTEM\"");
        m_out.Describe(m_text);
        m_out.AddReportLine("Start address 41FEh level 1 machine code");
        if (!m_tape.stop)
            return Missing(
                {"Stop address missing", "transfer address missing", "checksum missing"});
        m_out.File().load = kLevel1Program;
        m_out.File().end = *m_tape.stop;
        m_out.File().entry = m_tape.entry;
        WriteStopAddress();
        WriteEntryAddress();
        WriteCode();
        WriteChecksum(false);
        return Finish();
    }

  private:
    // Whether the machine the stop address needs has the RAM; with the code cut short, how
    // far off the recording is.
    void WriteStopAddress() {
        const unsigned stop = *m_tape.stop;
        m_text.Format("Stop address {:04X}h ", stop);
        if (stop < kLevel1Program) {
            m_text.Append("before the program");
            m_bad = true;
        } else if (m_tape.Complete()) {
            if (stop < kLevel1FirstBeyond4K) {
                m_text.Append("ok");
            } else {
                m_text.Append(stop < kLevel1FirstBeyond16K ? "ok but exceedes 4K RAM"
                                                           : "ok but exceedes 16K RAM");
                m_suspicious = true;
            }
        } else {
            m_text.Append(stop < kLevel1FirstBeyond4K    ? "mismatch but within 4K RAM"
                          : stop < kLevel1FirstBeyond16K ? "mismatch but within 16K RAM"
                                                         : "mismatch and very unlikely");
            m_bad = true;
        }
        m_out.AddReportLine(m_text);
    }

    void WriteEntryAddress() {
        if (!m_tape.entry) {
            m_out.AddReportLine("transfer address missing");
            m_bad = true;
            return;
        }
        m_text.Format("transfer address {:04X}h ", unsigned{*m_tape.entry});
        const EntryRegion& region = RegionOf(*m_tape.entry);
        if (region.remark) m_text.Append(region.remark);
        m_bad = m_bad || region.bad;
        m_suspicious = m_suspicious || region.suspicious;
        m_out.AddReportLine(m_text);
    }

    // Only the code that is really there.
    void WriteCode() {
        const std::size_t end = std::min(m_tape.checksumAt, m_file.size());
        if (end > kLevel1CodeOffset)
            m_out.AddHexDump(true, m_file.subspan(kLevel1CodeOffset, end - kLevel1CodeOffset),
                             kLevel1Program);
    }
};

} // namespace

std::size_t ListLevel1Basic(ReportWriter& out, ByteView file) {
    return Level1BasicReport(out, file).Write();
}

std::size_t DecodeLevel1System(ReportWriter& out, ByteView file) {
    return Level1CodeReport(out, file).Write();
}

} // namespace tonvale
