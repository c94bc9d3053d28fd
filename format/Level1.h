#pragma once
// Level 1 tape files, the bytes behind the sync byte, as CSAVE writes them: start and stop
// address (high byte first), the memory from the start up to the stop address, and a checksum
// that makes the memory bytes and itself sum to 0. Three kinds:
//
//     BASIC          4200h stop  lines...  checksum     a line: number (low byte first),
//                                                       characters 20h-5Fh, 0Dh
//     machine code   41FEh stop  entry (low, high)  code from 4200h...  checksum
//     empty CSAVE    4200h 4200h  all 64 KB from 4200h round to 41FFh  checksum
#include "base/Bytes.h"
#include "base/Outcome.h"
#include "format/Damage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tonvale {

inline constexpr std::uint16_t kLevel1Program = 0x4200;   // BASIC and machine code begin here
inline constexpr std::uint16_t kLevel1EntrySlot = 0x41FE; // a machine-code tape's start
inline constexpr std::size_t kLevel1StopOffset = 2;
inline constexpr std::size_t kLevel1MemoryOffset = 4; // behind the two addresses
inline constexpr std::size_t kLevel1EntryOffset = 4;  // machine code: the entry comes first
inline constexpr std::size_t kLevel1CodeOffset = 6;   // and the code behind it
inline constexpr std::uint32_t kLevel1MemorySize = 0x10000;

// The empty CSAVE: 4 address bytes, the whole 64 KB and the checksum. The ROM (0000h-0FFFh)
// sits where the memory wraps round past FFFFh.
inline constexpr std::size_t kCsaveLength = kLevel1MemoryOffset + kLevel1MemorySize + 1;
inline constexpr std::size_t kCsaveChecksum = kCsaveLength - 1;
inline constexpr std::size_t kCsaveRomOffset =
    kLevel1MemoryOffset + kLevel1MemorySize - kLevel1Program;
inline constexpr std::size_t kLevel1RomSize = 4096;

inline constexpr Byte kLevel1LineEnd = 0x0D;
inline constexpr Byte kLevel1FirstPlain = 0x20, kLevel1LastPlain = 0x5F; // no lower case, no tokens
inline constexpr unsigned long kHighestLevel1Line = 32767;
// RAM ends at 4FFFh on a 4K machine and at 7FFFh on a 16K one; bigger ones count in 16K steps.
inline constexpr unsigned kLevel1FirstBeyond4K = 0x5000;
inline constexpr unsigned kLevel1FirstBeyond16K = 0x8000;
inline constexpr unsigned kLevel1RamStep = 0x4000;

enum class Level1Kind { None, Basic, MachineCode, EmptyCsave };

// What the start and stop addresses say the tape file is; None when they make no Level 1 tape
// file (a machine-code tape needs its entry address too).
Level1Kind ClassifyLevel1(ByteView file);

inline bool IsLevel1Plain(Byte b) {
    return b >= kLevel1FirstPlain && b <= kLevel1LastPlain;
}

// One line of a Level 1 BASIC program.
struct Level1Line {
    std::size_t offset = 0; // its number's first byte
    std::uint16_t number = 0;
    // Its characters, [text, textEnd): textEnd is its 0Dh, or where the program's bytes end.
    std::size_t text = 0, textEnd = 0;
    bool terminated = false; // its 0Dh is there
};

// A Level 1 tape file as read: its addresses, where its memory ends, its checksum and, for
// BASIC, its lines.
struct Level1Tape {
    Level1Kind kind = Level1Kind::None;
    std::optional<std::uint16_t> stop;  // none when the tape file ends before it
    std::optional<std::uint16_t> entry; // machine code: where it starts
    std::size_t checksumAt = 0;         // where the checksum belongs, behind the memory
    std::optional<Byte> checksum;       // as on tape; none when the tape file ends before it
    Byte sum = 0;                       // of the memory bytes before the checksum
    std::size_t end = 0;                // behind the checksum, or the end of the bytes
    // BASIC: the lines as far as the bytes go; whether the program has no room for the first
    // line's number, and whether the bytes end where a later line's number belongs.
    std::vector<Level1Line> lines;
    bool firstNumberCut = false;
    bool numberCut = false;
    std::vector<FormatDamage> damage;

    // The memory bytes and the checksum sum to 0.
    bool Holds() const { return checksum && static_cast<Byte>(sum + *checksum) == 0; }
    // The memory the stop address promises is all there, and the checksum behind it.
    bool Complete() const { return checksum.has_value(); }
};

// Reads a Level 1 tape file as one of `kind` (Basic, MachineCode or EmptyCsave), whatever its
// addresses say. Never fails: damage is listed.
Level1Tape ParseLevel1(ByteView file, Level1Kind kind);

// The checksum byte that makes `memory` and itself sum to 0.
inline Byte Level1Checksum(ByteView memory) {
    return static_cast<Byte>(-ByteSum(memory));
}

// The tape file of `memory` from `start` on. The stop address comes round to 0000h when the
// memory reaches the top, and to `start` for all 64 KB (the empty CSAVE).
Bytes Level1File(std::uint16_t start, ByteView memory);

// Machine code loaded at `load`, saved from two bytes below it, where its entry address sits
// (low byte first).
Outcome<Bytes> Level1CodeFile(ByteView code, std::uint16_t load, std::uint16_t entry);

} // namespace tonvale
