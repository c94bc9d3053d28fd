#pragma once
// Level 2 BASIC programs as CSAVE writes them, the bytes behind the sync byte:
//
//     D3 D3 D3 name | next number text... 00 | next number text... 00 | 00 00
//                     ^ little-endian; next is where the next line begins in the memory of the
//                       saving machine, the program's first line at its load address
#include "base/Bytes.h"
#include "format/Damage.h"
#include "format/Level2Keywords.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tonvale {

inline constexpr Byte kLevel2BasicMarker = 0xD3; // three of them
inline constexpr std::size_t kLevel2NameOffset = 3;
inline constexpr std::size_t kLevel2FirstLine = 4;
inline constexpr std::size_t kLevel2PointerSize = 2;
inline constexpr std::size_t kLevel2NumberSize = 2;
// Ends a line; a next pointer of two of them ends the program.
inline constexpr Byte kLevel2LineEnd = 0x00;
// Next pointer, number and terminator around a line's text.
inline constexpr std::size_t kLevel2LineOverhead = 5;
// A line is its pointer, its number, at least one and at most 256 text bytes and its
// terminator, so the next line begins 6 to 261 bytes behind the line's own address.
inline constexpr std::int64_t kLevel2ShortestLine = 5; // the next pointer must lie beyond this
inline constexpr std::int64_t kLevel2LongestLine = 261;

// Where a Model I keeps its BASIC program; a Model III keeps it at 43E9h. CLOAD puts the lines
// at its own address either way and links them again.
inline constexpr std::uint16_t kModelIBasicStart = 0x42E9;
inline constexpr std::uint16_t kModelIIIBasicStart = 0x43E9;
inline constexpr unsigned long kHighestLevel2Line = 65529;

// True when the bytes begin with the three markers.
inline bool HasLevel2BasicMarkers(ByteView bytes) {
    return bytes.size() >= 3 && bytes[0] == kLevel2BasicMarker && bytes[1] == kLevel2BasicMarker &&
           bytes[2] == kLevel2BasicMarker;
}

// One program line as read from tape, listed whole or as far as the bytes go.
struct Level2ProgramLine {
    std::size_t start = 0;       // its next pointer
    std::uint16_t address = 0;   // where that pointer sits in the saving machine's memory
    std::uint16_t stored = 0;    // the next pointer as on tape
    std::uint16_t effective = 0; // the stored one, or the real one the repair search found
    std::int64_t terminator = 0; // where the effective pointer puts the line's 00h
    bool badPointer = false;     // the stored pointer does not lead to the next line
    bool beyondEnd = false;      // it leads beyond the bytes: a recording cut short
    unsigned number = 0;
    std::size_t text = 0, textEnd = 0; // the text bytes, [text, textEnd), the 00h left out
    bool terminated = false;           // its 00h is where the effective pointer says
    bool stringNonAscii = false;       // a string holds bytes that are not plain text
    bool remarkNonAscii = false;       // likewise a remark
    bool badOrder = false;             // its number is not above the one before
};

// Where and how the parser stopped.
enum class Level2Stop {
    EndMarker,    // behind the program's 00h 00h
    EndMarkerCut, // at the end marker's first byte, its second missing
    EndOfBytes,   // the bytes ended inside or behind a line, without the end marker
    NoProgram,    // nothing behind the markers and the name
};

struct Level2Program {
    std::optional<Byte> name;
    // Where the program was in the saving machine's memory: the first line's next pointer
    // minus the first line's length. None when the first pointer is not there.
    std::optional<std::uint16_t> load;
    std::vector<Level2ProgramLine> lines; // the lines with text to list
    Level2Stop stop = Level2Stop::NoProgram;
    std::size_t end = 0; // where the listing stopped: behind the end marker, or the end
    bool damaged = false;
    std::vector<FormatDamage> damage;
};

// Reads a Level 2 BASIC program from its three D3h on. Never fails: damage is listed.
Level2Program ParseLevel2Basic(ByteView file);

// One byte of a line's text as LIST shows it.
struct Level2ShownByte {
    Byte value = 0;
    bool inString = false;      // within quotes
    bool quietLineFeed = false; // a line feed typed into a string or remark, shown as nothing
};

// What a walk over a line's text found.
struct Level2TextWalked {
    std::size_t end = 0;     // behind the last byte shown, and behind the 00h when found
    bool terminated = false; // the line's 00h is where the effective pointer puts it
    bool stringNonAscii = false;
    bool remarkNonAscii = false;
};

namespace level2 {
inline constexpr Byte kColon = 0x3A;
inline constexpr Byte kQuote = 0x22;
// Where the text goes on behind the colon (and REM) stored in front of ELSE and the apostrophe.
std::size_t SkipHiddenColons(ByteView file, std::size_t position);
// Whether a string (up to its closing quote) or a remark holds bytes that are not plain text,
// up to the line's terminator or the end of the bytes; a line feed is noted, not counted.
bool HoldsNonAscii(ByteView file, std::size_t from, std::int64_t terminator, bool endAtQuote,
                   bool& lineFeed);
} // namespace level2

// Hands each byte of a line's text to `show` as LIST shows it, in order: ELSE and the
// apostrophe without the colon (and REM) stored in front of them. Strings and remarks are
// looked into as the walk reaches them, for bytes that are not plain text. The parser and the
// listings walk a line alike; a template, so that `show` costs no call per byte.
template <class Show>
Level2TextWalked WalkLevel2Text(ByteView file, const Level2ProgramLine& line, Show show) {
    Level2TextWalked walked;
    std::size_t p = line.text;
    bool inString = false, lineFeed = false;
    const auto lastAddress = static_cast<std::uint16_t>(line.effective - 1);
    while (p < file.size()) {
        if (file[p] == level2::kColon) p = level2::SkipHiddenColons(file, p);
        const Byte c = file[p];
        if (c == level2::kQuote) {
            if (!inString && !walked.stringNonAscii)
                walked.stringNonAscii =
                    level2::HoldsNonAscii(file, p + 1, line.terminator, true, lineFeed);
            inString = !inString;
        } else if ((c == kTokenRem || c == kTokenApostrophe) && !inString &&
                   !walked.remarkNonAscii) {
            walked.remarkNonAscii =
                level2::HoldsNonAscii(file, p + 1, line.terminator, false, lineFeed);
        }
        show(Level2ShownByte{c, inString, lineFeed});
        ++p;
        const auto address = static_cast<std::uint16_t>(line.address + (p - line.start));
        if (address == lastAddress && p < file.size() && file[p] == kLevel2LineEnd) {
            walked.terminated = true;
            ++p;
            break;
        }
    }
    walked.end = p;
    return walked;
}

// One program line as memory holds it: its number and its tokenised text (no terminator).
struct Level2Line {
    std::uint16_t number;
    Bytes text;
};

// The tape file of these lines as they stand, with their next pointers.
Bytes Level2BasicFile(Byte name, const std::vector<Level2Line>& lines,
                      std::uint16_t load = kModelIBasicStart);

} // namespace tonvale
