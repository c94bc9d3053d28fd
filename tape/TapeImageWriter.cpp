#include "tape/TapeImageWriter.h"

namespace tonvale {

void TapeImageWriter::PushBit(bool bit) {
    if (m_bits % 8 == 0) m_bytes.push_back(0);
    if (bit) m_bytes.back() |= static_cast<Byte>(0x80 >> (m_bits % 8));
    ++m_bits;
}

TapeImageWriter& TapeImageWriter::Bits(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i)
        PushBit(((value >> i) & 1) != 0);
    return *this;
}

TapeImageWriter& TapeImageWriter::Leader(std::size_t count, Byte value) {
    for (std::size_t i = 0; i < count; ++i)
        Byte8(value);
    return *this;
}

TapeImageWriter& TapeImageWriter::Bytes8(ByteView data) {
    for (Byte b : data)
        Byte8(b);
    return *this;
}

TapeImageWriter& TapeImageWriter::HighspeedBytes(ByteView data) {
    for (Byte b : data)
        Bits(b, kHighspeedGroupBits); // the 0 start bit, then the byte
    return *this;
}

TapeImageWriter& TapeImageWriter::File(TapeFormat format, ByteView data, std::size_t leader) {
    if (format == TapeFormat::Highspeed)
        return Leader(leader, kHighspeedLeader).Byte8(kHighspeedSync).HighspeedBytes(data);
    return Leader(leader, kLevelLeader).Byte8(kLevelSync).Bytes8(data);
}

} // namespace tonvale
