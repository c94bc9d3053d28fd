#include "rescue/PulseDecoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace tonvale {

namespace {

constexpr double kPulseSeconds = 0.27e-3; // the machine's pulse: about 136 us each way
constexpr double kLevelSeconds = 0.03;    // how fast the level tracker forgets a loud pulse
constexpr double kBaseStep = 1.0;         // of the level: the most the base moves in a ms
constexpr double kCutSeconds = 0.5e-3;    // the start of a recording: maybe a pulse's end
constexpr double kSilence = 0.01;         // of full scale: hum and hiss, not a pulse
constexpr double kWeak = 0.12;            // a blob starts at this share of the level
constexpr double kHalf = 0.5;             // of a lobe's height: where its time is measured
constexpr double kSecondLobe = 0.35;      // of the main lobe: another pulse in the same blob
constexpr double kLobeSpacing = 0.3e-3;   // when this far from a higher one
constexpr double kStrong = 0.5;           // of the loudest recent pulse: a leader's pulse
constexpr double kCounts = 0.35;          // of the clock's height: a pulse that counts
constexpr double kSure = 0.1;             // this far above or below it: a sure 1 or 0
constexpr double kWrongWay = 0.5;         // a pulse upside down counts for this much
constexpr double kShortestCell = 0.6e-3;  // a fast Level 2 recording
constexpr double kLongestCell = 9e-3;     // a slow Level 1 one
constexpr double kRunTolerance = 0.15;    // leader pulses within this of their mean spacing
constexpr unsigned kLockRun = 32;         // leader pulses before the clock is trusted
constexpr double kLateClockDoubt = 0.1;   // of a cell: what a late clock is less likely by
constexpr double kMaxGapCells = 12;       // more empty cells than this: the signal broke
constexpr double kPeriodGain = 0.05;      // how fast the clock follows the speed
constexpr double kHeightGain = 0.1;       // and the level, which wanders faster
constexpr unsigned kTroubleWindow = 16;   // cells looked back on
constexpr unsigned kTroubleLimit = 6;     // bad cells among them that start a coast
constexpr double kMostCoastSeconds = 1;   // without a pulse pattern: the tape file has ended
constexpr double kChainTolerance = 0.3;   // of half a cell, a pulse off the pattern
constexpr unsigned kRelockCells = 16;     // cells of pattern before the clock is trusted again
constexpr unsigned kMostRelockCells = 64; // all 1 bits: clock and data look alike
constexpr double kInStep = 0.3;           // of a cell, a clock off the count across the gap
constexpr double kMostCountedCells = 200; // across a longer gap the count is a guess

} // namespace

PulseDecoder::PulseDecoder(double rate, std::vector<DecodedFile>& out, RescueTrace* trace)
    : m_rate(rate), m_framer(TapeFormat::Level1or2, false, out), m_trace(trace),
      m_ring(std::max<std::size_t>(2, static_cast<std::size_t>(std::lround(kPulseSeconds * rate)))),
      m_decay(std::exp(-1.0 / (kLevelSeconds * rate))),
      m_floor(kSilence * kSilence * static_cast<double>(m_ring.size())),
      m_baseStep(static_cast<float>(kBaseStep / (1e-3 * rate))),
      m_history(std::bit_ceil(16 * m_ring.size())) {}

void PulseDecoder::Feed(const float* samples, std::size_t count) {
    const std::size_t width = m_ring.size();
    for (std::size_t i = 0; i < count; ++i) {
        // Pulses stand on the level between them, which a cassette moves: behind a pulse's
        // trough, or where many pulses come close together.
        const float y = samples[i] - m_base;
        m_history[m_written++ & (m_history.size() - 1)] = y;
        const float e = y * y;
        m_sum += e - m_ring[m_ringAt];
        m_ring[m_ringAt] = e;
        if (++m_ringAt == width) m_ringAt = 0;
        const double envelope = std::max(m_sum, 0.0);
        m_peak = std::max(envelope, std::max(m_peak * m_decay, m_floor));
        const double weak = kWeak * (m_locked ? std::min(m_peak, m_pulseEnergy) : m_peak);
        if (envelope > weak) {
            if (!m_inBlob) {
                m_inBlob = true;
                m_blobMax = m_blobLength = 0;
                m_blobStart = m_written > width ? m_written - width : 0; // the window's oldest
            }
            m_blobMax = std::max(m_blobMax, envelope);
            m_blobLength += 1;
        } else if (m_inBlob && envelope < 0.7 * weak) {
            EndBlob();
        }
        // The level between pulses is the signal's median: pulses take up too little of the
        // time to move it, however far their tails reach. Stepped by a share of the level.
        if ((m_written & 31) == 0) m_level = static_cast<float>(std::sqrt(m_peak / width));
        const float step = m_baseStep * m_level;
        m_base += y > 0 ? step : -step;
    }
}

// The blob's own samples: the lobe that first reaches half the blob's height gives the
// polarity; every lobe of that polarity high enough, and far enough from a higher one, is a
// pulse (a trough's rebound is neither).
void PulseDecoder::EndBlob() {
    m_inBlob = false;
    // A blob many pulses long is a steady tone or a roar, not a pulse.
    if (m_blobLength > 8.0 * static_cast<double>(m_ring.size())) return;
    const std::uint64_t kept = std::min<std::uint64_t>(m_written, m_history.size());
    const std::uint64_t from = std::max(m_blobStart, m_written - kept);
    float top = 0;
    for (std::uint64_t n = from; n < m_written; ++n)
        top = std::max(top, std::abs(History(n)));
    if (!(top > 0)) return;
    float sign = 1;
    for (std::uint64_t n = from; n < m_written; ++n)
        if (std::abs(History(n)) >= kHalf * top) {
            sign = History(n) > 0 ? 1.0f : -1.0f;
            break;
        }
    // A pulse with two lobes near the same height, as some recorders give back, keeps the
    // polarity its clock has shown, whichever lobe the noise made come first; before the clock
    // is known, that of the loudest recent pulse. A capture overdriven to both rails is such a
    // pulse all through: the dip before each edge comes first.
    if (const float keep = KeptPolarity(top); keep != 0) {
        float high = 0;
        for (std::uint64_t n = from; n < m_written; ++n)
            high = std::max(high, keep * History(n));
        if (high >= kHalf * top) sign = keep;
    }
    const std::vector<Lobe> lobes = FindLobes(from, sign, kSecondLobe * top);
    const double spacing = kLobeSpacing * m_rate;
    for (const Lobe& lobe : lobes) {
        const bool shadowed = std::any_of(lobes.begin(), lobes.end(), [&](const Lobe& other) {
            return &other != &lobe && std::abs(other.time - lobe.time) < spacing &&
                   (other.height > lobe.height ||
                    (other.height == lobe.height && other.time < lobe.time));
        });
        // What the recording's first instants hold may be the end of a pulse cut short.
        const bool cut = lobe.time < kCutSeconds * m_rate;
        if (!shadowed && !cut) OnPulse({lobe.time, lobe.height, m_blobMax, sign > 0});
    }
}

// The polarity pulses have shown of late: the clock's, or before it is known the loudest
// recent pulse's while, fading, it still stands half as high as the blob of `top`; 0: none.
float PulseDecoder::KeptPolarity(float top) const {
    if (m_locked) return m_polarity > 0 ? 1.0f : m_polarity < 0 ? -1.0f : 0.0f;
    if (!(Loudest(static_cast<double>(m_written)) >= kHalf * top)) return 0;
    return m_loudestRises ? 1.0f : -1.0f;
}

// The loudest recent pulse's height at sample `time`, faded since it was heard.
double PulseDecoder::Loudest(double time) const {
    return m_loudest * std::exp(-std::max(0.0, time - m_loudestAt) / (kLevelSeconds * m_rate));
}

// The runs of samples on the `sign` side from `from` on, as high as `lowest` at least: each
// with its height and its time, the middle of what stands above half its height, weighted.
std::vector<PulseDecoder::Lobe> PulseDecoder::FindLobes(std::uint64_t from, float sign,
                                                        float lowest) const {
    std::vector<Lobe> lobes;
    for (std::uint64_t n = from; n < m_written;) {
        if (!(sign * History(n) > 0)) {
            ++n;
            continue;
        }
        std::uint64_t end = n;
        float high = 0;
        while (end < m_written && sign * History(end) > 0)
            high = std::max(high, sign * History(end++));
        double weight = 0, moment = 0;
        for (std::uint64_t k = n; k < end; ++k) {
            const double y = sign * History(k);
            if (y < kHalf * high) continue;
            weight += y * y;
            moment += y * y * static_cast<double>(k);
        }
        if (high >= lowest) lobes.push_back({moment / weight, high});
        n = end;
    }
    return lobes;
}

void PulseDecoder::OnPulse(const Pulse& pulse) {
    if (m_coasting)
        Coast(pulse);
    else if (m_locked)
        Follow(pulse);
    else
        Hunt(pulse);
}

void PulseDecoder::TracePulse(const Pulse& pulse, PulseRole role) {
    if (!m_trace) return;
    // Against the clock pulses once they are known; before, against the loudest recent pulse.
    const double against = m_locked ? m_clockHeight : Loudest(pulse.time);
    const double height = against > 0 ? pulse.height / against : 1;
    m_trace->pulses.push_back({pulse.time / m_rate, static_cast<float>(height), pulse.rises, role,
                               m_trace->cells.size()});
}

// A leader is a long run of clock pulses alone, equally spaced.
void PulseDecoder::Hunt(const Pulse& pulse) {
    // Faded from when it was heard, never twice over.
    const double loudest = std::max<double>(Loudest(pulse.time), pulse.height);
    if (pulse.height >= loudest) {
        m_loudest = pulse.height;
        m_loudestAt = pulse.time;
        m_loudestRises = pulse.rises;
    }
    if (m_assumedPeriod > 0) {
        StartFragment(pulse);
        return;
    }
    TracePulse(pulse, PulseRole::Stray);
    if (pulse.height < kStrong * loudest) return;
    const double spacing = pulse.time - m_lastPulse;
    m_lastPulse = pulse.time;
    const bool plausible = spacing >= kShortestCell * m_rate && spacing <= kLongestCell * m_rate;
    if (!plausible || std::abs(spacing - m_runMean) > kRunTolerance * m_runMean) {
        m_run = plausible ? 1 : 0;
        m_runMean = spacing;
        m_runHeight = pulse.height;
        m_runEnvelope = pulse.envelope;
        m_runPolarity = pulse.rises ? 1 : -1;
        return;
    }
    ++m_run;
    const double weight = 1.0 / std::min(m_run, 16u);
    m_runMean += weight * (spacing - m_runMean);
    m_runHeight += weight * (pulse.height - m_runHeight);
    m_runEnvelope += weight * (pulse.envelope - m_runEnvelope);
    m_runPolarity += pulse.rises ? 1 : -1;
    if (m_run >= kLockRun) Lock(pulse);
}

// A fragment without its leader: the clock's phase is where two pulses lie a whole cell apart
// with none between, the first of them a clock, and that gap is the cell's length. From there
// the pulses in front are told apart going back, half a cell to a clock's own data pulse, half
// or whole cells to a clock in front; a data pulse before the first clock is what is left of a
// cell cut off.
void PulseDecoder::StartFragment(const Pulse& pulse) {
    const double assumed = m_assumedPeriod;
    m_chain.push_back(pulse);
    std::size_t clock = m_chain.size();
    for (std::size_t k = 1; k < m_chain.size() && clock == m_chain.size(); ++k) {
        const double spacing = (m_chain[k].time - m_chain[k - 1].time) / assumed;
        if (std::abs(spacing - 1) < kRunTolerance * 2) clock = k - 1;
    }
    const bool waitedLong = pulse.time - m_chain.front().time > kMostRelockCells * assumed;
    if (clock == m_chain.size() && !waitedLong) return;
    const std::vector<Pulse> pulses = std::exchange(m_chain, {});
    m_assumedPeriod = 0;
    double period = assumed;
    std::size_t first = 0; // all 1 bits: the first pulse is taken for a clock
    if (clock < pulses.size()) {
        period = pulses[clock + 1].time - pulses[clock].time;
        first = clock;
        for (std::size_t k = clock; k > 0; --k) {
            const double back = (pulses[first].time - pulses[k - 1].time) / period;
            if (first == k && back > 0.75 && std::abs(back - std::round(back)) < 0.25) {
                first = k - 1; // the clock of a cell in front, the cells between lost
            } else if (std::abs(back - 0.5) < 0.2 && k >= 2 &&
                       std::abs((pulses[first].time - pulses[k - 2].time) / period - 1) < 0.25) {
                first = k - 2; // its data pulse, then its clock: a 1
                --k;
            } else {
                break;
            }
        }
    }
    const Pulse& start = pulses[first];
    m_runMean = period;
    m_runHeight = start.height;
    m_runEnvelope = start.envelope;
    m_runPolarity = start.rises ? 1 : -1;
    Lock(start);
    TracePulse(start, PulseRole::Clock);
    for (std::size_t k = 0; k < pulses.size(); ++k) {
        if (k < first)
            TracePulse(pulses[k], PulseRole::Stray);
        else if (k > first)
            Follow(pulses[k]);
    }
}

void PulseDecoder::Lock(const Pulse& pulse) {
    m_locked = true;
    m_period = m_lockedPeriod = m_runMean;
    m_pulseEnergy = m_runEnvelope;
    m_clockHeight = m_runHeight;
    m_cell = Cell{pulse.time, true};
    m_recentTrouble = 0;
    m_polarity = m_runPolarity;
    m_framer.SetInverted(m_polarity < 0);
    m_goodStart = pulse.time;
    m_goodPeriod = m_period;
    m_sinceGood = 0;
}

// Each pulse is placed by its phase in the cell: near 0 a clock, near a half a data pulse. Its
// height counts against the clock pulses': a data pulse may come back much lower.
void PulseDecoder::Follow(const Pulse& pulse) {
    const bool wrongWay = (m_polarity < 0) == pulse.rises;
    const double strength = pulse.height / m_clockHeight * (wrongWay ? kWrongWay : 1.0);
    const double u = (pulse.time - m_cell.start) / m_period;
    const double cells = std::floor(u + 0.25);
    const double phase = u - cells;
    if (strength < kCounts) { // too weak to count: it only makes a 0 in the middle less sure
        if (cells == 0 && phase >= 0.25)
            m_cell.weakStrength = std::max(m_cell.weakStrength, strength);
        TracePulse(pulse, PulseRole::Stray);
        return;
    }
    if (m_late) {
        ResolveLate(&pulse);
        Follow(pulse);
        return;
    }
    if (cells > kMaxGapCells) {
        EmitCell();
        m_coasting = true;
    }
    if (cells >= 1 && !m_coasting) {
        EmitCell();
        for (double k = 1; k < cells && !m_coasting; ++k) { // cells whose pulses were lost
            m_cell = Cell{m_cell.start + m_period};
            EmitCell();
        }
    }
    if (m_coasting) {
        m_chain.clear();
        Coast(pulse);
        return;
    }
    if (cells >= 1 && phase < 0.25)
        StartWithClock(pulse, wrongWay);
    else if (cells >= 1)
        m_late = Late{pulse, strength, m_cell.start + m_period};
    else
        WithinCell(pulse, strength, phase);
}

// The clock: the cell's speed and level follow it, and its time is the cell's start.
void PulseDecoder::StartWithClock(const Pulse& pulse, bool wrongWay) {
    m_period += kPeriodGain * (pulse.time - m_cell.start - m_period);
    m_period = std::clamp(m_period, 0.75 * m_lockedPeriod, 1.33 * m_lockedPeriod);
    if (!wrongWay) {
        m_clockHeight += kHeightGain * (pulse.height - m_clockHeight);
        m_pulseEnergy += kHeightGain * (pulse.envelope - m_pulseEnergy);
    }
    m_cell = Cell{pulse.time, true};
    m_polarity += pulse.rises ? 1 : -1;
    m_framer.SetInverted(m_polarity < 0);
    TracePulse(pulse, PulseRole::Clock);
}

// A pulse within the cell begun: its late clock, one too many, or its data pulse.
void PulseDecoder::WithinCell(const Pulse& pulse, double strength, double phase) {
    if (phase < 0.25 && !m_cell.clockSeen) {
        m_cell.clockSeen = true;
        TracePulse(pulse, PulseRole::Clock);
    } else if (phase < 0.25) {
        m_cell.extra = true;
        TracePulse(pulse, PulseRole::Stray);
    } else if (m_cell.dataStrength > 0) {
        m_cell.extra = true;
        if (strength > m_cell.dataStrength) {
            m_cell.dataStrength = strength;
            m_cell.dataPhase = phase;
        }
        TracePulse(pulse, PulseRole::Stray);
    } else {
        m_cell.dataStrength = strength;
        m_cell.dataPhase = phase;
        TracePulse(pulse, PulseRole::Data);
    }
}

// A cell whose clock did not come, and a pulse later in it: the clock late behind a pause in
// the writing (the machine waits for the next clock pulse, however late), or a data pulse whose
// clock was lost. The next pulse tells: half a cell or a whole one behind a clock, the rest of
// the cell behind a data pulse. A data pulse off the middle, or a clock late at all, counts
// against its reading.
void PulseDecoder::ResolveLate(const Pulse* next) {
    const Late late = *m_late;
    m_late.reset();
    bool clock = false;
    if (next) {
        const double d = (next->time - late.pulse.time) / m_period;
        const double phase = (late.pulse.time - late.expected) / m_period;
        const double asClock = kLateClockDoubt + std::min(std::abs(d - 0.5), std::abs(d - 1));
        const double rest = 1 - phase;
        const double asData =
            std::abs(phase - 0.5) + std::min(std::abs(d - rest), std::abs(d - rest - 0.5));
        clock = asClock < asData;
    }
    if (!clock) {
        StartWithData(late.pulse, late.strength, late.expected);
        return;
    }
    m_cell = Cell{late.pulse.time, true};
    TracePulse(late.pulse, PulseRole::Clock);
}

void PulseDecoder::StartWithData(const Pulse& pulse, double strength, double expected) {
    m_cell = Cell{expected, false};
    m_cell.dataStrength = strength;
    m_cell.dataPhase = (pulse.time - expected) / m_period;
    TracePulse(pulse, PulseRole::Data);
}

void PulseDecoder::EmitCell() {
    const bool one = m_cell.dataStrength > 0;
    float confidence = 1.0f;
    if (one) {
        const double byStrength = std::clamp((m_cell.dataStrength - kCounts) / kSure, 0.0, 1.0);
        const double byPhase =
            std::clamp((0.25 - std::abs(m_cell.dataPhase - 0.5)) / 0.1, 0.0, 1.0);
        confidence = static_cast<float>(std::min(byStrength, byPhase));
    } else {
        confidence =
            static_cast<float>(std::clamp((kCounts - m_cell.weakStrength) / kSure, 0.0, 1.0));
    }
    if (!m_cell.clockSeen) confidence = std::min(confidence, 0.25f);
    if (m_cell.extra) confidence *= 0.5f;
    m_framer.Push(one, confidence, m_cell.start);
    if (m_trace)
        m_trace->cells.push_back(
            {m_cell.start / m_rate, m_period / m_rate, one, confidence, TapeFormat::Level1or2});

    // Many bad cells in a row: the signal is gone or drowned; the clock coasts from the last
    // good cell until pulses fall into place again.
    const bool bad = !m_cell.clockSeen || m_cell.extra;
    if (bad) {
        ++m_sinceGood;
    } else {
        m_goodStart = m_cell.start;
        m_goodPeriod = m_period;
        m_sinceGood = 0;
    }
    m_recentTrouble = (m_recentTrouble << 1 | (bad ? 1u : 0u)) & ((1u << kTroubleWindow) - 1);
    if (static_cast<unsigned>(std::popcount(m_recentTrouble)) >= kTroubleLimit) {
        m_coasting = true;
        m_chain.clear();
    }
}

// Pulses while coasting: a chain of them half a cell or a whole cell apart, in which every cell
// has its clock. The first pulse is a clock or a data pulse; a cell without a clock rules one
// out. Noise breaks the chain and a new one starts.
void PulseDecoder::Coast(const Pulse& pulse) {
    const double time = pulse.time;
    if (time - m_goodStart > kMostCoastSeconds * m_rate) {
        Unlock();
        Hunt(pulse);
        return;
    }
    TracePulse(pulse, PulseRole::Stray);
    if (pulse.height < kCounts * m_clockHeight) return;
    bool fits = false;
    if (!m_chain.empty()) {
        const double halves = (time - m_chain.back().time) / (0.5 * m_goodPeriod);
        const double n = std::round(halves);
        fits = (n == 1 || n == 2) && std::abs(halves - n) < kChainTolerance;
        if (fits && n == 2) { // a whole cell on from a data pulse skips a clock
            const bool lastOdd = m_chainHalves % 2 == 1;
            (lastOdd ? m_firstIsClock : m_firstIsData) = false;
            fits = m_firstIsClock || m_firstIsData;
        }
        if (fits) m_chainHalves += static_cast<unsigned>(n);
    }
    if (!fits) {
        m_chain.clear();
        m_chainHalves = 0;
        m_firstIsClock = m_firstIsData = true;
    }
    m_chain.push_back(pulse);
    if (m_chainHalves < 2 * kRelockCells) return;
    if (m_firstIsClock && m_firstIsData) {
        // Every cell a 1 so far: the clock is where the old one would have it.
        if (m_chainHalves < 2 * kMostRelockCells) return;
        const double u = (m_chain[0].time - m_goodStart) / m_goodPeriod;
        Relock(std::abs(u - std::round(u)) < 0.25 ? 0 : 1);
        return;
    }
    Relock(m_firstIsClock ? 0 : 1);
}

// The clock again from the chain: the cells lost are counted at the speed between the one
// before the gap and the one behind it, and the chain's pulses read as usual.
void PulseDecoder::Relock(std::size_t firstClock) {
    const std::vector<Pulse> chain = std::move(m_chain);
    m_chain.clear();
    const double t0 = chain[firstClock].time;
    const double after =
        2 * (chain.back().time - t0) / static_cast<double>(m_chainHalves - firstClock);
    const double period = 0.5 * (m_goodPeriod + after);
    const double cells = (t0 - m_goodStart) / period;
    const double whole = std::round(cells);
    const double lost = whole - 1 - m_sinceGood;
    const bool inStep =
        lost >= 0 && std::abs(cells - whole) < kInStep && whole <= kMostCountedCells;
    const double from = std::min(t0, m_goodStart + (m_sinceGood + 1) * period);
    m_framer.Gap(lost > 0 ? static_cast<std::uint64_t>(lost) : 0, inStep, from, t0);
    m_coasting = false;
    m_period = std::clamp(after, 0.75 * m_lockedPeriod, 1.33 * m_lockedPeriod);
    m_cell = Cell{t0, true};
    m_recentTrouble = 0;
    m_goodStart = t0;
    m_goodPeriod = m_period;
    m_sinceGood = 0;
    for (std::size_t i = firstClock + 1; i < chain.size(); ++i)
        OnPulse(chain[i]);
}

void PulseDecoder::Unlock() {
    m_late.reset();
    m_framer.Break();
    m_coasting = false;
    m_chain.clear();
    m_locked = false;
    m_run = 0;
    m_runMean = 0;
    m_lastPulse = -1e18;
}

void PulseDecoder::Finish() {
    if (m_inBlob) EndBlob();
    if (m_late) ResolveLate(nullptr);
    if (m_locked && !m_coasting) EmitCell();
    Unlock();
}

} // namespace tonvale
