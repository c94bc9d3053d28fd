#include "builder/SystemTapeBuilder.h"

#include <algorithm>
#include <cassert>

namespace tonvale::test {

namespace {

constexpr std::size_t kNameLength = 6;
[[maybe_unused]] constexpr std::size_t kMaxBlock = 256;

void PushLe16(Bytes& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<Byte>(value & 0xFF));
    bytes.push_back(static_cast<Byte>(value >> 8));
}

// The checksum of a block: both address bytes and every data byte, modulo 256.
Byte Checksum(std::uint16_t address, ByteView data) {
    unsigned sum = (address & 0xFFu) + (address >> 8);
    for (Byte b : data)
        sum += b;
    return static_cast<Byte>(sum);
}

} // namespace

SystemTape::SystemTape(std::string_view name) {
    m_bytes.assign(1 + std::max(name.size(), kNameLength), ' ');
    m_bytes[0] = kMarker;
    std::copy(name.begin(), name.end(), m_bytes.begin() + 1);
}

SystemTape& SystemTape::Block(std::uint16_t address, ByteView data) {
    assert(!data.empty() && data.size() <= kMaxBlock);
    m_bytes.push_back(kBlockType);
    m_bytes.push_back(static_cast<Byte>(data.size() & 0xFF));
    PushLe16(m_bytes, address);
    m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    m_lastChecksum = m_bytes.size();
    m_bytes.push_back(Checksum(address, data));
    return *this;
}

SystemTape& SystemTape::WrongChecksum(Byte delta) {
    assert(m_lastChecksum && delta != 0);
    m_bytes[*m_lastChecksum] = static_cast<Byte>(m_bytes[*m_lastChecksum] + delta);
    return *this;
}

SystemTape& SystemTape::Garbage(ByteView bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

SystemTape& SystemTape::Transfer(std::uint16_t entry) {
    m_bytes.push_back(kTransferType);
    PushLe16(m_bytes, entry);
    return *this;
}

SystemTape& SystemTape::DropLast(std::size_t count) {
    m_dropLast = count;
    return *this;
}

Bytes SystemTape::Build() const {
    Bytes bytes = m_bytes;
    bytes.resize(bytes.size() - std::min(m_dropLast, bytes.size()));
    return bytes;
}

} // namespace tonvale::test
