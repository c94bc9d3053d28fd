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

} // namespace tonvale
