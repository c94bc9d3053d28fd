#include "sound/PlacedSignal.h"

#include "sound/BitCells.h"
#include "sound/WavImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tonvale {

namespace {

using Level = PlacedSignal::Level;

// A bit cell as data: each level and how long it is held, in samples of the 22050 clock.
struct Step {
    Level level;
    std::uint8_t length;
};
struct Cell {
    std::array<Step, 6> steps{};
    std::size_t count = 0;

    constexpr void Add(Level level, std::size_t length) {
        steps[count++] = {level, static_cast<std::uint8_t>(length)};
    }
};

constexpr Cell PulseCell(std::size_t length, bool dataPulse) {
    using namespace cells;
    Cell cell;
    const std::size_t pulses = dataPulse ? 2 : 1;
    for (std::size_t i = 0; i < pulses; ++i) {
        cell.Add(Level::High, kPulseHalf);
        cell.Add(Level::Low, kPulseHalf);
        cell.Add(Level::Zero, length / pulses - 2 * kPulseHalf);
    }
    return cell;
}

constexpr Cell Cycle(std::size_t length) {
    Cell cell;
    cell.Add(Level::Low, length / 2);
    cell.Add(Level::High, length / 2);
    return cell;
}

// The cells of a 0 bit and a 1 bit.
constexpr std::array<Cell, 2> kLevel1 = {PulseCell(cells::kLevel1Cell, false),
                                         PulseCell(cells::kLevel1Cell, true)};
constexpr std::array<Cell, 2> kLevel2 = {PulseCell(cells::kLevel2Cell, false),
                                         PulseCell(cells::kLevel2Cell, true)};
constexpr std::array<Cell, 2> kHighspeed = {Cycle(cells::kHighspeedZero),
                                            Cycle(cells::kHighspeedOne)};

const std::array<Cell, 2>* CellsOf(TapeFormat format) {
    switch (format) {
    case TapeFormat::Level1:
        return &kLevel1;
    case TapeFormat::Level2:
        return &kLevel2;
    case TapeFormat::Highspeed:
        return &kHighspeed;
    default:
        return nullptr; // no format found: silence only
    }
}

} // namespace

PlacedSignal::PlacedSignal(const SoundOptions& sound, std::uint32_t rate)
    : m_rate(rate), m_width(sound.bits == 16 ? 2 : 1) {
    // Full swing as the window's image has it: 00h to FFh, or the whole signed 16-bit range.
    const double gain =
        std::pow(10.0, std::clamp(sound.gainDb, kQuietestGainDb, kLoudestGainDb) / 20);
    const double up = m_width == 2 ? 32767 : 127;
    const double down = m_width == 2 ? 32768 : 128;
    long high = std::lround(up * gain);
    long low = -std::lround(down * gain);
    if (sound.invert) std::swap(high, low);
    auto bytes = [this](long value) {
        if (m_width == 1) return std::array<Byte, 2>{static_cast<Byte>(0x80 + value), 0};
        const auto pcm = static_cast<std::uint16_t>(value);
        return std::array<Byte, 2>{static_cast<Byte>(pcm), static_cast<Byte>(pcm >> 8)};
    };
    m_sample = {bytes(0), bytes(high), bytes(low)};
}

std::uint64_t PlacedSignal::Placed(std::uint64_t clockSamples) const {
    // The nearest sample, half way rounded up; exact in 64 bits for any tape under 200 GB.
    return (2 * clockSamples * m_rate + kSampleRate) / (2 * kSampleRate);
}

Byte* PlacedSignal::Hold(Level level, std::uint64_t clockSamples, Byte* out) {
    m_clock += clockSamples;
    const std::uint64_t end = Placed(m_clock);
    const std::size_t count = static_cast<std::size_t>(end - m_placed);
    m_placed = end;
    const std::array<Byte, 2>& sample = m_sample[static_cast<std::size_t>(level)];
    if (m_width == 1) {
        std::memset(out, sample[0], count);
        return out + count;
    }
    for (std::size_t i = 0; i < count; ++i, out += 2) {
        out[0] = sample[0];
        out[1] = sample[1];
    }
    return out;
}

Byte* PlacedSignal::PutSilence(Byte* out) {
    return Hold(Level::Zero, kSilenceSamples, out);
}

Byte* PlacedSignal::PutTape(TapeFormat format, ByteView tape, Byte* out) {
    const std::array<Cell, 2>* bitCells = CellsOf(format);
    if (!bitCells) return out;
    for (Byte value : tape) {
        for (int bit = 7; bit >= 0; --bit) {
            const Cell& cell = (*bitCells)[(value >> bit) & 1];
            for (std::size_t i = 0; i < cell.count; ++i)
                out = Hold(cell.steps[i].level, cell.steps[i].length, out);
        }
    }
    return out;
}

Byte* PlacedSignal::PutTrailer(TapeFormat format, bool anyBits, Byte* out) {
    if (format != TapeFormat::Highspeed || !anyBits) return PutSilence(out);
    out = Hold(Level::Low, cells::kClosingEdge, out);
    return Hold(Level::Zero, kSilenceSamples - cells::kClosingEdge, out);
}

} // namespace tonvale
