#include "builder/EdtasmBuilder.h"

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

EdtasmSource& EdtasmSource::Line(unsigned number, std::string_view text) {
    Byte digits[kDigitCount];
    for (std::size_t i = kDigitCount; i-- > 0; number /= 10)
        digits[i] = static_cast<Byte>(kDigitBit | ('0' + number % 10));
    m_bytes.insert(m_bytes.end(), digits, digits + kDigitCount);
    m_bytes.push_back(' ');
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    m_bytes.push_back(kLineEnd);
    return *this;
}

Bytes EdtasmSource::Build() const {
    Bytes bytes = m_bytes;
    bytes.push_back(kEndOfSource);
    return bytes;
}

} // namespace tonvale::test
