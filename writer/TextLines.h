#pragma once
// The lines of a text input (a listing, an assembler source, an Intel HEX file), as editors on
// any system save them: lines end in LF or CR LF, the last one perhaps in nothing.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvale {

struct TextLine {
    std::size_t number; // from 1, for messages
    std::string_view text;
};

// Every line, blank ones too, without its line end.
std::vector<TextLine> SplitLines(std::string_view text);

bool IsBlank(std::string_view text);

// A program line of a listing, as LIST shows it: spaces, the line number, one space that
// LIST puts behind the number (dropped), then the text as it stands.
struct NumberedLine {
    std::optional<unsigned long> number; // none: the line does not begin with digits
    std::string_view text;
};
NumberedLine SplitLineNumber(std::string_view line);

// Why a BASIC machine would not take this line behind line `previous`, or nothing when it
// would: no number, a number outside `lowest` to `highest` or not above `previous`, no text (a
// number typed alone deletes its line).
std::optional<std::string> RefusedLine(const NumberedLine& line,
                                       std::optional<unsigned long> previous, unsigned long lowest,
                                       unsigned long highest);

} // namespace tonvale
