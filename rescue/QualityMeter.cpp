#include "rescue/QualityMeter.h"

#include "rescue/DecodedFile.h"

#include <algorithm>
#include <cmath>

namespace tonvale {

namespace {

constexpr double kWindowSeconds = 1;
constexpr double kPeakSearchSeconds = 0.0002; // a pulse's trace time lies this near its peak

std::size_t PowerOfTwoAtLeast(double n) {
    std::size_t size = 1;
    while (static_cast<double>(size) < n)
        size *= 2;
    return size;
}

float Median(std::vector<float>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

QualityMeter::QualityMeter(double rate, const RescueProgress& progress, RescueTrace& trace,
                           bool ownTrace)
    : m_rate(rate), m_progress(progress), m_trace(trace), m_ownTrace(ownTrace),
      m_ring(PowerOfTwoAtLeast(rate * (kWindowSeconds + 0.5))),
      m_tickSamples(std::max<std::uint64_t>(
          1, static_cast<std::uint64_t>(std::max(0.01, progress.qualitySeconds) * rate))),
      m_slicesKept(std::max<std::size_t>(
          1, static_cast<std::size_t>(
                 std::ceil(kWindowSeconds * rate / static_cast<double>(m_tickSamples))))) {
    m_nextTick = m_tickSamples;
}

void QualityMeter::Feed(const float* samples, std::size_t count) {
    const std::size_t mask = m_ring.size() - 1;
    for (std::size_t i = 0; i < count; ++i)
        m_ring[(m_done + i) & mask] = std::fabs(samples[i]);
    m_done += count;
    // A block longer than a tick gives one figure: the decoders have read it all by now.
    if (m_done < m_nextTick) return;
    m_nextTick = (m_done / m_tickSamples + 1) * m_tickSamples;
    Tick();
}

void QualityMeter::Tick() {
    m_slices.push_back(ReadTrace());
    while (m_slices.size() > m_slicesKept)
        m_slices.pop_front();
    RescueQuality quality;
    quality.seconds = static_cast<double>(m_done) / m_rate;
    std::uint64_t sure = 0;
    m_scratch.clear();
    for (const Slice& slice : m_slices) {
        quality.cells += slice.cells;
        sure += slice.sure;
        m_scratch.insert(m_scratch.end(), slice.peaks.begin(), slice.peaks.end());
    }
    if (quality.cells > 0)
        quality.sureShare = static_cast<double>(sure) / static_cast<double>(quality.cells);
    quality.pulses = m_scratch.size();
    if (!m_scratch.empty()) {
        const float peak = Median(m_scratch);
        const float level = LevelBetweenPulses();
        if (peak > 0) quality.pulseToNoiseDb = 20 * std::log10(peak / std::max(level, 1e-6f));
    }
    m_progress.quality(quality);
}

// What the decoders traced since the last tick.
QualityMeter::Slice QualityMeter::ReadTrace() {
    Slice slice;
    for (std::size_t i = m_cellsRead; i < m_trace.cells.size(); ++i) {
        ++slice.cells;
        if (m_trace.cells[i].confidence * 255 >= kDoubtfulBelow) ++slice.sure;
    }
    for (std::size_t i = m_pulsesRead; i < m_trace.pulses.size(); ++i)
        if (m_trace.pulses[i].role != PulseRole::Stray)
            slice.peaks.push_back(PeakAround(m_trace.pulses[i].seconds));
    if (m_ownTrace) {
        m_trace.cells.clear();
        m_trace.pulses.clear();
    }
    m_cellsRead = m_trace.cells.size();
    m_pulsesRead = m_trace.pulses.size();
    return slice;
}

// The highest sample about a pulse's time, of those still held.
float QualityMeter::PeakAround(double seconds) const {
    const auto reach = std::max<std::int64_t>(1, std::llround(kPeakSearchSeconds * m_rate));
    const std::int64_t centre = std::llround(seconds * m_rate);
    const auto oldest =
        static_cast<std::int64_t>(m_done) - static_cast<std::int64_t>(m_ring.size());
    const std::int64_t from = std::max(centre - reach, std::max<std::int64_t>(0, oldest));
    const std::int64_t to = std::min(centre + reach, static_cast<std::int64_t>(m_done) - 1);
    float peak = 0;
    for (std::int64_t i = from; i <= to; ++i)
        peak = std::max(peak, m_ring[static_cast<std::size_t>(i) & (m_ring.size() - 1)]);
    return peak;
}

// The median |sample| of the last second: pulses are narrow, so most samples lie between them.
float QualityMeter::LevelBetweenPulses() {
    const std::uint64_t window =
        std::min<std::uint64_t>(m_done, static_cast<std::uint64_t>(kWindowSeconds * m_rate));
    std::vector<float> values(static_cast<std::size_t>(window));
    for (std::uint64_t i = 0; i < window; ++i)
        values[static_cast<std::size_t>(i)] =
            m_ring[static_cast<std::size_t>(m_done - window + i) & (m_ring.size() - 1)];
    return values.empty() ? 0.0f : Median(values);
}

} // namespace tonvale
