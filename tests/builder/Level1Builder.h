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
#include <string_view>

namespace tonvale::test {

// A Level 1 BASIC program, saved from 4200h: lines of a number (low byte first), plain text
// and 0Dh.
class Level1Basic {
  public:
    static constexpr std::uint16_t kStart = 0x4200;

    Level1Basic& Line(std::uint16_t number, std::string_view text);
    Bytes Build() const;

  private:
    Bytes m_program;
};

// A Level 1 machine-code tape: saved from 41FEh, where the entry address 4200h (low byte
// first) sits just below the code.
class Level1MachineCode {
  public:
    static constexpr std::uint16_t kStart = 0x41FE;
    static constexpr std::uint16_t kCodeStart = 0x4200;

    explicit Level1MachineCode(ByteView code) : m_code(code.begin(), code.end()) {}
    Bytes Build() const;

  private:
    Bytes m_code;
};

// The "empty CSAVE" of a Level 1 machine: start and stop address 4200h, so the whole 64 KB
// goes to tape, from 4200h up to FFFFh and on from 0000h up to 41FFh. The ROM is whatever the
// test puts there (never a real ROM); the RAM holds 00h.
class Level1EmptyCsave {
  public:
    static constexpr std::uint16_t kStart = 0x4200;
    static constexpr std::size_t kRomSize = 4096;

    Level1EmptyCsave();
    // The 4 KB at 0000h (shorter contents leave the rest 00h).
    Level1EmptyCsave& Rom(ByteView rom);
    Bytes Build() const;

  private:
    Bytes m_memory; // indexed by address
};

// A ROM image of our own: a recognisable pattern of 4 KB, nothing like the real one.
Bytes MadeUpRom();

} // namespace tonvale::test
