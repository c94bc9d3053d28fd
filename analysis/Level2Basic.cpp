// The listing of a Level 2 BASIC program, as the parser (format/Level2Basic) read it: line by
// line with the keywords spelled out, each line followed by what the parser found wrong with
// its next pointer, its order, and strings and remarks that hold machine code.
#include "format/Level2Basic.h"
#include "analysis/Decoders.h"
#include "format/Level2Keywords.h"

namespace tonvale {

namespace {

constexpr Byte kFirstPrintable = 0x20;
constexpr Byte kLineFeed = 0x0A;
// A tape file cut off before its name byte still gets a description.
constexpr Byte kMissingName = ' ';

class Level2BasicReport {
  public:
    Level2BasicReport(ReportWriter& out, ByteView file)
        : m_out(out), m_file(file), m_program(ParseLevel2Basic(file)) {}

    std::size_t Write() {
        Describe();
        if (m_program.load) m_out.File().load = m_program.load;
        for (const Level2ProgramLine& line : m_program.lines)
            WriteLine(line);
        if (m_program.stop == Level2Stop::EndMarkerCut) HintAtMissingEndByte();
        // The program in memory ends behind its end marker.
        if (m_program.stop == Level2Stop::EndMarker && m_program.load)
            m_out.File().end =
                *m_program.load + static_cast<std::uint32_t>(m_program.end - kLevel2FirstLine);
        m_out.AppendVerdict(m_program.damaged, false);
        return m_program.end;
    }

  private:
    void Describe() {
        if (m_program.name) m_out.File().name = Bytes{*m_program.name};
        m_text.Set(NamesOf(m_out.Format()).title);
        m_text.AppendFormat(" BASIC named '{}'",
                            static_cast<char>(m_program.name.value_or(kMissingName)));
        m_out.Describe(m_text);
    }

    void WriteLine(const Level2ProgramLine& line) {
        const std::size_t first = m_out.LineCount();
        m_text.Format("{} ", line.number);
        WalkLevel2Text(m_file, line, [this](const Level2ShownByte& shown) {
            Show(shown);
            m_out.SplitLongLine(m_text);
        });
        m_out.AddReportLine(m_text, kTagPlain);
        m_out.MarkLines(first, line.start, line.textEnd + (line.terminated ? 1 : 0));
        WriteFindings(line);
    }

    void Show(const Level2ShownByte& shown) {
        const Byte c = shown.value;
        if (c >= kFirstLevel2Token) {
            // In a string the TRS-80 font shows the machine's own character or block graphic.
            if (shown.inString && m_out.TrsFont())
                m_text.AppendByte(c);
            else
                m_text.Append(Level2Keyword(c));
        } else if (c >= kFirstPrintable) {
            m_text.AppendByte(c);
        } else if (c == kLineFeed && shown.quietLineFeed) {
            // A line feed typed into a string or remark: the line stays one report line.
        } else {
            // Any other control byte breaks the report line; the rest follows without a number.
            m_out.SplitLongLine(m_text);
            m_out.AddReportLine(m_text, kTagPlain);
            m_text.Clear();
        }
    }

    void WriteFindings(const Level2ProgramLine& line) {
        // A pointer beyond the end of the bytes is a cut recording: only the verdict tells.
        if (line.badPointer && !line.beyondEnd) {
            m_text.Format("bad next pointer {:04X}h in this line", unsigned{line.stored});
            m_out.AddReportLine(m_text);
            if (line.effective != line.stored) {
                m_text.Format("<possible real next pointer {:04X}h>", unsigned{line.effective});
                m_out.AddReportLine(m_text);
            }
        }
        if (line.stringNonAscii) {
            m_out.AddReportLine("<string with non ascii characters found>");
            m_out.AddReportLine("<possible machine code.>");
        }
        if (line.remarkNonAscii) {
            m_out.AddReportLine("<REM followed by non ascii characters found>");
            m_out.AddReportLine("<possible machine code.>");
        }
        if (line.badOrder) m_out.AddReportLine("<Bad linenumber, not in rising order>");
    }

    // The end marker lacks its last byte: a recording stopped a moment too early.
    void HintAtMissingEndByte() {
        const HighspeedTail& tail = m_out.Tail();
        if (m_file[m_program.end] == kLevel2LineEnd && m_out.Format() == TapeFormat::Highspeed &&
            tail.lastBits == 0 && tail.bitsShort != 0) {
            m_text.Format("This CAS file is {} bits short", static_cast<int>(tail.bitsShort));
            m_out.AddReportLine(m_text);
        }
        m_out.AddReportLine("You can fix this file by adding one byte of 00 with a hexeditor");
    }

    ReportWriter& m_out;
    ByteView m_file;
    const Level2Program m_program;
    TextBuffer m_text;
};

} // namespace

std::size_t ListLevel2Basic(ReportWriter& out, ByteView file) {
    return Level2BasicReport(out, file).Write();
}

} // namespace tonvale
