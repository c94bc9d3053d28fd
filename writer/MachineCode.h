#pragma once
// A machine-code program as the readers of binaries, load modules and Intel HEX hand it to the
// tape writers: pieces of memory, where it starts, and what the reader passed over.
#include "base/Bytes.h"
#include "base/Outcome.h"
#include "format/SystemTape.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tonvale {

struct MachineCode {
    std::vector<MemoryPiece> pieces; // in the input's order
    std::optional<std::uint16_t> entry = {};
    std::vector<std::string> notes = {}; // records skipped and the like, for the person to read

    // Adds bytes at `address`, joined to the last piece when they follow on from it. False when
    // they would run past FFFFh.
    bool Add(std::uint32_t address, ByteView data);
    // The lowest address and the memory from it up to the end of the highest piece, gaps 00h;
    // none when there is no code.
    std::optional<MemoryPiece> Flat() const;
};

// A raw binary loaded at `load`; fails when it is empty or runs past FFFFh.
Outcome<MachineCode> CodeFromBinary(ByteView binary, std::uint16_t load);

} // namespace tonvale
