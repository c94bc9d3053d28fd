#include "view/LiveTape.h"

#include "analysis/AnalyseTape.h"

#include <algorithm>
#include <cmath>

namespace tonvale {

RecentSound::RecentSound(double rate, double keptSeconds)
    : m_rate(rate), m_ring(std::max<std::size_t>(1, static_cast<std::size_t>(rate * keptSeconds))) {
}

void RecentSound::Add(std::span<const std::int16_t> samples) {
    for (const std::int16_t s : samples)
        m_ring[m_length++ % m_ring.size()] = s;
}

SampleRange RecentSound::Range(std::uint64_t from, std::uint64_t to) const {
    const std::uint64_t kept = std::min<std::uint64_t>(m_length, m_ring.size());
    from = std::max(from, m_length - kept);
    to = std::min(to, m_length);
    if (from >= to) return {};
    std::int16_t low = m_ring[from % m_ring.size()], high = low;
    for (std::uint64_t n = from + 1; n < to; ++n) {
        const std::int16_t s = m_ring[n % m_ring.size()];
        low = std::min(low, s);
        high = std::max(high, s);
    }
    return {low / 32767.0f, high / 32767.0f};
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
