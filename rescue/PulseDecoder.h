#pragma once
// Level 1 and Level 2 recordings: a pulse opens every bit cell, and a 1 bit has a second pulse
// half a cell later.
//
//     |    |    |  |    |  |    |        0 0 1 1 0
//     clock     clock+data
//
// A pulse is found where the signal's energy (the sum of squares over a pulse's length) rises
// against the level of the pulses around it, whatever its shape. Its lobes are then looked at:
// a real cassette gives back a narrow spike with a trough and a rebound behind it, the
// machine's own sound two square halves. The lobe that first reaches half the pulse's height
// gives its polarity and its time, unless a lobe of the polarity the pulses before it showed
// reaches that too (a capture overdriven to both rails dips to one before each edge); a second
// lobe of that polarity far enough behind it is a pulse of its own (a data pulse run into its
// clock on a fast tape). Heights are amplitudes, judged against the clock pulses around them:
// data pulses come back lower than clock pulses, and the level wanders. The clock is learnt from
// the leader and followed from pulse to pulse, so that a recording off speed, or one whose speed
// wanders, keeps its cells.
//
// When the cells go wrong inside a tape file (a burst of noise, a dropout) the clock runs on at
// the learnt speed while the decoder waits for pulses that fall into the cell pattern again;
// the cells across the gap are counted, so the bytes behind it stay in step.
#include "rescue/BitFramer.h"
#include "rescue/Rescue.h"

#include <optional>
#include <vector>

namespace tonvale {

class PulseDecoder {
  public:
    PulseDecoder(double rate, std::vector<DecodedFile>& out, RescueTrace* trace = nullptr);
    // The next samples, the DC already taken out.
    void Feed(const float* samples, std::size_t count);
    // The recording ended.
    void Finish();
    // A fragment with no leader: the clock starts at the first pulse with `period` samples.
    void StartAt(double period) { m_assumedPeriod = period; }

  private:
    struct Cell {
        double start = 0; // the clock pulse's time, or where it should have been
        bool clockSeen = false;
        double dataStrength = 0; // the strongest pulse in the cell's middle, 0: none
        double dataPhase = 0;
        double weakStrength = 0; // the strongest pulse too weak to count there
        bool extra = false;      // pulses where none belong
    };

    struct Pulse {
        double time = 0;
        double height = 0;   // of its main lobe, an amplitude
        double envelope = 0; // the energy envelope's top over it
        bool rises = true;   // its main lobe goes up: the machine's own polarity
    };

    struct Lobe {
        double time, height;
    };

    void EndBlob();
    float KeptPolarity(float top) const;
    double Loudest(double time) const;
    std::vector<Lobe> FindLobes(std::uint64_t from, float sign, float lowest) const;
    float History(std::uint64_t n) const { return m_history[n & (m_history.size() - 1)]; }
    void OnPulse(const Pulse& pulse);
    void Hunt(const Pulse& pulse);
    void Lock(const Pulse& pulse);
    void StartFragment(const Pulse& pulse);
    void ResolveLate(const Pulse* next);
    void StartWithData(const Pulse& pulse, double strength, double expected);
    void Follow(const Pulse& pulse);
    void StartWithClock(const Pulse& pulse, bool wrongWay);
    void WithinCell(const Pulse& pulse, double strength, double phase);
    void EmitCell();
    void Unlock();
    void Coast(const Pulse& pulse);
    void Relock(std::size_t firstClock);
    void TracePulse(const Pulse& pulse, PulseRole role);

    double m_rate;
    BitFramer m_framer;
    RescueTrace* m_trace;

    // The energy envelope.
    std::vector<float> m_ring;
    std::size_t m_ringAt = 0;
    double m_sum = 0;
    double m_peak = 0; // the recent loudest envelope, decaying
    double m_decay;
    double m_floor;
    float m_baseStep;
    float m_base = 0;  // the level between pulses
    float m_level = 0; // the loudest recent pulse's, as an amplitude, now and then
    // The latest samples as they came, for a pulse's lobes (a power of two of them).
    std::vector<float> m_history;
    std::uint64_t m_written = 0;

    // A blob: the envelope above the weak threshold.
    bool m_inBlob = false;
    double m_blobMax = 0, m_blobLength = 0;
    std::uint64_t m_blobStart = 0;
    long m_polarity = 0;                   // clock pulses that rose, less those that fell
    double m_loudest = 0, m_loudestAt = 0; // the recent highest pulse, when it was heard
    bool m_loudestRises = true;

    // Hunting the leader: a run of equally spaced pulses.
    double m_lastPulse = -1e18;
    double m_runMean = 0, m_runHeight = 0, m_runEnvelope = 0;
    long m_runPolarity = 0;
    unsigned m_run = 0;
    double m_assumedPeriod = 0;

    // Following the clock.
    bool m_locked = false;
    double m_period = 0, m_lockedPeriod = 0;
    double m_pulseEnergy = 0; // the clock pulses' usual envelope
    double m_clockHeight = 0; // and height
    Cell m_cell;
    // A pulse where a late clock or a data pulse may be, until the next one tells.
    struct Late {
        Pulse pulse;
        double strength, expected;
    };
    std::optional<Late> m_late;
    unsigned m_recentTrouble = 0; // bad cells among the last ones, as a shift register

    // Riding through a burst: the last good cell, and the pulses since that fit the cell
    // pattern, half a cell apart or a whole one, with a clock in every cell.
    bool m_coasting = false;
    double m_goodStart = 0, m_goodPeriod = 0;
    unsigned m_sinceGood = 0; // cells given since the last good one
    std::vector<Pulse> m_chain;
    unsigned m_chainHalves = 0;                       // from the chain's first pulse to its last
    bool m_firstIsClock = true, m_firstIsData = true; // what the first pulse may still be
};

} // namespace tonvale
