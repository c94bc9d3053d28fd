// The listing of an EDTASM assembler source, as the parser (format/Edtasm) read it: line
// numbers without their bit 7, tabs expanded to the next multiple of eight.
#include "analysis/Decoders.h"
#include "analysis/ListingText.h"
#include "format/Edtasm.h"

namespace tonvale {

namespace {

constexpr std::size_t kTabWidth = 8;

// Composes a source line into `text` as the report lists it: the digits without their bit 7
// (a digit byte 80h becomes 00h, which ends the text as it stands), the space, the text with
// its tabs expanded. A line that grows longer than a listing line has its first 64 characters
// handed to `cut`, one piece per character: a line that grows long only by its last tab stays
// whole.
template <class Cut>
void ComposeLine(ByteView file, const EdtasmTapeLine& line, TextBuffer& text, Cut cut) {
    text.Clear();
    for (std::size_t i = 0; i < line.digits; ++i)
        text.AppendByte(static_cast<Byte>(file[line.offset + i] & ~kEdtasmDigitBit));
    if (!line.separated) return;
    if (file[line.text - 1] == kEdtasmSeparator) text.AppendByte(' ');
    std::size_t column = 0;
    for (std::size_t p = line.text; p < line.textEnd; ++p) {
        const Byte b = file[p];
        if (b == kEdtasmTab) {
            text.Append(std::string_view("        ", kTabWidth - column));
            column = 0;
        } else if (IsEdtasmTextChar(b)) {
            text.AppendByte(b);
            column = (column + 1) % kTabWidth;
            if (text.Length() > kListingWidth) {
                cut(text.View().first(kListingWidth));
                text.DropFront(kListingWidth);
            }
        }
    }
}

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

    // A line cut short stays in the text, for WriteCutLine.
    void WriteLine(const EdtasmTapeLine& line) {
        m_lineFirst = m_out.LineCount();
        m_lineFrom = line.offset;
        ComposeLine(m_file, line, m_text,
                    [this](ByteView piece) { m_out.AddReportLine(piece, kTagContinued); });
        if (!line.terminated) return;
        m_out.AddReportLine(m_text);
        m_out.MarkLines(m_lineFirst, line.offset, line.textEnd + 1);
        m_text.Clear();
    }

    // A line cut short is listed as far as it goes.
    void WriteCutLine() {
        if (!m_text.Empty()) m_out.AddReportLine(m_text);
        if (!m_tape.lines.empty() && !m_tape.lines.back().terminated)
            m_out.MarkLines(m_lineFirst, m_lineFrom, m_file.size());
        m_out.AddReportLine("truncated");
    }

    ReportWriter& m_out;
    ByteView m_file;
    const EdtasmTape m_tape;
    TextBuffer m_text;
    // The report line and the byte where the line being listed begins.
    std::size_t m_lineFirst = 0;
    std::size_t m_lineFrom = 0;
};

} // namespace

std::size_t ListEdtasmSource(ReportWriter& out, ByteView file) {
    return EdtasmReport(out, file).Write();
}

ListingText EdtasmListing(ByteView file) {
    ListingText listing;
    TextBuffer text;
    for (const EdtasmTapeLine& line : ParseEdtasm(file).lines) {
        Bytes joined;
        ComposeLine(file, line, text, [&joined](ByteView piece) {
            joined.insert(joined.end(), piece.begin(), piece.end());
        });
        joined.insert(joined.end(), text.View().begin(), text.View().end());
        ++listing.lines;
        // A line cut short is listed as far as it goes.
        if (!line.terminated && joined.empty()) continue;
        listing.text.insert(listing.text.end(), joined.begin(), joined.end());
        listing.text.push_back('\n');
    }
    return listing;
}

} // namespace tonvale
