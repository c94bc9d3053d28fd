#pragma once
// A bounds-checked view of one tape file's bytes for the decoders: ask Has() before reading
// a field; reading outside the bytes is a programming error, caught by an assertion.
#include "base/Bytes.h"

#include <cassert>
#include <cstdint>

namespace tonvale {

class TapeBytes {
  public:
    explicit TapeBytes(ByteView bytes) : m_bytes(bytes) {}

    std::size_t Size() const { return m_bytes.size(); }
    // True when `count` bytes from `offset` are inside the tape file.
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= m_bytes.size() && count <= m_bytes.size() - offset;
    }
    Byte operator[](std::size_t offset) const {
        assert(offset < m_bytes.size());
        return m_bytes[offset];
    }
    // Two bytes, low byte first (Level 2 pointers, line numbers, load addresses).
    std::uint16_t Le16(std::size_t offset) const {
        return static_cast<std::uint16_t>((*this)[offset] | (*this)[offset + 1] << 8);
    }
    // Two bytes, high byte first (Level 1 start and stop addresses).
    std::uint16_t Be16(std::size_t offset) const {
        return static_cast<std::uint16_t>((*this)[offset] << 8 | (*this)[offset + 1]);
    }
    ByteView View() const { return m_bytes; }
    ByteView From(std::size_t offset) const { return m_bytes.subspan(offset); }

  private:
    ByteView m_bytes;
};

} // namespace tonvale
