#pragma once
// Level 2 BASIC programs as CSAVE writes them, the bytes behind the sync byte:
//
//     D3 D3 D3 name | next number text... 00 | next number text... 00 | 00 00
//                     ^ little-endian; next is where the next line begins in the memory of the
//                       saving machine, the program's first line at its load address
#include "base/Bytes.h"
#include "format/Damage.h"

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

// The bytes of a line's text as LIST shows them, in order: ELSE and the apostrophe without the
// colon (and REM) stored in front of them. Strings and remarks are looked into as the walk
// reaches them, for bytes that are not plain text.
class Level2TextWalk {
  public:
    Level2TextWalk(ByteView file, const Level2ProgramLine& line);

    // The next byte shown; none behind the line's last.
    std::optional<Level2ShownByte> Next();
    // Behind the last byte shown, and behind the line's 00h when the walk found it.
    std::size_t Position() const { return m_position; }
    bool Terminated() const { return m_done; }
    bool StringNonAscii() const { return m_stringNonAscii; }
    bool RemarkNonAscii() const { return m_remarkNonAscii; }

  private:
    std::uint16_t Address(std::size_t position) const;
    void SkipHiddenColons();
    bool HoldsNonAscii(std::size_t from, bool endAtQuote);

    ByteView m_file;
    const Level2ProgramLine& m_line;
    std::size_t m_position;
    bool m_done = false;
    bool m_inString = false;
    bool m_stringNonAscii = false;
    bool m_remarkNonAscii = false;
    bool m_lineFeed = false;
};

// One program line as memory holds it: its number and its tokenised text (no terminator).
struct Level2Line {
    std::uint16_t number;
    Bytes text;
};

// The tape file of these lines as they stand, with their next pointers.
Bytes Level2BasicFile(Byte name, const std::vector<Level2Line>& lines,
                      std::uint16_t load = kModelIBasicStart);

} // namespace tonvale
