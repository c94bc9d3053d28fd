// Level 2 BASIC programs as CSAVE writes them, listed line by line with their keywords spelled
// out. On the way the chain of next pointers, the order of the line numbers and the end of the
// program are checked, and strings and remarks that hold machine code are pointed out.
//
//     D3 D3 D3 name | next number text... 00 | next number text... 00 | 00 00
//                     ^ little-endian; next is an address in the memory of the saving machine
#include "analysis/Decoders.h"
#include "analysis/Level2Keywords.h"
#include "analysis/TapeBytes.h"

#include <cstdint>

namespace tonvale {

namespace {

constexpr std::size_t kNameOffset = 3;
constexpr std::size_t kFirstLine = 4;
constexpr std::size_t kFirstText = 8; // behind the first line's pointer and number
constexpr std::size_t kPointerSize = 2;
constexpr std::size_t kNumberSize = 2;

// A line is its pointer, its number, at least one and at most 256 text bytes and its
// terminator, so the next line begins 6 to 261 bytes behind the line's own address.
constexpr std::int64_t kShortestLine = 5; // the next pointer must lie beyond this
constexpr std::int64_t kLongestLine = 261;

constexpr Byte kTerminator = 0x00; // ends a line; a next pointer of two of them ends the program
constexpr Byte kLineFeed = 0x0A;
constexpr Byte kFirstPrintable = 0x20;
constexpr Byte kQuote = 0x22;
constexpr Byte kColon = 0x3A;

// A tape file cut off before its name byte still gets a description.
constexpr Byte kMissingName = ' ';

// One program line while it is listed.
struct ProgramLine {
    std::size_t start = 0;       // position of its next pointer
    std::uint16_t address = 0;   // the address of that position
    std::uint16_t stored = 0;    // the next pointer as stored
    std::uint16_t effective = 0; // the stored one, or the real one the repair search found
    std::int64_t terminator = 0; // where the effective pointer puts the terminator
    unsigned number = 0;
    bool badPointer = false;
    bool beyondEnd = false;
    bool inString = false;
    bool stringNonAscii = false;
    bool remarkNonAscii = false;
    bool lineFeed = false;
};

class Level2Lister {
  public:
    Level2Lister(ReportWriter& out, ByteView file) : m_out(out), m_t(file) {}

    void Describe();
    // Lists the program; returns where the listing stopped.
    std::size_t ListProgram();
    bool Bad() const { return m_bad; }

  private:
    std::uint16_t LoadAddress() const;
    std::uint16_t Address(std::size_t position) const {
        return static_cast<std::uint16_t>(m_loadAddress + (position - kFirstLine));
    }
    // Lists the line at `position` and moves it on; false when the listing ends there.
    bool ListLine(std::size_t& position);
    void HintAtMissingEndByte(std::size_t position);
    ProgramLine CheckNextPointer(std::size_t start, std::uint16_t stored);
    std::uint16_t FindRealNextPointer(const ProgramLine& line) const;
    void ListText(ProgramLine& line, std::size_t& position);
    void SkipHiddenColons(std::size_t& position) const;
    bool HoldsNonAscii(std::size_t from, ProgramLine& line, bool endAtQuote) const;
    void Show(Byte c, const ProgramLine& line);
    void ReportFindings(const ProgramLine& line);

    ReportWriter& m_out;
    TextBuffer m_text;
    TapeBytes m_t;
    std::uint16_t m_loadAddress = 0;
    unsigned m_previousNumber = 0;
    bool m_endMarkerSeen = false;
    bool m_bad = false;
};

void Level2Lister::Describe() {
    const Byte name = m_t.Has(kNameOffset, 1) ? m_t[kNameOffset] : kMissingName;
    if (m_t.Has(kNameOffset, 1)) m_out.File().name = Bytes{name};
    const bool highspeed = m_out.Format() == TapeFormat::Highspeed;
    m_text.Format("%s BASIC named '%c'", highspeed ? "Highspeed" : "Level 2", name);
    m_out.Describe(m_text);
}

// The tape does not say where the program was; the first line's next pointer minus the
// first line's length tells.
std::uint16_t Level2Lister::LoadAddress() const {
    if (!m_t.Has(kFirstLine, kPointerSize)) return 0;
    std::size_t end = kFirstText < m_t.Size() ? kFirstText : m_t.Size();
    while (end < m_t.Size() && m_t[end] != kTerminator)
        ++end;
    const std::size_t length = end + 1 - kFirstLine;
    return static_cast<std::uint16_t>(m_t.Le16(kFirstLine) - length);
}

std::size_t Level2Lister::ListProgram() {
    if (m_t.Size() <= kFirstLine) return m_t.Size();
    m_loadAddress = LoadAddress();
    if (m_t.Has(kFirstLine, kPointerSize)) m_out.File().load = m_loadAddress;
    std::size_t position = kFirstLine;
    while (position < m_t.Size()) {
        if (!ListLine(position)) break;
    }
    // Bytes that end behind a line, without the end marker, are a recording cut short.
    if (!m_endMarkerSeen) m_bad = true;
    // The program in memory ends behind its end marker.
    if (m_endMarkerSeen && m_out.File().load)
        m_out.File().end = *m_out.File().load + static_cast<std::uint32_t>(position - kFirstLine);
    return position;
}

bool Level2Lister::ListLine(std::size_t& position) {
    const std::size_t start = position;
    if (start + 1 == m_t.Size()) {
        HintAtMissingEndByte(start);
        return false;
    }
    const std::uint16_t stored = m_t.Le16(start);
    if (stored == 0) {
        m_endMarkerSeen = true;
        position = start + kPointerSize;
        return false;
    }
    ProgramLine line = CheckNextPointer(start, stored);
    if (line.badPointer && !line.beyondEnd) line.effective = FindRealNextPointer(line);
    line.terminator = static_cast<std::int64_t>(start) + line.effective - line.address - 1;

    position = start + kPointerSize;
    if (!m_t.Has(position, kNumberSize)) {
        position = m_t.Size();
        return false;
    }
    line.number = m_t.Le16(position);
    m_text.Format("%u ", line.number);
    position += kNumberSize;
    if (position == m_t.Size()) return false;

    m_out.BeginListingLine(start);
    ListText(line, position);
    m_out.SplitLongLine(m_text);
    m_out.AddReportLine(m_text, kTagPlain);
    m_out.EndListingLine(position);
    ReportFindings(line);
    return position < m_t.Size();
}

// The end marker lacks its last byte: a recording stopped a moment too early.
void Level2Lister::HintAtMissingEndByte(std::size_t position) {
    m_bad = true;
    if (m_t[position] == kTerminator && m_out.Format() == TapeFormat::Highspeed &&
        m_out.Tail().lastBits == 0 && m_out.Tail().bitsShort != 0) {
        m_text.Format("This CAS file is %d bits short", static_cast<int>(m_out.Tail().bitsShort));
        m_out.AddReportLine(m_text);
    }
    m_out.AddReportLine("You can fix this file by adding one byte of 00 with a hexeditor");
}

ProgramLine Level2Lister::CheckNextPointer(std::size_t start, std::uint16_t stored) {
    ProgramLine line;
    line.start = start;
    line.address = Address(start);
    line.stored = stored;
    line.effective = stored;
    const std::int64_t distance = std::int64_t{stored} - line.address;
    const std::int64_t next = static_cast<std::int64_t>(start) + distance;
    const std::int64_t size = static_cast<std::int64_t>(m_t.Size());
    const bool inReach = distance > kShortestLine && distance <= kLongestLine;
    line.beyondEnd = inReach && next > size;
    const bool good =
        inReach && !line.beyondEnd && m_t[static_cast<std::size_t>(next - 1)] == kTerminator;
    line.badPointer = !good;
    if (line.badPointer) m_bad = true;
    return line;
}

// A 00h byte ends the line if the end marker follows it, or if the two bytes behind it are a
// next pointer that leads to another 00h within reach. The first such byte wins.
std::uint16_t Level2Lister::FindRealNextPointer(const ProgramLine& line) const {
    const std::size_t size = m_t.Size();
    const std::int64_t start = static_cast<std::int64_t>(line.start);
    for (std::size_t q = line.start + kShortestLine; q < line.start + kLongestLine && q + 3 < size;
         ++q) {
        if (m_t[q] != kTerminator) continue;
        const std::uint16_t behind = static_cast<std::uint16_t>(Address(q) + 1);
        if (m_t[q + 1] == kTerminator && m_t[q + 2] == kTerminator) return behind;
        const std::int64_t candidate = m_t.Le16(q + 1);
        if (candidate <= std::int64_t{Address(q)} + kShortestLine) continue;
        // With the program near FFFFh the addresses wrap and the target can land before this
        // line, or before the bytes: such a candidate is no pointer of this program.
        const std::int64_t target = start + (candidate - line.address) - 1;
        const std::int64_t here = static_cast<std::int64_t>(q);
        if (target <= here || target >= static_cast<std::int64_t>(size) ||
            target >= here + kLongestLine)
            continue;
        if (m_t[static_cast<std::size_t>(target)] == kTerminator) return behind;
    }
    return line.stored;
}

void Level2Lister::ListText(ProgramLine& line, std::size_t& position) {
    const std::uint16_t lastAddress = static_cast<std::uint16_t>(line.effective - 1);
    for (;;) {
        SkipHiddenColons(position);
        const Byte c = m_t[position];
        if (c == kQuote) {
            if (!line.inString && !line.stringNonAscii)
                line.stringNonAscii = HoldsNonAscii(position + 1, line, true);
            line.inString = !line.inString;
        } else if ((c == kTokenRem || c == kTokenApostrophe) && !line.inString &&
                   !line.remarkNonAscii) {
            line.remarkNonAscii = HoldsNonAscii(position + 1, line, false);
        }
        Show(c, line);

        ++position;
        if (Address(position) == lastAddress && position < m_t.Size() &&
            m_t[position] == kTerminator) {
            ++position;
            return;
        }
        m_out.SplitLongLine(m_text);
        if (position == m_t.Size()) return;
    }
}

// ELSE is stored behind a colon, and the apostrophe behind a colon and a REM; the listing
// shows them as they were typed.
void Level2Lister::SkipHiddenColons(std::size_t& position) const {
    if (m_t.Has(position, 2) && m_t[position] == kColon && m_t[position + 1] == kTokenElse)
        position += 1;
    if (m_t.Has(position, 3) && m_t[position] == kColon && m_t[position + 1] == kTokenRem &&
        m_t[position + 2] == kTokenApostrophe)
        position += 2;
}

// Scans a string (up to its closing quote) or a remark for bytes that are not plain text, up
// to the line's terminator or the end of the bytes. A line feed is noted, not counted.
bool Level2Lister::HoldsNonAscii(std::size_t from, ProgramLine& line, bool endAtQuote) const {
    for (std::size_t i = from; i < m_t.Size() && static_cast<std::int64_t>(i) < line.terminator;
         ++i) {
        const Byte b = m_t[i];
        if (endAtQuote && b == kQuote) return false;
        if (b == kLineFeed)
            line.lineFeed = true;
        else if (b < kFirstPrintable || b >= kFirstLevel2Token)
            return true;
    }
    return false;
}

void Level2Lister::Show(Byte c, const ProgramLine& line) {
    if (c >= kFirstLevel2Token) {
        // In a string the TRS-80 font shows the machine's own character or block graphic.
        if (line.inString && m_out.TrsFont())
            m_text.AppendByte(c);
        else
            m_text.Append(Level2Keyword(c));
    } else if (c >= kFirstPrintable) {
        m_text.AppendByte(c);
    } else if (c == kLineFeed && line.lineFeed) {
        // A line feed typed into a string or remark: the line stays one report line.
    } else {
        // Any other control byte breaks the report line; the rest follows without a number.
        m_out.SplitLongLine(m_text);
        m_out.AddReportLine(m_text, kTagPlain);
        m_text.Clear();
    }
}

void Level2Lister::ReportFindings(const ProgramLine& line) {
    // A pointer beyond the end of the bytes is a cut recording: only the verdict tells.
    if (line.badPointer && !line.beyondEnd) {
        m_text.Format("bad next pointer %04Xh in this line", unsigned{line.stored});
        m_out.AddReportLine(m_text);
        if (line.effective != line.stored) {
            m_text.Format("<possible real next pointer %04Xh>", unsigned{line.effective});
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
    // A previous number of 0 means "no line yet" (and so a line 0 is never judged against).
    if (m_previousNumber != 0 && line.number <= m_previousNumber) {
        m_out.AddReportLine("<Bad linenumber, not in rising order>");
        m_bad = true;
    }
    m_previousNumber = line.number;
}

} // namespace

std::size_t ListLevel2Basic(ReportWriter& out, ByteView file) {
    Level2Lister lister(out, file);
    lister.Describe();
    const std::size_t end = lister.ListProgram();
    out.AppendVerdict(lister.Bad(), false);
    return end;
}

} // namespace tonvale
