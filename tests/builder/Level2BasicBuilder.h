#pragma once
// Builds a Level 2 BASIC tape file (the bytes behind the sync byte) from readable program
// lines, laid out as CSAVE writes it: D3h D3h D3h, the name, each line with its next pointer,
// its number, its tokenised text and 00h, then the end marker 00h 00h.
//
//     Bytes program = Level2Basic('A').LoadAt(0x42E9).Line(10, "PRINT \"HI\"").Build();
//
// Damage is described the same way: a line of raw bytes, a wrong next pointer, an end marker
// that lacks its last byte.
#include "base/Bytes.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tonvale::test {

class Level2Basic {
  public:
    // Where a Model I with Level 2 BASIC keeps its program.
    static constexpr std::uint16_t kModelIProgram = 0x42E9;

    explicit Level2Basic(Byte name = 'A') : m_name(name) {}

    Level2Basic& LoadAt(std::uint16_t address);
    // A line typed as on the machine: keywords become tokens (the longest that matches, none
    // inside quotes, the rest of a REM or ' taken as it stands); ELSE gets its hidden colon,
    // ' its hidden colon and REM.
    Level2Basic& Line(std::uint16_t number, std::string_view text);
    // A line whose text bytes stand as given; the terminator is added.
    Level2Basic& RawLine(std::uint16_t number, ByteView text);

    // Line `index` (from 0) gets its right next pointer moved by `delta`; the lines stay where
    // they are.
    Level2Basic& NextPointerOffBy(std::size_t index, int delta);
    // The end marker lacks its last byte.
    Level2Basic& WithoutLastByte();

    Bytes Build() const;

    // Where line `index` begins in the saving machine's memory; for the line count, where the
    // end marker begins. This is the right next pointer of the line before.
    std::uint16_t AddressOf(std::size_t index) const;

  private:
    // One line's text as Level 2 BASIC stores it.
    static Bytes Tokenise(std::string_view text);

    struct ProgramLine {
        std::uint16_t number;
        Bytes text;
        std::optional<std::uint16_t> pointer;
    };

    Byte m_name;
    std::uint16_t m_loadAddress = kModelIProgram;
    std::vector<ProgramLine> m_lines;
    std::size_t m_endMarkerBytes = 2;
};

} // namespace tonvale::test
