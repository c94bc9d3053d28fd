#include "builder/EdtasmBuilder.h"

#include <algorithm>

namespace tonvale::test {

namespace {

constexpr Byte kSourceMarker = 0xD3;
constexpr std::size_t kNameLength = 6;
constexpr std::size_t kDigitCount = 5;
constexpr Byte kDigitBit = 0x80;
constexpr Byte kLineEnd = 0x0D;
constexpr Byte kEndOfSource = 0x1A;

} // namespace

EdtasmSource::EdtasmSource(std::string_view name) {
    m_bytes.push_back(kSourceMarker);
    name = name.substr(0, kNameLength);
    m_bytes.insert(m_bytes.end(), name.begin(), name.end());
    m_bytes.insert(m_bytes.end(), kNameLength - name.size(), ' ');
}

Bytes EdtasmSource::Digits(unsigned number) {
    Bytes digits(kDigitCount);
    for (std::size_t i = kDigitCount; i-- > 0; number /= 10)
        digits[i] = static_cast<Byte>(kDigitBit | ('0' + number % 10));
    return digits;
}

EdtasmSource& EdtasmSource::Line(unsigned number, std::string_view text) {
    return Line(Digits(number), text);
}

EdtasmSource& EdtasmSource::Line(ByteView digits, std::string_view text, Byte separator) {
    m_bytes.insert(m_bytes.end(), digits.begin(), digits.end());
    m_bytes.push_back(separator);
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    m_bytes.push_back(kLineEnd);
    return *this;
}

Bytes EdtasmSource::Build() const {
    Bytes bytes = m_bytes;
    if (m_end) bytes.push_back(kEndOfSource);
    bytes.resize(std::min(m_cutTo, bytes.size()));
    return bytes;
}

} // namespace tonvale::test
