#include "format/Level2Basic.h"

#include "format/Level2Keywords.h"

#include <algorithm>

namespace tonvale {

Bytes Level2BasicFile(Byte name, const std::vector<Level2Line>& lines, std::uint16_t load) {
    Bytes out{kLevel2BasicMarker, kLevel2BasicMarker, kLevel2BasicMarker, name};
    std::uint32_t address = load;
    for (const Level2Line& line : lines) {
        address += static_cast<std::uint32_t>(kLevel2LineOverhead + line.text.size());
        PushLe16(out, static_cast<std::uint16_t>(address));
        PushLe16(out, line.number);
        out.insert(out.end(), line.text.begin(), line.text.end());
        out.push_back(kLevel2LineEnd);
    }
    out.insert(out.end(), 2, kLevel2LineEnd);
    return out;
}

} // namespace tonvale

namespace tonvale {

namespace {

constexpr std::size_t kFirstText = kLevel2FirstLine + kLevel2PointerSize + kLevel2NumberSize;
constexpr Byte kLineFeed = 0x0A;
constexpr Byte kFirstPrintable = 0x20;

class Level2Parser {
  public:
    explicit Level2Parser(ByteView file) : m_file(file) {}

    Level2Program Parse() {
        if (m_file.size() > kLevel2NameOffset) m_program.name = m_file[kLevel2NameOffset];
        m_program.end = m_file.size();
        if (m_file.size() <= kLevel2FirstLine) return std::move(m_program);
        m_loadAddress = LoadAddress();
        if (Has(kLevel2FirstLine, kLevel2PointerSize)) m_program.load = m_loadAddress;
        m_program.stop = Level2Stop::EndOfBytes;
        std::size_t position = kLevel2FirstLine;
        while (position < m_file.size()) {
            if (!ReadLine(position)) break;
        }
        m_program.end = position;
        // Bytes that end behind a line, without the end marker, are a recording cut short.
        if (m_program.stop != Level2Stop::EndMarker) Damage(position, "no end marker");
        return std::move(m_program);
    }

  private:
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= m_file.size() && count <= m_file.size() - offset;
    }
    std::uint16_t Le16(std::size_t at) const {
        return static_cast<std::uint16_t>(m_file[at] | m_file[at + 1] << 8);
    }
    std::uint16_t Address(std::size_t position) const {
        return static_cast<std::uint16_t>(m_loadAddress + (position - kLevel2FirstLine));
    }
    void Damage(std::size_t offset, std::string what) {
        m_program.damaged = true;
        m_program.damage.push_back({offset, std::move(what)});
    }

    // The tape does not say where the program was; the first line's next pointer minus the
    // first line's length tells.
    std::uint16_t LoadAddress() const {
        if (!Has(kLevel2FirstLine, kLevel2PointerSize)) return 0;
        std::size_t end = std::min(kFirstText, m_file.size());
        while (end < m_file.size() && m_file[end] != kLevel2LineEnd)
            ++end;
        const std::size_t length = end + 1 - kLevel2FirstLine;
        return static_cast<std::uint16_t>(Le16(kLevel2FirstLine) - length);
    }

    // Reads the line at `position` and moves it on; false when the program ends there.
    bool ReadLine(std::size_t& position) {
        const std::size_t start = position;
        if (start + 1 == m_file.size()) {
            // The end marker lacks its last byte: a recording stopped a moment too early.
            m_program.stop = Level2Stop::EndMarkerCut;
            Damage(start, "the end marker's second byte is missing");
            return false;
        }
        const std::uint16_t stored = Le16(start);
        if (stored == 0) {
            m_program.stop = Level2Stop::EndMarker;
            position = start + kLevel2PointerSize;
            return false;
        }
        Level2ProgramLine line = CheckNextPointer(start, stored);
        if (line.badPointer && !line.beyondEnd) line.effective = FindRealNextPointer(line);
        line.terminator = static_cast<std::int64_t>(start) + line.effective - line.address - 1;

        position = start + kLevel2PointerSize;
        if (!Has(position, kLevel2NumberSize)) {
            position = m_file.size();
            return false;
        }
        line.number = Le16(position);
        position += kLevel2NumberSize;
        if (position == m_file.size()) return false;

        line.text = position;
        const Level2TextWalked walked = WalkLevel2Text(m_file, line, [](const Level2ShownByte&) {});
        position = walked.end;
        line.terminated = walked.terminated;
        line.textEnd = line.terminated ? position - 1 : position;
        line.stringNonAscii = walked.stringNonAscii;
        line.remarkNonAscii = walked.remarkNonAscii;
        // A previous number of 0 means "no line yet" (and so a line 0 is never judged against).
        line.badOrder = m_previousNumber != 0 && line.number <= m_previousNumber;
        if (line.badOrder) Damage(start, "the line number is not above the one before");
        m_previousNumber = line.number;
        m_program.lines.push_back(line);
        return position < m_file.size();
    }

    Level2ProgramLine CheckNextPointer(std::size_t start, std::uint16_t stored) {
        Level2ProgramLine line;
        line.start = start;
        line.address = Address(start);
        line.stored = stored;
        line.effective = stored;
        const std::int64_t distance = std::int64_t{stored} - line.address;
        const std::int64_t next = static_cast<std::int64_t>(start) + distance;
        const std::int64_t size = static_cast<std::int64_t>(m_file.size());
        const bool inReach = distance > kLevel2ShortestLine && distance <= kLevel2LongestLine;
        line.beyondEnd = inReach && next > size;
        const bool good = inReach && !line.beyondEnd &&
                          m_file[static_cast<std::size_t>(next - 1)] == kLevel2LineEnd;
        line.badPointer = !good;
        if (line.badPointer) Damage(start, "the next pointer does not lead to the next line");
        return line;
    }

    // A 00h byte ends the line if the end marker follows it, or if the two bytes behind it are
    // a next pointer that leads to another 00h within reach. The first such byte wins.
    std::uint16_t FindRealNextPointer(const Level2ProgramLine& line) const {
        const std::size_t size = m_file.size();
        const std::int64_t start = static_cast<std::int64_t>(line.start);
        for (std::size_t q = line.start + kLevel2ShortestLine;
             q < line.start + kLevel2LongestLine && q + 3 < size; ++q) {
            if (m_file[q] != kLevel2LineEnd) continue;
            const std::uint16_t behind = static_cast<std::uint16_t>(Address(q) + 1);
            if (m_file[q + 1] == kLevel2LineEnd && m_file[q + 2] == kLevel2LineEnd) return behind;
            const std::int64_t candidate = Le16(q + 1);
            if (candidate <= std::int64_t{Address(q)} + kLevel2ShortestLine) continue;
            // With the program near FFFFh the addresses wrap and the target can land before this
            // line, or before the bytes: such a candidate is no pointer of this program.
            const std::int64_t target = start + (candidate - line.address) - 1;
            const std::int64_t here = static_cast<std::int64_t>(q);
            if (target <= here || target >= static_cast<std::int64_t>(size) ||
                target >= here + kLevel2LongestLine)
                continue;
            if (m_file[static_cast<std::size_t>(target)] == kLevel2LineEnd) return behind;
        }
        return line.stored;
    }

    ByteView m_file;
    Level2Program m_program;
    std::uint16_t m_loadAddress = 0;
    unsigned m_previousNumber = 0;
};

} // namespace

Level2Program ParseLevel2Basic(ByteView file) {
    return Level2Parser(file).Parse();
}

namespace level2 {

// ELSE is stored behind a colon, and the apostrophe behind a colon and a REM; the listing
// shows them as they were typed.
std::size_t SkipHiddenColons(ByteView file, std::size_t position) {
    const auto has = [&](std::size_t count) { return count <= file.size() - position; };
    if (has(2) && file[position] == kColon && file[position + 1] == kTokenElse) position += 1;
    if (has(3) && file[position] == kColon && file[position + 1] == kTokenRem &&
        file[position + 2] == kTokenApostrophe)
        position += 2;
    return position;
}

bool HoldsNonAscii(ByteView file, std::size_t from, std::int64_t terminator, bool endAtQuote,
                   bool& lineFeed) {
    for (std::size_t i = from; i < file.size() && static_cast<std::int64_t>(i) < terminator; ++i) {
        const Byte b = file[i];
        if (endAtQuote && b == kQuote) return false;
        if (b == kLineFeed)
            lineFeed = true;
        else if (b < kFirstPrintable || b >= kFirstLevel2Token)
            return true;
    }
    return false;
}

} // namespace level2

} // namespace tonvale
