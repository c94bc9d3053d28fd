// Raw tape bytes in the report: hex-dump lines of sixteen bytes.
//
//     0         1         2         3         4         5         6         7
//     01234567890123456789012345678901234567890123456789012345678901234567890
//     4200 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 'ABCDEFGHIJKLMNOP'
//     ^address (optional)                                  ^characters
#include "app/TonvaleDlg.h"

namespace tonvale {

namespace {

constexpr std::size_t kHexColumn = 5;    // first hex digit
constexpr std::size_t kQuoteColumn = 53; // closes the hex part
constexpr std::size_t kCharColumn = 54;  // first display character
constexpr std::size_t kLineLength = 71;
constexpr std::size_t kBytesPerLine = 16;

} // namespace

void CTonvaleDlg::FormatHexByte(Byte* destination, Byte value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    destination[0] = static_cast<Byte>(kDigits[value >> 4]);
    destination[1] = static_cast<Byte>(kDigits[value & 0x0F]);
}

Byte CTonvaleDlg::ToDisplayChar(Byte value) const {
    if (value < 0x20) return '.';
    if (value < 0x7F || m_trsFont) return value;
    return '.';
}

void CTonvaleDlg::AddHexDump(bool withAddress, ByteView bytes, std::uint32_t address) {
    m_text.Format("%4s %48s'%16s'", "", "", "");
    if (bytes.empty()) return;
    const std::size_t from = withAddress ? 0 : kHexColumn;
    std::size_t n = 0;
    for (Byte b : bytes) {
        if (n == 0 && withAddress) {
            FormatHexByte(&m_text[0], static_cast<Byte>(address >> 8));
            FormatHexByte(&m_text[2], static_cast<Byte>(address));
            address += 16;
        }
        FormatHexByte(&m_text[kHexColumn + 3 * n], b);
        m_text[kCharColumn + n] = ToDisplayChar(b);
        if (++n == kBytesPerLine) {
            AddReportLine(m_text.View().subspan(from), kTagPlain);
            n = 0;
        }
    }
    if (n == 0) return;
    // A partial last line: the character column closes right behind the last character, the
    // hex part keeps its closing quote at column 53.
    m_text[kCharColumn + n] = '\'';
    m_text.Truncate(kCharColumn + n + 1);
    for (std::size_t i = n; i < kBytesPerLine; ++i) {
        m_text[kHexColumn + 3 * i] = ' ';
        m_text[kHexColumn + 3 * i + 1] = ' ';
    }
    m_text[kQuoteColumn] = '\'';
    AddReportLine(m_text.View().subspan(from), kTagPlain);
    static_assert(kCharColumn + kBytesPerLine + 1 == kLineLength);
}

} // namespace tonvale
