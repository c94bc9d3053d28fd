#include "writer/Level2BasicWriter.h"

#include "writer/Level2Tokeniser.h"
#include "writer/TextLines.h"

namespace tonvale {

namespace {

constexpr Byte kBasicMarker = 0xD3;
constexpr Byte kTerminator = 0x00;
constexpr std::size_t kLineOverhead = 5; // next pointer, number, terminator

// The ROM reads a typed line into its buffer at 41E8h, which takes 240 characters, line number
// included (tried on the Model I ROM: the 241st key is ignored).
constexpr std::size_t kTypedLineBuffer = 240;

void PushLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<Byte>(value & 0xFF));
    out.push_back(static_cast<Byte>(value >> 8));
}

} // namespace

Bytes Level2BasicFile(Byte name, const std::vector<Level2Line>& lines, std::uint16_t load) {
    Bytes out{kBasicMarker, kBasicMarker, kBasicMarker, name};
    std::uint32_t address = load;
    for (const Level2Line& line : lines) {
        address += static_cast<std::uint32_t>(kLineOverhead + line.text.size());
        PushLe16(out, static_cast<std::uint16_t>(address));
        PushLe16(out, line.number);
        out.insert(out.end(), line.text.begin(), line.text.end());
        out.push_back(kTerminator);
    }
    out.insert(out.end(), 2, kTerminator);
    return out;
}

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
