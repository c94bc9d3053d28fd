#pragma once
// EDTASM assembler sources as the Editor/Assembler writes them to tape, the bytes behind the
// sync byte:
//
//     D3h  name (six characters, padded with spaces)
//     5 digits with bit 7 set (B0h-B9h)  20h  text  0Dh     one per line
//     1Ah
//
// The text is 20h-7Eh and tabs.
#include "base/Bytes.h"
#include "base/Outcome.h"
#include "format/Damage.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tonvale {

inline constexpr Byte kEdtasmMarker = 0xD3; // one of them: three make Level 2 BASIC
inline constexpr std::size_t kEdtasmNameOffset = 1;
inline constexpr std::size_t kEdtasmNameLength = 6;
inline constexpr std::size_t kEdtasmFirstLine = kEdtasmNameOffset + kEdtasmNameLength;
inline constexpr std::size_t kEdtasmDigits = 5;
inline constexpr Byte kEdtasmDigitBit = 0x80;
inline constexpr Byte kEdtasmSeparator = 0x20;
inline constexpr Byte kEdtasmLineEnd = 0x0D;
inline constexpr Byte kEdtasmEndOfSource = 0x1A;
inline constexpr Byte kEdtasmTab = 0x09;
inline constexpr unsigned long kHighestEdtasmLine = 65529;

inline bool IsEdtasmTextChar(Byte b) {
    return (b >= 0x20 && b <= 0x7E) || b == kEdtasmTab;
}

// One line of a source as read from tape. A line cut short has fewer than five digits, no
// separator, or no 0Dh.
struct EdtasmTapeLine {
    std::size_t offset = 0;   // its first digit
    std::size_t digits = 0;   // how many of the five are there
    unsigned long number = 0; // from the digits' low four bits
    bool separated = false;   // the byte behind the digits is there
    // Its text, [text, textEnd): textEnd is its 0Dh, or the end of the bytes.
    std::size_t text = 0, textEnd = 0;
    bool terminated = false;
};

struct EdtasmTape {
    std::size_t nameEnd = 0; // the name is [kEdtasmNameOffset, nameEnd)
    std::vector<EdtasmTapeLine> lines;
    bool ended = false;     // the 1Ah is there
    bool truncated = false; // cut within the name or within a line
    bool odd = false;       // holds something EDTASM does not write
    bool notSequential = false;
    std::size_t end = 0; // where the loader goes on
    std::vector<FormatDamage> damage;
};

// Reads an EDTASM source from its D3h on. Never fails: damage is listed.
EdtasmTape ParseEdtasm(ByteView file);

// Letters and digits; spaces pad the name.
bool IsEdtasmNameChar(Byte b);
// B0h-B9h: a line number's digit.
bool IsEdtasmDigit(Byte b);

// One source line: its number and its text.
struct EdtasmLine {
    unsigned long number; // at most 65529
    std::string_view text;
};

// Why a tape cannot have this name: it is longer than six characters.
std::optional<Failure> RefusedEdtasmName(std::string_view name);

// The tape file of these lines. Fails for a name longer than six characters.
Outcome<Bytes> EdtasmTapeFile(std::string_view name, const std::vector<EdtasmLine>& lines);

} // namespace tonvale
