#pragma once
// Level 1 and Level 2 recordings: a pulse opens every bit cell, and a 1 bit has a second pulse
// half a cell later.
//
//     |    |    |  |    |  |    |        0 0 1 1 0
//     clock     clock+data
//
// Pulses are found by their energy (the sum of squares over a pulse's length), whatever their
// polarity or shape, against the level of the pulses around them. The clock is learnt from the
// leader and followed from pulse to pulse, so that a recording off speed, or one whose speed
// wanders, keeps its cells.
//
// When the cells go wrong inside a tape file (a burst of noise, a dropout) the clock runs on at
// the learnt speed while the decoder waits for pulses that fall into the cell pattern again;
// the cells across the gap are counted, so the bytes behind it stay in step.
#include "rescue/BitFramer.h"

#include <vector>

namespace tonvale {

class PulseDecoder {
  public:
    PulseDecoder(double rate, std::vector<DecodedFile>& out);
    // The next samples, the DC already taken out.
    void Feed(const float* samples, std::size_t count);
    // The recording ended.
    void Finish();

  private:
    struct Cell {
        double start = 0; // the clock pulse's time, or where it should have been
        bool clockSeen = false;
        double dataStrength = 0; // the strongest pulse in the cell's middle, 0: none
        double dataPhase = 0;
        double weakStrength = 0; // the strongest pulse too weak to count there
        bool extra = false;      // pulses where none belong
    };

    void EndBlob();
    void OnPulse(double time, double energy, bool rises);
    void Hunt(double time, double energy);
    void Follow(double time, double energy, bool rises);
    void EmitCell();
    void Unlock();
    void Coast(double time, double energy, bool rises);
    void Relock(std::size_t firstClock);

    double m_rate;
    BitFramer m_framer;

    // The energy envelope.
    std::vector<float> m_ring;
    std::size_t m_ringAt = 0;
    double m_sum = 0;
    double m_peak = 0; // the recent loudest envelope, decaying
    double m_decay;
    double m_floor;
    double m_sample = 0; // the index of the next sample

    // A blob: the envelope above the weak threshold.
    bool m_inBlob = false;
    double m_blobMax = 0, m_blobWeight = 0, m_blobMoment = 0, m_blobLength = 0;
    bool m_blobRises = false; // its first lobe goes up: the machine's own polarity
    long m_polarity = 0;      // clock pulses that rose first, less those that fell first

    // Hunting the leader: a run of equally spaced pulses.
    double m_lastPulse = -1e18;
    double m_runMean = 0, m_runEnergy = 0;
    unsigned m_run = 0;

    // Following the clock.
    bool m_locked = false;
    double m_period = 0, m_lockedPeriod = 0;
    double m_pulseEnergy = 0; // the clock pulses' usual energy
    Cell m_cell;
    unsigned m_recentTrouble = 0; // bad cells among the last ones, as a shift register

    // Riding through a burst: the last good cell, and the pulses since that fit the cell
    // pattern, half a cell apart or a whole one, with a clock in every cell.
    struct Pulse {
        double time, energy;
        bool rises;
    };
    bool m_coasting = false;
    double m_goodStart = 0, m_goodPeriod = 0;
    unsigned m_sinceGood = 0; // cells given since the last good one
    std::vector<Pulse> m_chain;
    unsigned m_chainHalves = 0;                       // from the chain's first pulse to its last
    bool m_firstIsClock = true, m_firstIsData = true; // what the first pulse may still be
    unsigned m_chainData = 0;
};

} // namespace tonvale
