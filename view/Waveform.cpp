#include "view/Waveform.h"

#include "sound/BitCells.h"
#include "sound/WavImage.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

namespace tonvale {

namespace {

constexpr std::uint64_t kFirstBlock = 64;
constexpr std::uint64_t kLevelFactor = 8;
constexpr std::uint64_t kWholeBlocksFrom = 16 * kFirstBlock;

std::int16_t ToSample(float value) {
    value = value == value ? std::clamp(value, -1.0f, 1.0f) : 0.0f; // not a number: 0
    // Rounded to the nearest without a branch: shifted above 0, where truncating is flooring.
    return static_cast<std::int16_t>(static_cast<int>(value * 32767 + 32768.5f) - 32768);
}

float FromSample(std::int16_t value) {
    return static_cast<float>(value) / 32767;
}

} // namespace

void SampleSummary::Add(std::span<const float> samples) {
    std::vector<std::int16_t>& into = m_reader ? m_partial : m_samples;
    const std::size_t before = into.size();
    into.resize(before + samples.size());
    std::int16_t* out = into.data() + before;
    for (std::size_t i = 0; i < samples.size(); ++i)
        out[i] = ToSample(samples[i]);
    // Every block of 64 completed, then the levels above it.
    const std::uint64_t firstOpen = m_length - m_length % kFirstBlock;
    m_length += samples.size();
    const std::size_t offset = m_reader ? 0 : static_cast<std::size_t>(firstOpen);
    std::size_t at = 0;
    for (; firstOpen + at + kFirstBlock <= m_length; at += kFirstBlock)
        AddBlock(into.data() + offset + at);
    if (m_reader) m_partial.erase(m_partial.begin(), m_partial.begin() + static_cast<long>(at));
}

void SampleSummary::AddBlock(const std::int16_t* samples) {
    MinMax value{samples[0], samples[0]};
    for (std::size_t i = 1; i < kFirstBlock; ++i) {
        value.low = std::min(value.low, samples[i]);
        value.high = std::max(value.high, samples[i]);
    }
    if (m_levels.empty()) m_levels.emplace_back();
    m_levels[0].push_back(value);
    AddToLevel(1, value);
}

void SampleSummary::Reserve(std::uint64_t samples) {
    if (m_reader) return;
    // A header may claim more than the file holds: then the samples grow as they come.
    try {
        m_samples.reserve(
            static_cast<std::size_t>(std::min<std::uint64_t>(samples, m_samples.max_size())));
    } catch (const std::exception&) {
    }
}

std::int16_t SampleSummary::Sample(std::uint64_t index) const {
    if (!m_reader) return m_samples[static_cast<std::size_t>(index)];
    // The open block's samples are still here.
    const std::uint64_t firstOpen = m_length - m_partial.size();
    if (index >= firstOpen) return m_partial[static_cast<std::size_t>(index - firstOpen)];
    constexpr std::uint64_t kChunk = 1 << 16;
    if (index < m_cacheFrom || index >= m_cacheFrom + m_cache.size()) {
        m_cacheFrom = index - index % kChunk;
        std::vector<float> samples(
            static_cast<std::size_t>(std::min(kChunk, m_length - m_cacheFrom)));
        const std::size_t got = m_reader(m_cacheFrom, samples);
        m_cache.resize(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            m_cache[i] = i < got ? ToSample(samples[i]) : 0;
    }
    return m_cache[static_cast<std::size_t>(index - m_cacheFrom)];
}

// A block of the level below, into the one of `level` being filled (8 of them make one).
void SampleSummary::AddToLevel(std::size_t level, MinMax value) {
    while (m_levels.size() <= level)
        m_levels.emplace_back();
    m_open.resize(m_levels.size(), value);
    m_filled.resize(m_levels.size(), 0);
    MinMax& open = m_open[level];
    if (m_filled[level] == 0) open = value;
    open.low = std::min(open.low, value.low);
    open.high = std::max(open.high, value.high);
    if (++m_filled[level] < kLevelFactor) return;
    m_filled[level] = 0;
    m_levels[level].push_back(open);
    AddToLevel(level + 1, open);
}

SampleRange SampleSummary::Range(std::uint64_t from, std::uint64_t to) const {
    to = std::min(to, m_length);
    if (from >= to) return {};
    // A stretch of many blocks is taken in whole blocks of 64: a few samples more at either
    // end are nothing on the screen, and no sample need be read again.
    if (to - from >= kWholeBlocksFrom) {
        from -= from % kFirstBlock;
        to = std::min(m_length, to + (kFirstBlock - to % kFirstBlock) % kFirstBlock);
    }
    std::int16_t low = std::numeric_limits<std::int16_t>::max();
    std::int16_t high = std::numeric_limits<std::int16_t>::min();
    auto take = [&low, &high](std::int16_t l, std::int16_t h) {
        low = std::min(low, l);
        high = std::max(high, h);
    };
    // The coarsest level whose whole blocks fit, then finer ones at either end.
    std::uint64_t at = from;
    while (at < to) {
        std::uint64_t block = kFirstBlock;
        std::size_t level = 0;
        if (at % block != 0 || at + block > to || m_levels.empty()) {
            const std::int16_t sample = Sample(at);
            take(sample, sample);
            ++at;
            continue;
        }
        while (level + 1 < m_levels.size() && at % (block * kLevelFactor) == 0 &&
               at + block * kLevelFactor <= to)
            block *= kLevelFactor, ++level;
        const std::uint64_t index = at / block;
        if (index >= m_levels[level].size()) { // the last block is still open
            const std::int16_t sample = Sample(at);
            take(sample, sample);
            ++at;
            continue;
        }
        take(m_levels[level][index].low, m_levels[level][index].high);
        at += block;
    }
    return {FromSample(low), FromSample(high)};
}

std::size_t SampleSummary::Bytes() const {
    std::size_t bytes =
        (m_samples.capacity() + m_partial.capacity() + m_cache.capacity()) * sizeof(std::int16_t);
    for (const auto& level : m_levels)
        bytes += level.capacity() * sizeof(MinMax);
    return bytes;
}

std::size_t SummarisingSource::Read(std::span<float> block) {
    const std::size_t count = m_inner.Read(block);
    m_summary.Add(block.first(count));
    return count;
}

void PutInTimeOrder(RescueTrace& trace) {
    std::vector<std::uint64_t> order(trace.cells.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&trace](std::uint64_t a, std::uint64_t b) {
        return trace.cells[a].seconds < trace.cells[b].seconds;
    });
    std::vector<std::uint64_t> placeOf(order.size());
    std::vector<TraceCell> cells(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        placeOf[order[i]] = i;
        cells[i] = trace.cells[order[i]];
    }
    trace.cells = std::move(cells);
    for (TracePulse& pulse : trace.pulses)
        if (pulse.cell < placeOf.size()) pulse.cell = placeOf[pulse.cell];
    std::stable_sort(
        trace.pulses.begin(), trace.pulses.end(),
        [](const TracePulse& a, const TracePulse& b) { return a.seconds < b.seconds; });
}

double SynthesisedWave::Rate() const {
    return kSampleRate;
}

// The level inside a bit's cell, as the synthesis lays it down (sound/BitCells.h).
float SynthesisedWave::Level(std::uint64_t bit, std::uint64_t inCell) const {
    const std::uint64_t length = m_clock.CellLength(bit);
    if (m_format == TapeFormat::Highspeed) return inCell < length / 2 ? -1.0f : 1.0f;
    const bool one = m_clock.Bit(bit);
    for (const std::uint64_t pulse : {std::uint64_t{0}, one ? length / 2 : length}) {
        if (inCell >= pulse && inCell < pulse + cells::kPulseHalf) return 1;
        if (inCell >= pulse + cells::kPulseHalf && inCell < pulse + 2 * cells::kPulseHalf)
            return -1;
    }
    return 0;
}

SampleRange SynthesisedWave::Range(std::uint64_t from, std::uint64_t to) const {
    const std::uint64_t tapeFrom = m_clock.CellStart(0), tapeTo = m_clock.CellStart(m_clock.Bits());
    SampleRange range{1, -1};
    auto take = [&range](float level) {
        range.low = std::min(range.low, level);
        range.high = std::max(range.high, level);
    };
    if (from < tapeFrom || to > tapeTo) take(0); // silence
    // Highspeed ends on a closing low edge (sound/BitCells.h).
    if (m_format == TapeFormat::Highspeed && m_clock.Bits() > 0 && to > tapeTo &&
        from < tapeTo + cells::kClosingEdge)
        take(-1);
    from = std::max(from, tapeFrom);
    to = std::min(to, tapeTo);
    // Any whole cell swings all the way; only a stretch within two cells needs its samples.
    if (to > from && to - from > 2 * cells::kLevel1Cell) {
        take(-1), take(1);
    } else {
        for (std::uint64_t at = from; at < to;) {
            const std::uint64_t bit = m_clock.BitAt(at);
            const std::uint64_t start = m_clock.CellStart(bit);
            const std::uint64_t end = std::min(to, start + m_clock.CellLength(bit));
            for (; at < end; ++at)
                take(Level(bit, at - start));
        }
    }
    if (range.low > range.high) return {};
    return range;
}

} // namespace tonvale
