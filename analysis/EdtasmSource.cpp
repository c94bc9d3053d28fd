// The listing of an EDTASM assembler source, as the parser (format/Edtasm) read it: line
// numbers without their bit 7, tabs expanded to the next multiple of eight.
#include "analysis/Decoders.h"
#include "format/Edtasm.h"

namespace tonvale {

namespace {

constexpr std::size_t kTabWidth = 8;

class EdtasmReport {
  public:
    EdtasmReport(ReportWriter& out, ByteView file)
        : m_out(out), m_file(file), m_tape(ParseEdtasm(file)) {}

    std::size_t Write() {
        Describe();
        for (const EdtasmTapeLine& line : m_tape.lines)
            WriteLine(line);
        if (m_tape.truncated) WriteCutLine();
        if (m_tape.notSequential) m_out.AddReportLine("line numbers are not sequential");
        m_out.AppendVerdict(m_tape.odd || m_tape.notSequential || m_tape.truncated, false);
        return m_tape.end;
    }

  private:
    // The name, shown without its padding.
    void Describe() {
        m_text.Set(NamesOf(m_out.Format()).title);
        m_text.Append(" EDTASM named '");
        for (std::size_t i = kEdtasmNameOffset; i < m_tape.nameEnd; ++i)
            if (IsEdtasmNameChar(m_file[i])) m_text.AppendByte(m_file[i]);
        m_text.Append("'");
        m_out.Describe(m_text);
        if (m_tape.nameEnd > kEdtasmNameOffset)
            m_out.File().name =
                Bytes(m_file.begin() + kEdtasmNameOffset, m_file.begin() + m_tape.nameEnd);
        m_text.Clear();
    }

    void WriteLine(const EdtasmTapeLine& line) {
        m_text.Clear();
        m_out.BeginListingLine();
        // A digit byte 80h becomes 00h, which ends the text as it stands.
        for (std::size_t i = 0; i < line.digits; ++i)
            m_text.AppendByte(static_cast<Byte>(m_file[line.offset + i] & ~kEdtasmDigitBit));
        if (!line.separated) return;
        if (m_file[line.text - 1] == kEdtasmSeparator) m_text.AppendByte(' ');
        std::size_t column = 0;
        for (std::size_t p = line.text; p < line.textEnd; ++p) {
            const Byte b = m_file[p];
            if (b == kEdtasmTab) {
                m_text.Append(std::string_view("        ", kTabWidth - column));
                column = 0;
            } else if (IsEdtasmTextChar(b)) {
                m_text.AppendByte(b);
                column = (column + 1) % kTabWidth;
                // One piece per character: a line that grows long only by its last tab stays
                // whole.
                if (m_text.Length() > kListingWidth) {
                    m_out.AddReportLine(m_text.View().first(kListingWidth), kTagContinued);
                    m_text.DropFront(kListingWidth);
                }
            }
        }
        if (!line.terminated) return;
        m_out.AddReportLine(m_text);
        m_out.EndListingLine();
        m_text.Clear();
    }

    // A line cut short is listed as far as it goes.
    void WriteCutLine() {
        if (!m_text.Empty()) m_out.AddReportLine(m_text);
        if (!m_out.File().listing.empty() && m_out.File().listing.back().count == 0)
            m_out.EndListingLine();
        m_out.AddReportLine("truncated");
    }

    ReportWriter& m_out;
    ByteView m_file;
    const EdtasmTape m_tape;
    TextBuffer m_text;
};

} // namespace

std::size_t ListEdtasmSource(ReportWriter& out, ByteView file) {
    return EdtasmReport(out, file).Write();
}

} // namespace tonvale
