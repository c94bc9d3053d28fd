#pragma once
// Bytes are bytes: tape data, report lines and status texts are unsigned single-byte strings,
// shown and saved exactly as they stand.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tonvale {

using Byte = std::uint8_t;
using Bytes = std::vector<Byte>;
using ByteView = std::span<const Byte>;

inline Bytes ToBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline std::string_view AsChars(ByteView bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The sum of the bytes modulo 256: every tape format's checksum is built on it.
inline Byte ByteSum(ByteView bytes) {
    unsigned sum = 0;
    for (Byte b : bytes)
        sum += b;
    return static_cast<Byte>(sum);
}

// Two bytes, low byte first, as the Z80 keeps addresses and line numbers.
inline void PushLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<Byte>(value & 0xFF));
    out.push_back(static_cast<Byte>(value >> 8));
}

} // namespace tonvale
