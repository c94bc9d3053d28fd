#include "builder/Level2BasicBuilder.h"

#include "analysis/Level2Keywords.h"

namespace tonvale::test {

namespace {

constexpr Byte kBasicMarker = 0xD3;
constexpr Byte kColon = ':';
constexpr std::size_t kLineOverhead = 5; // pointer, number, terminator

// The longest keyword at the start of `text`, as its token; 0 when none.
Byte LongestKeyword(std::string_view text, std::size_t& length) {
    Byte best = 0;
    length = 0;
    for (unsigned token = kFirstLevel2Token; token < kFirstUnusedToken; ++token) {
        const std::string_view keyword = Level2Keyword(static_cast<Byte>(token));
        if (keyword.size() > length && text.starts_with(keyword)) {
            best = static_cast<Byte>(token);
            length = keyword.size();
        }
    }
    return best;
}

void PushLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<Byte>(value & 0xFF));
    out.push_back(static_cast<Byte>(value >> 8));
}

} // namespace

Level2Basic& Level2Basic::LoadAt(std::uint16_t address) {
    m_loadAddress = address;
    return *this;
}

Level2Basic& Level2Basic::Line(std::uint16_t number, std::string_view text) {
    return RawLine(number, Tokenise(text));
}

Level2Basic& Level2Basic::RawLine(std::uint16_t number, ByteView text) {
    m_lines.push_back({number, Bytes(text.begin(), text.end()), std::nullopt});
    return *this;
}

Level2Basic& Level2Basic::NextPointerOffBy(std::size_t index, int delta) {
    m_lines.at(index).pointer = static_cast<std::uint16_t>(AddressOf(index + 1) + delta);
    return *this;
}

Level2Basic& Level2Basic::WithoutLastByte() {
    m_endMarkerBytes = 1;
    return *this;
}

std::uint16_t Level2Basic::AddressOf(std::size_t index) const {
    std::uint32_t address = m_loadAddress;
    for (std::size_t i = 0; i < index && i < m_lines.size(); ++i)
        address += kLineOverhead + m_lines[i].text.size();
    return static_cast<std::uint16_t>(address);
}

Bytes Level2Basic::Build() const {
    Bytes out{kBasicMarker, kBasicMarker, kBasicMarker, m_name};
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const ProgramLine& line = m_lines[i];
        PushLe16(out, line.pointer.value_or(AddressOf(i + 1)));
        PushLe16(out, line.number);
        out.insert(out.end(), line.text.begin(), line.text.end());
        out.push_back(0x00);
    }
    out.insert(out.end(), m_endMarkerBytes, 0x00);
    return out;
}

Bytes Level2Basic::Tokenise(std::string_view text) {
    Bytes out;
    bool inString = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const Byte c = static_cast<Byte>(text[i]);
        std::size_t length = 0;
        const Byte token = inString ? 0 : LongestKeyword(text.substr(i), length);
        if (token == 0) {
            if (c == '"') inString = !inString;
            out.push_back(c);
            ++i;
            continue;
        }
        if (token == kTokenElse) out.push_back(kColon);
        if (token == kTokenApostrophe) {
            out.push_back(kColon);
            out.push_back(kTokenRem);
        }
        out.push_back(token);
        i += length;
        if (token == kTokenRem || token == kTokenApostrophe) {
            out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(i), text.end());
            break;
        }
    }
    return out;
}

} // namespace tonvale::test
