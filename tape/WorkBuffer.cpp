#include "tape/WorkBuffer.h"

#include "tape/Framing.h"

#include <new>

namespace tonvale {

namespace {

constexpr std::uint64_t kGroup = kHighspeedGroupBits;

// Eight bits starting at absolute bit position `bit` of the image; bits past the end read 0.
Byte BitsAt(ByteView image, std::uint64_t bit) {
    const std::size_t k = static_cast<std::size_t>(bit / 8);
    const unsigned s = static_cast<unsigned>(bit % 8);
    unsigned a = k < image.size() ? image[k] : 0;
    unsigned b = k + 1 < image.size() ? image[k + 1] : 0;
    return static_cast<Byte>(((a << 8 | b) >> (8 - s)) & 0xFF);
}

} // namespace

std::optional<ByteView> WorkBuffers::Level(std::size_t dataPos, std::uint32_t shift,
                                           std::uint64_t& asked) {
    if (shift == 0) return m_image.subspan(dataPos);
    const std::uint64_t startBit = std::uint64_t{dataPos} * 8 + shift;
    Realigned& r = m_level[shift];
    if (!r.valid || startBit < r.startBit) {
        // L image bytes from dataPos give L - 1 whole bytes.
        const std::size_t count = m_image.size() - dataPos - 1;
        asked = count;
        r.valid = false;
        try {
            r.bytes.assign(count, 0);
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
        for (std::size_t k = 0; k < count; ++k) {
            const unsigned a = m_image[dataPos + k];
            const unsigned b = m_image[dataPos + k + 1];
            r.bytes[k] = static_cast<Byte>(((a << shift) | (b >> (8 - shift))) & 0xFF);
        }
        r.startBit = startBit;
        r.valid = true;
    }
    return ByteView(r.bytes).subspan(static_cast<std::size_t>((startBit - r.startBit) / 8));
}

std::optional<ByteView> WorkBuffers::Highspeed(std::size_t dataPos, std::uint32_t shift,
                                               HighspeedTail& tail, std::uint64_t& asked) {
    const std::uint64_t startBit = std::uint64_t{dataPos} * 8 + shift;
    const std::uint64_t endBit = std::uint64_t{m_image.size()} * 8;
    Realigned& r = m_highspeed[startBit % kGroup];
    if (!r.valid || startBit < r.startBit) {
        const std::uint64_t bits = endBit - startBit;
        const std::uint64_t count = bits / kGroup;
        asked = (8 * (m_image.size() - dataPos)) / kGroup;
        r.valid = false;
        try {
            r.bytes.assign(static_cast<std::size_t>(count), 0);
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
        std::uint64_t cursor = startBit;
        for (std::size_t k = 0; k < count; ++k, cursor += kGroup)
            r.bytes[k] = BitsAt(m_image, cursor + 1);
        // Less than a group left: a start bit and the first bits of a byte that lacks the rest.
        const std::uint64_t left = endBit - cursor;
        r.tail = {};
        if (left >= 2) {
            r.tail.bitsShort = static_cast<std::uint32_t>(kGroup - left);
            r.tail.lastBits =
                static_cast<Byte>(BitsAt(m_image, cursor + 1) & (0xFF << (kGroup - left)));
        }
        r.startBit = startBit;
        r.valid = true;
    }
    tail = r.tail;
    return ByteView(r.bytes).subspan(static_cast<std::size_t>((startBit - r.startBit) / kGroup));
}

} // namespace tonvale
