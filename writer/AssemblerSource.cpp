#include "writer/AssemblerSource.h"

#include "format/Edtasm.h"
#include "writer/TextLines.h"

#include <algorithm>
#include <fmt/core.h>

namespace tonvale {

namespace {

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
    if (auto refused = RefusedEdtasmName(name)) return *refused;
    std::vector<EdtasmLine> lines;
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
        for (const char c : numbered.text) {
            if (!IsEdtasmTextChar(static_cast<Byte>(c))) {
                return FailAtLine(line.number, fmt::format("byte {:02X}h is not plain text",
                                                           static_cast<Byte>(c)));
            }
        }
        lines.push_back({number, numbered.text});
    }
    return EdtasmTapeFile(name, lines);
}

} // namespace tonvale
