#pragma once
// Assembler sources kept on a PC (.asm), made into EDTASM tape files.
#include "base/Bytes.h"
#include "base/Outcome.h"

#include <string_view>

namespace tonvale {

inline constexpr unsigned long kEdtasmLineStep = 10;

// A source of one line per text line, blank lines skipped. A line that begins with a number
// (and a space or tab, or nothing, behind it) keeps that number, as the editor lists it
// ("00100 START LD A,1"); any other line gets the number 10 above the line before, the first
// one 00010. Fails with the line number for a number not above the one before or above 65529,
// and for a character other than 20h-7Eh and tab; fails for a name longer than six characters.
Outcome<Bytes> EdtasmSourceFile(std::string_view source, std::string_view name);

} // namespace tonvale
