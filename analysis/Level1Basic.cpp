// The report of a Level 1 BASIC program: its stop address, its lines and its checksum, as the
// parser (format/Level1) read them.
#include "analysis/Decoders.h"
#include "format/Level1.h"

namespace tonvale {

namespace {

class Level1BasicReport {
  public:
    Level1BasicReport(ReportWriter& out, ByteView file)
        : m_out(out), m_file(file), m_tape(ParseLevel1(file, Level1Kind::Basic)) {}

    std::size_t Write() {
        m_out.AddReportLine("Level 1 header many 00h one 5Ah");
        m_text.Set("Level 1 BASIC");
        m_out.Describe(m_text);
        m_out.AddReportLine("Start at 4200h BASIC");
        if (!m_tape.stop) {
            m_out.AddReportLine("Stop address missing");
            m_out.AddReportLine("checksum missing");
            m_out.AppendVerdict(true, false);
            return m_tape.end;
        }
        WriteStopAddress();
        WriteLines();
        WriteChecksum();
        m_out.AppendVerdict(m_bad, m_suspicious);
        return m_tape.end;
    }

  private:
    void WriteStopAddress() {
        const unsigned stop = *m_tape.stop;
        m_out.File().load = kLevel1Program;
        m_out.File().end = stop;
        m_text.Format("Stop address %04Xh ", stop);
        if (stop < kLevel1Program) {
            // Nothing of the program can be where the stop address says.
            m_text.Append("before the program");
            m_bad = true;
        } else {
            m_text.Append("ok");
            if (stop >= kLevel1FirstBeyond4K) {
                m_text.AppendFormat(" but needs %uK RAM", (stop - 1) / kLevel1RamStep * 16);
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
        m_text.Format(" %u ", line.number);
        m_out.BeginListingLine();
        for (std::size_t p = line.text; p < line.textEnd; ++p) {
            const Byte b = m_file[p];
            if (IsLevel1Plain(b)) {
                m_text.AppendByte(b);
            } else {
                m_text.AppendFormat("<%02X>", b);
                m_bad = true;
            }
            if (split) m_out.SplitLongLine(m_text);
        }
        m_out.AddReportLine(m_text);
        m_out.EndListingLine();
        if (!line.terminated) Truncated();
    }

    void Truncated() {
        m_bad = true;
        m_out.AddReportLine("<truncated>");
    }

    void WriteChecksum() {
        if (!m_tape.Complete()) {
            // The stop address promised more than the recording holds.
            const bool lastLineCut = m_tape.firstNumberCut || m_tape.numberCut ||
                                     (!m_tape.lines.empty() && !m_tape.lines.back().terminated);
            if (!lastLineCut) m_out.AddReportLine("<truncated>");
            m_out.AddReportLine("checksum missing");
            m_bad = true;
            return;
        }
        m_text.Format("checksum %02Xh ", *m_tape.checksum);
        if (m_tape.Holds()) {
            m_text.Append("ok");
        } else {
            m_text.AppendFormat("error (calculated %02Xh)", static_cast<Byte>(-m_tape.sum));
            m_bad = true;
        }
        m_out.AddReportLine(m_text);
    }

    ReportWriter& m_out;
    ByteView m_file;
    const Level1Tape m_tape;
    TextBuffer m_text;
    bool m_bad = false;
    bool m_suspicious = false;
};

} // namespace

std::size_t ListLevel1Basic(ReportWriter& out, ByteView file) {
    return Level1BasicReport(out, file).Write();
}

} // namespace tonvale
