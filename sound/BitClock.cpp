#include "sound/BitClock.h"

#include "sound/BitCells.h"
#include "sound/WavImage.h"

#include <algorithm>

namespace tonvale {

namespace {

constexpr std::uint64_t kBlockBytes = 64;

std::uint64_t HighspeedCell(bool one) {
    return one ? cells::kHighspeedOne : cells::kHighspeedZero;
}

std::uint64_t HighspeedByte(Byte value) {
    std::uint64_t samples = 0;
    for (int bit = 7; bit >= 0; --bit)
        samples += HighspeedCell(((value >> bit) & 1) != 0);
    return samples;
}

} // namespace

BitClock::BitClock(TapeFormat format, ByteView tape)
    : m_format(format), m_tape(tape), m_bits(static_cast<std::uint64_t>(tape.size()) * 8) {
    switch (format) {
    case TapeFormat::Level1:
        m_cell = cells::kLevel1Cell;
        break;
    case TapeFormat::Level2:
        m_cell = cells::kLevel2Cell;
        break;
    case TapeFormat::Highspeed: {
        std::uint64_t at = kSilenceSamples;
        for (std::size_t byte = 0; byte < tape.size(); ++byte) {
            if (byte % kBlockBytes == 0) m_blocks.push_back(at);
            at += HighspeedByte(tape[byte]);
        }
        m_blocks.push_back(at); // the end, for BitAt's search
        break;
    }
    default:
        m_bits = 0; // no format: the sound is silence only
    }
}

bool BitClock::Bit(std::uint64_t bit) const {
    return ((m_tape[static_cast<std::size_t>(bit / 8)] >> (7 - bit % 8)) & 1) != 0;
}

std::uint64_t BitClock::Highspeed(std::uint64_t byte) const {
    std::uint64_t at = m_blocks[static_cast<std::size_t>(byte / kBlockBytes)];
    for (std::uint64_t b = byte - byte % kBlockBytes; b < byte; ++b)
        at += HighspeedByte(m_tape[static_cast<std::size_t>(b)]);
    return at;
}

std::uint64_t BitClock::CellStart(std::uint64_t bit) const {
    bit = std::min(bit, m_bits);
    if (m_format != TapeFormat::Highspeed) return kSilenceSamples + bit * m_cell;
    if (bit == m_bits) return m_blocks.back();
    std::uint64_t at = Highspeed(bit / 8);
    for (std::uint64_t b = bit - bit % 8; b < bit; ++b)
        at += HighspeedCell(Bit(b));
    return at;
}

std::uint64_t BitClock::CellLength(std::uint64_t bit) const {
    if (bit >= m_bits) return 0;
    return m_format == TapeFormat::Highspeed ? HighspeedCell(Bit(bit)) : m_cell;
}

std::uint64_t BitClock::BitAt(std::uint64_t clockSample) const {
    if (m_bits == 0 || clockSample < kSilenceSamples) return 0;
    if (m_format != TapeFormat::Highspeed)
        return std::min(m_bits, (clockSample - kSilenceSamples) / m_cell);
    if (clockSample >= m_blocks.back()) return m_bits;
    // The last block that begins at or before the sample, then byte by byte, bit by bit.
    const auto block = std::upper_bound(m_blocks.begin(), m_blocks.end(), clockSample) - 1;
    std::uint64_t byte = static_cast<std::uint64_t>(block - m_blocks.begin()) * kBlockBytes;
    std::uint64_t at = *block;
    while (at + HighspeedByte(m_tape[static_cast<std::size_t>(byte)]) <= clockSample)
        at += HighspeedByte(m_tape[static_cast<std::size_t>(byte++)]);
    std::uint64_t bit = byte * 8;
    while (at + HighspeedCell(Bit(bit)) <= clockSample)
        at += HighspeedCell(Bit(bit++));
    return bit;
}

std::uint64_t BitClock::Samples() const {
    return CellStart(m_bits) + kSilenceSamples;
}

double BitClock::Seconds(double clockSamples) {
    return clockSamples / kSampleRate;
}

} // namespace tonvale
