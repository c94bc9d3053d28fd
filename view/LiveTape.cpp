#include "view/LiveTape.h"

#include "analysis/AnalyseTape.h"

#include <algorithm>
#include <cmath>

namespace tonvale {

RecentSound::RecentSound(double rate, double keptSeconds)
    : m_rate(rate), m_ring(std::max<std::size_t>(1, static_cast<std::size_t>(rate * keptSeconds))),
      // Two blocks more than the ring spans: a block wholly kept is never overwritten.
      m_blocks(m_ring.size() / kBlock + 2) {}

void RecentSound::Add(std::span<const std::int16_t> samples) {
    for (const std::int16_t s : samples) {
        MinMax& block = m_blocks[m_length / kBlock % m_blocks.size()];
        block = m_length % kBlock == 0 ? MinMax{s, s}
                                       : MinMax{std::min(block.low, s), std::max(block.high, s)};
        m_ring[m_length++ % m_ring.size()] = s;
    }
}

SampleRange RecentSound::Range(std::uint64_t from, std::uint64_t to) const {
    const std::uint64_t kept = std::min<std::uint64_t>(m_length, m_ring.size());
    from = std::max(from, m_length - kept);
    to = std::min(to, m_length);
    if (from >= to) return {};
    MinMax range{INT16_MAX, INT16_MIN};
    const auto take = [&range](MinMax part) {
        range = {std::min(range.low, part.low), std::max(range.high, part.high)};
    };
    // Whole blocks where they fit, single samples at the ends.
    for (std::uint64_t n = from; n < to;) {
        if (n % kBlock == 0 && n + kBlock <= to) {
            take(m_blocks[n / kBlock % m_blocks.size()]);
            n += kBlock;
        } else {
            const std::int16_t s = m_ring[n++ % m_ring.size()];
            take({s, s});
        }
    }
    return {range.low / 32767.0f, range.high / 32767.0f};
}

LiveTape::LiveTape(double rate, double keptSeconds) : m_sound(rate, keptSeconds) {
    m_tape.rate = rate;
}

void LiveTape::AddTapeFile(const RescueResult& lone) {
    // The lone tape file's bits start at its own image's start; behind the others here.
    const std::uint64_t behind = static_cast<std::uint64_t>(m_tape.image.size()) * 8;
    for (RescuedTapeFile file : lone.files) {
        file.imageBit += behind;
        file.copyOf.reset();
        m_tape.files.push_back(std::move(file));
    }
    m_tape.image.insert(m_tape.image.end(), lone.image.begin(), lone.image.end());
    m_tape.seconds = std::max(m_tape.seconds, lone.seconds);
    FixedLevel answer; // Level 2 where the tape does not tell: a live view cannot ask
    const TapeReport report = AnalyseTape(m_tape.image, answer, AnalysisSettings{});
    m_timeline = TapeTimeline::OfRescue(m_tape, report);
}

} // namespace tonvale
