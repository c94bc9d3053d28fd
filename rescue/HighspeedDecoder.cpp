#include "rescue/HighspeedDecoder.h"

#include <algorithm>
#include <cmath>

namespace tonvale {

namespace {

constexpr double kLevelSeconds = 0.02;
constexpr double kHysteresis = 0.3;                 // share of the level a swing must pass
constexpr double kFloor = 1e-4;                     // below this a recording is silent
constexpr double kShortestOne = 0.12e-3;            // a 1 cycle, sped up
constexpr double kLongestOne = 1.0e-3;              // and slowed down
constexpr double kLowRatio = 1.5, kHighRatio = 2.7; // a 0 cycle against a 1 cycle
constexpr unsigned kLockRun = 32;
constexpr double kGain = 0.05;
constexpr double kFitGain = 0.3;  // how fast a lane's fit follows its cycles
constexpr double kGoodFit = 0.85; // the other lane's, to take a tape file over
constexpr double kPoorFit = 0.6;  // the reading lane's, to give it up
constexpr unsigned kSettled = 16; // cycles a lane reads before it may lose the tape file

} // namespace

HighspeedDecoder::HighspeedDecoder(double rate, std::vector<DecodedFile>& out, RescueTrace* trace)
    : m_trace(trace), m_lanes{Lane(rate, false, out, trace), Lane(rate, true, out, trace)},
      m_decay(std::exp(-1.0 / (kLevelSeconds * rate))) {}

void HighspeedDecoder::Feed(const float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float y = samples[i];
        m_level = std::max<double>(std::abs(y), m_level * m_decay);
        if ((y >= 0) != (m_previous >= 0)) // interpolated between the two samples
            m_lastZero = m_sample - 1 + m_previous / (m_previous - y);
        m_previous = y;
        m_sample += 1;
        const double h = std::max(kHysteresis * m_level, kFloor);
        if (y > h && m_side <= 0) {
            if (m_side < 0) OnCrossing(m_lastZero, false);
            m_side = 1;
        } else if (y < -h && m_side >= 0) {
            if (m_side > 0) OnCrossing(m_lastZero, true);
            m_side = -1;
        }
    }
}

// A cycle ends at every crossing: for the lane that opens cycles in this direction. While the
// other lane reads a tape file, this one watches how its cycles would fit.
void HighspeedDecoder::OnCrossing(double time, bool falling) {
    if (m_crossingCount >= 2) {
        const double start = m_crossings[0];
        Lane& lane = m_lanes[falling ? 0 : 1];
        Lane& other = m_lanes[falling ? 1 : 0];
        if (other.Reading() && !lane.Locked()) {
            lane.Watch(time - start, other);
            if (lane.ShouldTakeOver(other)) lane.TakeOver(other);
        }
        lane.Cycle(start, time - start);
    }
    m_crossings[0] = m_crossings[1];
    m_crossings[1] = time;
    ++m_crossingCount;
}

void HighspeedDecoder::StartAt(double zero) {
    m_fragment = true;
    for (Lane& lane : m_lanes)
        lane.StartAt(zero);
}

void HighspeedDecoder::Finish() {
    for (Lane& lane : m_lanes)
        lane.Break();
    if (m_fragment && m_trace) {
        Lane& better =
            m_lanes[0].FragmentFit() >= m_lanes[1].FragmentFit() ? m_lanes[0] : m_lanes[1];
        for (const TraceCell& cell : better.TakeFragmentCells())
            m_trace->cells.push_back(cell);
    }
}

void HighspeedDecoder::Lane::Cycle(double start, double length) {
    if (!m_locked) {
        Hunt(start, length);
        return;
    }
    const bool inRange = length > 0.6 * m_one && length < 1.5 * m_zero;
    if (!inRange) {
        // Two in a row, or one far out: the signal ended or broke.
        if (m_held || length > 4 * m_zero) {
            Break();
            return;
        }
        m_held = true;
        m_heldStart = start;
        m_heldLength = length;
        return;
    }
    if (m_held) Push(m_heldStart, m_heldLength, 1.0f);
    m_held = false;
    Push(start, length, 0.0f);
}

float HighspeedDecoder::Lane::Confidence(double length) const {
    const double threshold = 0.5 * (m_zero + m_one);
    const double distance = std::abs(length - threshold) / (0.5 * (m_zero - m_one));
    return static_cast<float>(std::clamp((distance - 0.2) / 0.4, 0.0, 1.0));
}

void HighspeedDecoder::Lane::Watch(double length, const Lane& reader) {
    const bool inRange = length > 0.6 * reader.m_one && length < 1.5 * reader.m_zero;
    m_fit += kFitGain * ((inRange ? reader.Confidence(length) : 0.0) - m_fit);
}

bool HighspeedDecoder::Lane::ShouldTakeOver(const Lane& reader) const {
    return m_fit > kGoodFit && reader.m_fit < kPoorFit && reader.m_cycles >= kSettled;
}

// The signal turned over: this lane reads on at the other's speed, from where it stood.
void HighspeedDecoder::Lane::TakeOver(Lane& reader) {
    m_locked = true;
    m_zero = reader.m_zero;
    m_one = reader.m_one;
    m_held = false;
    m_cycles = 0;
    m_framer.TakeOver(reader.m_framer);
    m_framer.Slip();
    reader.Break();
}

void HighspeedDecoder::Lane::Push(double start, double length, float doubt) {
    const double threshold = 0.5 * (m_zero + m_one);
    const bool one = length < threshold;
    const float confidence = Confidence(length);
    m_fit += kFitGain * (confidence * (1.0f - doubt) - m_fit);
    ++m_cycles;
    if (doubt == 0.0f) {
        double& mean = one ? m_one : m_zero;
        mean += kGain * (length - mean);
    }
    m_framer.Push(one, confidence * (1.0f - doubt), start);
    const TraceCell cell{start / m_rate, length / m_rate, one, confidence * (1.0f - doubt),
                         TapeFormat::Highspeed};
    if (m_fragment) {
        m_fragmentCells.push_back(cell);
        m_fragmentFit += cell.confidence;
    } else if (m_trace && m_framer.Reading()) {
        m_trace->cells.push_back(cell);
    }
    if (m_zero < kLowRatio * m_one || m_zero > kHighRatio * m_one) Break();
}

// The leader 55h alternates 0 and 1 bits: long and short cycles, one after the other.
void HighspeedDecoder::Lane::Hunt(double start, double length) {
    const double ratio = m_previous > 0 ? length / m_previous : 0;
    const bool longAfterShort = ratio >= kLowRatio && ratio <= kHighRatio;
    const bool shortAfterLong = ratio >= 1 / kHighRatio && ratio <= 1 / kLowRatio;
    const double one = longAfterShort ? m_previous : length;
    const bool plausible = one >= kShortestOne * m_rate && one <= kLongestOne * m_rate;
    m_previous = length;
    if (!(longAfterShort || shortAfterLong) || !plausible) {
        m_run = 0;
        m_sumShort = m_sumLong = 0;
        return;
    }
    ++m_run;
    (longAfterShort ? m_sumLong : m_sumShort) += length;
    if (m_run < kLockRun) return;
    m_locked = true;
    m_zero = m_sumLong / (m_run / 2);
    m_one = m_sumShort / (m_run - m_run / 2);
    m_held = false;
    m_fit = 1;
    m_cycles = 0;
    Push(start, length, 0.0f);
}

void HighspeedDecoder::Lane::StartAt(double zero) {
    m_locked = m_fragment = true;
    m_zero = zero;
    m_one = zero / 2;
    m_fit = 1;
}

void HighspeedDecoder::Lane::Break() {
    m_framer.Break();
    m_locked = false;
    m_fit = 0;
    m_held = false;
    m_run = 0;
    m_previous = 0;
    m_sumShort = m_sumLong = 0;
}

} // namespace tonvale
