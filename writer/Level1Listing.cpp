#include "writer/Level1Listing.h"

#include "format/Level1.h"
#include "writer/TextLines.h"

#include <fmt/core.h>

namespace tonvale {

namespace {

Byte Upper(Byte c) {
    return c >= 'a' && c <= 'z' ? static_cast<Byte>(c - 'a' + 'A') : c;
}

} // namespace

Outcome<Bytes> Level1BasicFromListing(std::string_view listing) {
    Bytes program;
    std::optional<unsigned long> previous;
    for (const TextLine& line : SplitLines(listing)) {
        if (IsBlank(line.text)) continue;
        const NumberedLine numbered = SplitLineNumber(line.text);
        if (const auto refused = RefusedLine(numbered, previous, 1, kHighestLevel1Line))
            return FailAtLine(line.number, *refused);
        const unsigned long number = *numbered.number;
        previous = number;
        PushLe16(program, static_cast<std::uint16_t>(number));
        for (const char c : numbered.text) {
            const Byte b = Upper(static_cast<Byte>(c));
            if (!IsLevel1Plain(b)) {
                return FailAtLine(
                    line.number, fmt::format("byte {:02X}h, which Level 1 BASIC does not have", b));
            }
            program.push_back(b);
        }
        program.push_back(kLevel1LineEnd);
    }
    if (kLevel1Program + program.size() >= kLevel1MemorySize)
        return Failure{"the program does not fit below 10000h"};
    return Level1File(kLevel1Program, program);
}

} // namespace tonvale
