#pragma once
// Level 1 tape files as CSAVE writes them, the bytes that follow the sync byte: start and stop
// address (high byte first), the memory from the start up to the stop address, and a checksum
// that makes the memory bytes and itself sum to 0. Wrap them in a tape with TapeBuilder:
//
//     Bytes basic = Level1Basic().Line(10, "PRINT \"HI\"").Line(20, "GOTO 10").Build();
//     Bytes code = Level1MachineCode({0xC3, 0x00, 0x42}).Build();
//     Bytes image = TapeBuilder().Level1File(basic).Build();
#include "base/Bytes.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tonvale::test {

// What every Level 1 tape file can get wrong: its stop address, its checksum, its length.
template <typename Self> class Level1File {
  public:
    // A stop address other than the one behind the last memory byte.
    Self& Stop(std::uint16_t stop) {
        m_stop = stop;
        return self();
    }
    // A checksum byte other than the right one.
    Self& Checksum(Byte checksum) {
        m_checksum = checksum;
        return self();
    }
    // Adds this much to the right checksum, so that it is surely wrong (for 1 to FFh).
    Self& ChecksumOffBy(Byte delta) {
        m_checksumDelta = delta;
        return self();
    }
    // The recording ends after `length` bytes (or is left whole if it is no longer).
    Self& CutTo(std::size_t length) {
        m_cutTo = length;
        return self();
    }
    // The recording loses its last `count` bytes.
    Self& DropLast(std::size_t count) {
        m_dropLast = count;
        return self();
    }

  protected:
    // The whole tape file for a memory image that begins at `start`.
    Bytes Finish(std::uint16_t start, ByteView memory) const;

  private:
    Self& self() { return static_cast<Self&>(*this); }
    std::optional<std::uint16_t> m_stop;
    std::optional<Byte> m_checksum;
    Byte m_checksumDelta = 0;
    std::optional<std::size_t> m_cutTo;
    std::size_t m_dropLast = 0;
};

// A Level 1 BASIC program, saved from 4200h: lines of a number (low byte first), plain text
// and 0Dh.
class Level1Basic : public Level1File<Level1Basic> {
  public:
    static constexpr std::uint16_t kStart = 0x4200;

    Level1Basic& Line(std::uint16_t number, std::string_view text);
    // A line whose 0Dh is missing: the next line's number follows its text at once.
    Level1Basic& LineWithoutEnd(std::uint16_t number, std::string_view text);

    Bytes Build() const { return Finish(kStart, m_program); }

  private:
    Bytes m_program;
};

// A Level 1 machine-code tape: saved from 41FEh, where the entry address (low byte first)
// sits just below the code at 4200h.
class Level1MachineCode : public Level1File<Level1MachineCode> {
  public:
    static constexpr std::uint16_t kStart = 0x41FE;
    static constexpr std::uint16_t kCodeStart = 0x4200;

    explicit Level1MachineCode(ByteView code) : m_code(code.begin(), code.end()) {}
    Level1MachineCode& Entry(std::uint16_t entry) {
        m_entry = entry;
        return *this;
    }
    Bytes Build() const;

  private:
    Bytes m_code;
    std::uint16_t m_entry = kCodeStart;
};

// The "empty CSAVE" of a Level 1 machine: start and stop address 4200h, so the whole 64 KB
// goes to tape, from 4200h up to FFFFh and on from 0000h up to 41FFh. The ROM and the RAM
// contents are whatever the test puts there (never a real ROM).
class Level1EmptyCsave : public Level1File<Level1EmptyCsave> {
  public:
    static constexpr std::uint16_t kStart = 0x4200;
    static constexpr std::size_t kRomSize = 4096;

    Level1EmptyCsave();
    // The 4 KB at 0000h (shorter contents leave the rest 00h).
    Level1EmptyCsave& Rom(ByteView rom) { return Memory(0x0000, rom); }
    Level1EmptyCsave& Memory(std::uint16_t address, ByteView bytes);
    Bytes Build() const;

  private:
    Bytes m_memory; // indexed by address
};

// A ROM image of our own: a recognisable pattern of 4 KB, nothing like the real one.
Bytes MadeUpRom();

} // namespace tonvale::test
