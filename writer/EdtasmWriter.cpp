#include "writer/EdtasmWriter.h"

#include "writer/TextLines.h"

#include <algorithm>
#include <fmt/core.h>

namespace tonvale {

namespace {

constexpr Byte kMarker = 0xD3;
constexpr Byte kEndOfSource = 0x1A;
constexpr Byte kLineEnd = 0x0D;
constexpr Byte kSeparator = 0x20;
constexpr Byte kDigitBit = 0x80;
constexpr std::size_t kDigits = 5;

bool IsSourceChar(Byte b) {
    return (b >= 0x20 && b <= 0x7E) || b == '\t';
}

// The line's own number, and its text behind one space or tab; none when it has no number.
NumberedLine OwnNumber(std::string_view line) {
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    if (digits == 0 || (digits < line.size() && line[digits] != ' ' && line[digits] != '\t'))
        return {std::nullopt, line};
    unsigned long number = 0;
    for (std::size_t i = 0; i < digits && number <= kHighestEdtasmLine; ++i)
        number = number * 10 + static_cast<unsigned long>(line[i] - '0');
    return {number, line.substr(std::min(digits + 1, line.size()))};
}

} // namespace

Outcome<Bytes> EdtasmSourceFile(std::string_view source, std::string_view name) {
    if (name.size() > kEdtasmNameLength)
        return Failure{"the name '" + std::string(name) +
                       "' is longer than six characters, all an EDTASM tape has room for"};
    Bytes out(1 + kEdtasmNameLength, ' ');
    out[0] = kMarker;
    std::copy(name.begin(), name.end(), out.begin() + 1);
    long previous = -1;
    for (const TextLine& line : SplitLines(source)) {
        if (IsBlank(line.text)) continue;
        const NumberedLine numbered = OwnNumber(line.text);
        const unsigned long number = numbered.number.value_or(
            static_cast<unsigned long>(previous < 0 ? 0 : previous) + kEdtasmLineStep);
        if (number > kHighestEdtasmLine) return FailAtLine(line.number, "line number above 65529");
        if (static_cast<long>(number) <= previous)
            return FailAtLine(line.number, "line number " + std::to_string(number) +
                                               " not above the one before, " +
                                               std::to_string(previous));
        previous = static_cast<long>(number);
        for (const char digit : fmt::format("{:0{}}", number, kDigits))
            out.push_back(static_cast<Byte>(digit | kDigitBit));
        out.push_back(kSeparator);
        for (const char c : numbered.text) {
            if (!IsSourceChar(static_cast<Byte>(c))) {
                return FailAtLine(line.number, fmt::format("byte {:02X}h is not plain text",
                                                           static_cast<Byte>(c)));
            }
            out.push_back(static_cast<Byte>(c));
        }
        out.push_back(kLineEnd);
    }
    out.push_back(kEndOfSource);
    return out;
}

} // namespace tonvale
