#include "writer/SystemTapeWriter.h"

#include <algorithm>

namespace tonvale {

namespace {

constexpr Byte kMarker = 0x55;
constexpr Byte kBlockType = 0x3C;
constexpr Byte kTransferType = 0x78;
constexpr std::size_t kLongestBlock = 256;

void PushLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<Byte>(value & 0xFF));
    out.push_back(static_cast<Byte>(value >> 8));
}

void PushBlock(Bytes& out, std::uint16_t address, ByteView data) {
    out.push_back(kBlockType);
    out.push_back(static_cast<Byte>(data.size())); // 256 is 00h
    PushLe16(out, address);
    Byte sum = static_cast<Byte>((address & 0xFF) + (address >> 8));
    for (Byte b : data)
        sum = static_cast<Byte>(sum + b);
    out.insert(out.end(), data.begin(), data.end());
    out.push_back(sum);
}

} // namespace

Outcome<Bytes> SystemTapeFile(std::string_view name, const MachineCode& code, std::uint16_t entry) {
    if (name.size() > kSystemNameLength)
        return Failure{"the name '" + std::string(name) +
                       "' is longer than six characters, all a SYSTEM tape has room for"};
    if (code.pieces.empty()) return Failure{"there is no code to load"};
    Bytes out(1 + kSystemNameLength, ' ');
    out[0] = kMarker;
    std::copy(name.begin(), name.end(), out.begin() + 1);
    for (const MemoryPiece& piece : code.pieces) {
        for (std::size_t at = 0; at < piece.data.size(); at += kLongestBlock) {
            const std::size_t length = std::min(kLongestBlock, piece.data.size() - at);
            PushBlock(out, static_cast<std::uint16_t>(piece.address + at),
                      ByteView(piece.data).subspan(at, length));
        }
    }
    out.push_back(kTransferType);
    PushLe16(out, entry);
    return out;
}

} // namespace tonvale
