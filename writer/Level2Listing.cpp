#include "writer/Level2Listing.h"

#include "format/Level2Tokeniser.h"
#include "writer/TextLines.h"

namespace tonvale {

namespace {

// The ROM reads a typed line into its buffer at 41E8h, which takes 240 characters, line number
// included (tried on the Model I ROM: the 241st key is ignored).
constexpr std::size_t kTypedLineBuffer = 240;

} // namespace

Outcome<std::vector<Level2Line>> ReadLevel2Listing(std::string_view listing) {
    std::vector<Level2Line> lines;
    for (const TextLine& line : SplitLines(listing)) {
        if (IsBlank(line.text)) continue;
        const NumberedLine numbered = SplitLineNumber(line.text);
        const auto previous =
            lines.empty() ? std::nullopt : std::optional<unsigned long>(lines.back().number);
        if (const auto refused = RefusedLine(numbered, previous, 0, kHighestLevel2Line))
            return FailAtLine(line.number, *refused);
        const unsigned long number = *numbered.number;
        const std::string_view typed = line.text.substr(line.text.find_first_not_of(' '));
        if (typed.size() > kTypedLineBuffer)
            return FailAtLine(line.number, "too long: " + std::to_string(typed.size()) +
                                               " characters, the ROM takes 240");
        if (numbered.text.find('\0') != std::string_view::npos)
            return FailAtLine(line.number, "a 00h byte, which would end the program line");
        lines.push_back({static_cast<std::uint16_t>(number), TokeniseLevel2Line(numbered.text)});
    }
    return lines;
}

Outcome<Bytes> Level2BasicFromListing(std::string_view listing, Byte name, std::uint16_t load) {
    const auto lines = ReadLevel2Listing(listing);
    if (!lines) return Failure{lines.error};
    return Level2BasicFile(name, *lines, load);
}

} // namespace tonvale
