#include "writer/MachineCode.h"

#include <algorithm>

namespace tonvale {

namespace {

constexpr std::uint32_t kAddressSpace = 0x10000;

} // namespace

bool MachineCode::Add(std::uint32_t address, ByteView data) {
    if (address + data.size() > kAddressSpace) return false;
    if (data.empty()) return true;
    if (!pieces.empty() && pieces.back().address + pieces.back().data.size() == address) {
        pieces.back().data.insert(pieces.back().data.end(), data.begin(), data.end());
    } else {
        pieces.push_back({static_cast<std::uint16_t>(address), Bytes(data.begin(), data.end())});
    }
    return true;
}

std::optional<MemoryPiece> MachineCode::Flat() const {
    if (pieces.empty()) return std::nullopt;
    std::uint32_t low = kAddressSpace, high = 0;
    for (const MemoryPiece& piece : pieces) {
        low = std::min<std::uint32_t>(low, piece.address);
        high = std::max<std::uint32_t>(high, piece.address +
                                                 static_cast<std::uint32_t>(piece.data.size()));
    }
    MemoryPiece flat{static_cast<std::uint16_t>(low), Bytes(high - low, 0x00)};
    for (const MemoryPiece& piece : pieces)
        std::copy(piece.data.begin(), piece.data.end(), flat.data.begin() + (piece.address - low));
    return flat;
}

Outcome<MachineCode> CodeFromBinary(ByteView binary, std::uint16_t load) {
    if (binary.empty()) return Failure{"the file is empty"};
    MachineCode code;
    if (!code.Add(load, binary))
        return FailAtOffset(kAddressSpace - load, "the code runs past FFFFh");
    return code;
}

} // namespace tonvale
