#pragma once
// EDTASM assembler sources as the Editor/Assembler writes them to tape:
//
//     D3h  name (six characters, padded with spaces)
//     5 digits with bit 7 set (B0h-B9h)  20h  text  0Dh     one per line
//     1Ah
#include "base/Bytes.h"
#include "writer/Outcome.h"

#include <string_view>

namespace tonvale {

inline constexpr std::size_t kEdtasmNameLength = 6;
inline constexpr unsigned long kHighestEdtasmLine = 65529;
inline constexpr unsigned long kEdtasmLineStep = 10;

// A source of one line per text line, blank lines skipped. A line that begins with a number
// (and a space or tab, or nothing, behind it) keeps that number, as the editor lists it
// ("00100 START LD A,1"); any other line gets the number 10 above the line before, the first
// one 00010. Fails with the line number for a number not above the one before or above 65529,
// and for a character other than 20h-7Eh and tab; fails for a name longer than six characters.
Outcome<Bytes> EdtasmSourceFile(std::string_view source, std::string_view name);

} // namespace tonvale
