#pragma once
// Level 2 BASIC programs as CSAVE writes them, the bytes behind the sync byte:
//
//     D3 D3 D3 name | next number text... 00 | next number text... 00 | 00 00
//                     ^ little-endian; next is where the next line begins in the memory of the
//                       saving machine, the program's first line at its load address
#include "base/Bytes.h"

#include <cstdint>
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

// One program line as memory holds it: its number and its tokenised text (no terminator).
struct Level2Line {
    std::uint16_t number;
    Bytes text;
};

// The tape file of these lines as they stand, with their next pointers.
Bytes Level2BasicFile(Byte name, const std::vector<Level2Line>& lines,
                      std::uint16_t load = kModelIBasicStart);

} // namespace tonvale
