#include "format/Edtasm.h"

#include <algorithm>

namespace tonvale {

namespace {

// The five digits of the number, each with bit 7 set.
void PushNumber(Bytes& out, unsigned long number) {
    Byte digits[kEdtasmDigits];
    for (std::size_t i = kEdtasmDigits; i-- > 0; number /= 10)
        digits[i] = static_cast<Byte>('0' + number % 10);
    for (Byte digit : digits)
        out.push_back(static_cast<Byte>(digit | kEdtasmDigitBit));
}

class EdtasmParser {
  public:
    explicit EdtasmParser(ByteView file) : m_file(file) {}

    EdtasmTape Parse() {
        m_tape.end = m_file.size();
        ReadName();
        if (m_tape.truncated) return std::move(m_tape);
        std::size_t p = kEdtasmFirstLine;
        while (p < m_file.size()) {
            if (m_file[p] == kEdtasmEndOfSource) {
                m_tape.ended = true;
                m_tape.end = p + 1;
                break;
            }
            if (!ReadLine(p)) break;
        }
        return std::move(m_tape);
    }

  private:
    void Odd(std::size_t offset, std::string what) {
        m_tape.odd = true;
        m_tape.damage.push_back({offset, std::move(what)});
    }
    // The bytes end inside the name or a line; false, for the line's reader to hand on.
    bool Cut(std::size_t offset, std::size_t end) {
        m_tape.truncated = true;
        m_tape.end = end;
        m_tape.damage.push_back({offset, "the source ends inside this line"});
        return false;
    }

    // Six positions of letters, digits and padding spaces.
    void ReadName() {
        m_tape.nameEnd = std::min(kEdtasmFirstLine, m_file.size());
        for (std::size_t i = kEdtasmNameOffset; i < m_tape.nameEnd; ++i)
            if (!IsEdtasmNameChar(m_file[i]) && m_file[i] != ' ') Odd(i, "not a name character");
        // Cut within the name: the file is not all there, whatever its lines would have said.
        if (m_file.size() < kEdtasmFirstLine) Cut(m_tape.nameEnd, m_file.size());
    }

    // Reads the line at `p` and moves on behind it; false when the bytes end inside it.
    bool ReadLine(std::size_t& p) {
        EdtasmTapeLine& line = m_tape.lines.emplace_back();
        line.offset = p;
        for (; line.digits < kEdtasmDigits && p < m_file.size(); ++p, ++line.digits) {
            if (!IsEdtasmDigit(m_file[p])) Odd(p, "not a line number digit");
            line.number = line.number * 10 + (m_file[p] & 0x0F);
        }
        // Cut within the number or before its space: the loader looks at these bytes again.
        if (line.digits < kEdtasmDigits) return Cut(line.offset, line.offset);
        if (m_previous && line.number <= *m_previous) {
            m_tape.notSequential = true;
            m_tape.damage.push_back({line.offset, "the line number is not above the one before"});
        }
        m_previous = line.number;
        if (p >= m_file.size()) return Cut(line.offset, line.offset);
        line.separated = true;
        if (m_file[p] != kEdtasmSeparator) Odd(p, "no space behind the line number");
        line.text = ++p;
        for (; p < m_file.size() && m_file[p] != kEdtasmLineEnd; ++p)
            if (!IsEdtasmTextChar(m_file[p])) Odd(p, "not a source character");
        line.textEnd = p;
        if (p >= m_file.size()) return Cut(line.offset, m_file.size());
        line.terminated = true;
        m_tape.end = ++p;
        return true;
    }

    ByteView m_file;
    EdtasmTape m_tape;
    std::optional<unsigned long> m_previous;
};

} // namespace

// Plain ASCII ranges: the bytes are the TRS-80's, not the locale's.
bool IsEdtasmNameChar(Byte b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9');
}

bool IsEdtasmDigit(Byte b) {
    return b >= (kEdtasmDigitBit | '0') && b <= (kEdtasmDigitBit | '9');
}

EdtasmTape ParseEdtasm(ByteView file) {
    return EdtasmParser(file).Parse();
}

std::optional<Failure> RefusedEdtasmName(std::string_view name) {
    if (name.size() <= kEdtasmNameLength) return std::nullopt;
    return Failure{"the name '" + std::string(name) +
                   "' is longer than six characters, all an EDTASM tape has room for"};
}

Outcome<Bytes> EdtasmTapeFile(std::string_view name, const std::vector<EdtasmLine>& lines) {
    if (auto refused = RefusedEdtasmName(name)) return *refused;
    Bytes out(kEdtasmFirstLine, ' ');
    out[0] = kEdtasmMarker;
    std::copy(name.begin(), name.end(), out.begin() + kEdtasmNameOffset);
    for (const EdtasmLine& line : lines) {
        PushNumber(out, line.number);
        out.push_back(kEdtasmSeparator);
        out.insert(out.end(), line.text.begin(), line.text.end());
        out.push_back(kEdtasmLineEnd);
    }
    out.push_back(kEdtasmEndOfSource);
    return out;
}

} // namespace tonvale
