#include "writer/Level1Writer.h"

#include "writer/TextLines.h"

#include <cstdio>
#include <fmt/core.h>

namespace tonvale {

namespace {

constexpr Byte kLineEnd = 0x0D;
constexpr Byte kFirstPlain = 0x20, kLastPlain = 0x5F; // Level 1 has no lower case and no tokens
constexpr std::size_t kAddressSpace = 0x10000;

void PushLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<Byte>(value & 0xFF));
    out.push_back(static_cast<Byte>(value >> 8));
}

Byte Upper(Byte c) {
    return c >= 'a' && c <= 'z' ? static_cast<Byte>(c - 'a' + 'A') : c;
}

} // namespace

Bytes Level1File(std::uint16_t start, ByteView memory) {
    const auto stop = static_cast<std::uint16_t>(start + memory.size());
    Bytes file{static_cast<Byte>(start >> 8), static_cast<Byte>(start),
               static_cast<Byte>(stop >> 8), static_cast<Byte>(stop)};
    Byte sum = 0;
    for (Byte b : memory) {
        file.push_back(b);
        sum = static_cast<Byte>(sum + b);
    }
    file.push_back(static_cast<Byte>(-sum));
    return file;
}

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
            if (b < kFirstPlain || b > kLastPlain) {
                return FailAtLine(
                    line.number, fmt::format("byte {:02X}h, which Level 1 BASIC does not have", b));
            }
            program.push_back(b);
        }
        program.push_back(kLineEnd);
    }
    if (kLevel1BasicStart + program.size() >= kAddressSpace)
        return Failure{"the program does not fit below 10000h"};
    return Level1File(kLevel1BasicStart, program);
}

Outcome<Bytes> Level1CodeFile(ByteView code, std::uint16_t load, std::uint16_t entry) {
    if (load < 2)
        return Failure{"the code must load at 0002h or above: the entry address sits "
                       "in the two bytes below it"};
    if (load + code.size() > kAddressSpace)
        return FailAtOffset(kAddressSpace - load, "the code does not fit below 10000h");
    Bytes memory;
    PushLe16(memory, entry);
    memory.insert(memory.end(), code.begin(), code.end());
    return Level1File(static_cast<std::uint16_t>(load - 2), memory);
}

} // namespace tonvale
