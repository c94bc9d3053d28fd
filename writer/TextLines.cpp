#include "writer/TextLines.h"

#include <algorithm>

namespace tonvale {

namespace {

// Digits beyond this are not read: any such number is too high for every machine here.
constexpr unsigned long kNumberCap = 999999;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::vector<TextLine> SplitLines(std::string_view text) {
    std::vector<TextLine> lines;
    std::size_t number = 1;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back({number++, line});
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

bool IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

NumberedLine SplitLineNumber(std::string_view line) {
    std::size_t i = line.find_first_not_of(' ');
    if (i == std::string_view::npos || !IsDigit(line[i])) return {std::nullopt, line};
    unsigned long number = 0;
    for (; i < line.size() && IsDigit(line[i]); ++i)
        number = std::min(number * 10 + static_cast<unsigned long>(line[i] - '0'), kNumberCap);
    if (i < line.size() && line[i] == ' ') ++i;
    return {number, line.substr(i)};
}

std::optional<std::string> RefusedLine(const NumberedLine& line,
                                       std::optional<unsigned long> previous, unsigned long lowest,
                                       unsigned long highest) {
    if (!line.number) return "no line number";
    const std::string number = std::to_string(*line.number);
    if (*line.number < lowest || *line.number > highest)
        return "line " + number + " is outside " + std::to_string(lowest) + " to " +
               std::to_string(highest);
    if (previous && *line.number <= *previous)
        return "line " + number + " does not come after line " + std::to_string(*previous);
    if (line.text.empty())
        return "line " + number + " has no text (typed alone, it deletes a line)";
    return std::nullopt;
}

} // namespace tonvale
