#include "analysis/ReportWriter.h"

#include <new>

namespace tonvale {

void ReportWriter::BeginFile(TapeFormat format, std::uint64_t offset, std::uint32_t shift) {
    TapeFileReport file;
    file.offset = offset;
    file.shift = shift;
    file.synced = format != TapeFormat::None;
    file.firstLine = m_report.lineCount;
    m_report.files.push_back(std::move(file));
    SetFormat(format);
}

void ReportWriter::MarkLines(std::size_t firstLine, std::size_t from, std::size_t end) {
    if (m_sink || m_report.files.empty() || end <= from) return; // the lines are not kept
    for (std::size_t line = firstLine; line < m_report.lineCount; ++line)
        File().lineBytes.push_back({line, from, end - from});
}

void ReportWriter::SetFormat(TapeFormat format) {
    m_format = format;
    if (!m_report.files.empty()) File().format = format;
}

// --- Report lines --------------------------------------------------------------------------

void ReportWriter::AddReportLine(ByteView text, Byte tag) {
    if (m_sink) {
        m_sink->Line(text, tag);
    } else {
        // A line that cannot get its tag is not added.
        try {
            m_report.tags.push_back(tag);
        } catch (const std::bad_alloc&) {
            return;
        }
        if (!m_report.lines.Add(text)) {
            m_report.tags.pop_back();
            return;
        }
    }
    ++m_report.lineCount;
    if (!m_report.files.empty()) ++File().lineCount;
    if (text.size() > m_report.widestLine) m_report.widestLine = text.size();
}

bool ReportWriter::AddHeaderLine() {
    switch (m_format) {
    case TapeFormat::Highspeed:
        AddReportLine("Highspeed header (many 55h then 7Fh)");
        return true;
    case TapeFormat::Level2:
        AddReportLine("Level 2 header (many 00h then 5Ah)");
        return true;
    case TapeFormat::Level1:
        AddReportLine("Level 1 header (many 00h then 5Ah)");
        return true;
    default:
        return false;
    }
}

void ReportWriter::SplitLongLine(TextBuffer& text) {
    while (text.Length() > kListingWidth) {
        AddReportLine(text.View().first(kListingWidth), kTagContinued);
        text.DropFront(kListingWidth);
    }
}

// Raw tape bytes as hex-dump lines of sixteen bytes:
//
//     0         1         2         3         4         5         6         7
//     01234567890123456789012345678901234567890123456789012345678901234567890
//     4200 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 'ABCDEFGHIJKLMNOP'
//     ^address (optional)                                  ^characters
namespace {

constexpr std::size_t kHexColumn = 5;    // first hex digit
constexpr std::size_t kQuoteColumn = 53; // closes the hex part
constexpr std::size_t kCharColumn = 54;  // first display character
constexpr std::size_t kLineLength = 71;
constexpr std::size_t kBytesPerLine = 16;

void FormatHexByte(Byte* destination, Byte value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    destination[0] = static_cast<Byte>(kDigits[value >> 4]);
    destination[1] = static_cast<Byte>(kDigits[value & 0x0F]);
}

} // namespace

Byte ReportWriter::ToDisplayChar(Byte value) const {
    if (value < 0x20) return '.';
    if (value < 0x7F || m_trsFont) return value;
    return '.';
}

void ReportWriter::AddHexDump(bool withAddress, ByteView bytes, std::uint32_t address) {
    TextBuffer& line = m_dump;
    line.Format("{:>4} {:>48}'{:>16}'", "", "", "");
    if (bytes.empty()) return;
    const std::size_t from = withAddress ? 0 : kHexColumn;
    // Where the bytes lie in the tape file, when they are its own.
    const bool inFile = !m_fileData.empty() && bytes.data() >= m_fileData.data() &&
                        bytes.data() + bytes.size() <= m_fileData.data() + m_fileData.size();
    const std::size_t offset =
        inFile ? static_cast<std::size_t>(bytes.data() - m_fileData.data()) : 0;
    std::size_t done = 0;
    auto mark = [&](std::size_t count) {
        if (inFile) MarkLines(m_report.lineCount - 1, offset + done, offset + done + count);
        done += count;
    };
    std::size_t n = 0;
    for (Byte b : bytes) {
        if (n == 0 && withAddress) {
            FormatHexByte(&line[0], static_cast<Byte>(address >> 8));
            FormatHexByte(&line[2], static_cast<Byte>(address));
            address += 16;
        }
        FormatHexByte(&line[kHexColumn + 3 * n], b);
        line[kCharColumn + n] = ToDisplayChar(b);
        if (++n == kBytesPerLine) {
            AddReportLine(line.View().subspan(from), kTagPlain);
            mark(n);
            n = 0;
        }
    }
    if (n == 0) return;
    // A partial last line: the character column closes right behind the last character, the
    // hex part keeps its closing quote at column 53.
    line[kCharColumn + n] = '\'';
    line.Truncate(kCharColumn + n + 1);
    for (std::size_t i = n; i < kBytesPerLine; ++i) {
        line[kHexColumn + 3 * i] = ' ';
        line[kHexColumn + 3 * i + 1] = ' ';
    }
    line[kQuoteColumn] = '\'';
    AddReportLine(line.View().subspan(from), kTagPlain);
    mark(n);
    static_assert(kCharColumn + kBytesPerLine + 1 == kLineLength);
}

// --- Status lines and verdicts ---------------------------------------------------------------

void ReportWriter::AppendWord(Bytes& line, std::string_view word) {
    // Status lines are read back into a scratch text, extended and set again.
    TextBuffer text;
    text.Set(ByteView(line));
    text.Append(word);
    line = text.ToBytes();
}

void ReportWriter::Describe(const TextBuffer& description) {
    if (FirstFile())
        m_report.fileLine = description.ToBytes();
    else
        AddReportLine(description);
}

void ReportWriter::SetFileLine(std::string_view text) {
    m_report.fileLine = ToBytes(text);
}

void ReportWriter::SetSummaryLine(std::string_view text) {
    m_report.summaryLine = ToBytes(text);
}

void ReportWriter::AppendToFileLine(std::string_view word) {
    AppendWord(m_report.fileLine, word);
}

void ReportWriter::AppendVerdict(bool bad, bool suspicious) {
    if (FirstFile()) AppendToFileLine(bad ? " bad" : suspicious ? " suspicious" : " ok");
    AppendSummaryWord(bad ? Verdict::Bad : suspicious ? Verdict::Suspicious : Verdict::Ok);
}

void ReportWriter::AppendSummaryWord(Verdict verdict) {
    static constexpr std::string_view kWords[] = {" ok!", " ok?", " bad", " ..?"};
    const std::string_view word = kWords[static_cast<int>(verdict)];
    File().verdict = verdict;
    File().summaryWord = ToBytes(word);
    AppendWord(m_report.summaryLine, word);
}

} // namespace tonvale
