#pragma once
// Highspeed recordings: one square-wave cycle per bit, a 1 twice as fast as a 0.
//
//     __    __  ____      ____
//       |__|  ||    |____|          1 1 0
//
// The zero crossings are found with a hysteresis that follows the level. A bit is a whole cycle
// from one crossing to the next of the same direction: its length does not change when a DC
// offset or clipping moves the crossings within it. Which direction opens a cycle depends on
// the polarity, so two lanes listen, one for each; the wrong one never finds a sync byte.
// Each lane learns the lengths of a 0 and a 1 from the leader and follows them.
//
// A half-cycle lost or heard twice turns the rest of the signal upside down: the reading lane's
// cycles then straddle two bits and fall between a 0 and a 1, while the other lane's fit. The
// other lane then takes the tape file over, and the framer finds the bytes' start bits again.
#include "rescue/BitFramer.h"
#include "rescue/Rescue.h"

#include <vector>

namespace tonvale {

class HighspeedDecoder {
  public:
    HighspeedDecoder(double rate, std::vector<DecodedFile>& out, RescueTrace* trace = nullptr);
    // A fragment with no leader, a 0 bit's cycle `zero` samples long: both polarities are read
    // from the start, and the one whose cycles fit the better is kept in the trace.
    void StartAt(double zero);
    void Feed(const float* samples, std::size_t count);
    void Finish();

  private:
    class Lane {
      public:
        Lane(double rate, bool inverted, std::vector<DecodedFile>& out, RescueTrace* trace)
            : m_rate(rate), m_framer(TapeFormat::Highspeed, inverted, out), m_trace(trace) {}
        void StartAt(double zero);
        double FragmentFit() const { return m_fragmentFit; }
        std::vector<TraceCell> TakeFragmentCells() { return std::move(m_fragmentCells); }
        void Cycle(double start, double length);
        void Break();
        bool Reading() const { return m_locked && m_framer.Reading(); }
        bool Locked() const { return m_locked; }
        // How well the last cycles fitted the lengths of a 0 and a 1, from 0 to 1.
        double Fit() const { return m_fit; }
        // A cycle of this lane judged by the lengths `reader` follows.
        void Watch(double length, const Lane& reader);
        bool ShouldTakeOver(const Lane& reader) const;
        void TakeOver(Lane& reader);

      private:
        void Hunt(double start, double length);
        void Push(double start, double length, float doubt);
        float Confidence(double length) const;

        double m_rate;
        BitFramer m_framer;
        RescueTrace* m_trace;
        bool m_fragment = false; // read from the start, with no leader
        std::vector<TraceCell> m_fragmentCells;
        double m_fragmentFit = 0; // the confidences of its cells, added up
        bool m_locked = false;
        double m_zero = 0, m_one = 0; // cycle lengths in samples
        // Hunting: a run of cycles that alternate short and long.
        double m_previous = 0;
        unsigned m_run = 0;
        double m_sumShort = 0, m_sumLong = 0;
        // A cycle out of range, held until the next one says whether the signal goes on.
        bool m_held = false;
        double m_heldStart = 0, m_heldLength = 0;
        double m_fit = 0;
        unsigned m_cycles = 0; // since this lane began reading
    };

    void OnCrossing(double time, bool falling);

    RescueTrace* m_trace;
    bool m_fragment = false;
    Lane m_lanes[2]; // cycles that open with a falling crossing (the machine's own), a rising one
    double m_decay;
    double m_level = 0;
    double m_sample = 0;
    float m_previous = 0;
    double m_lastZero = 0;      // where the signal last changed sign
    int m_side = 0;             // +1 above the hysteresis, -1 below, 0 not yet known
    double m_crossings[2] = {}; // the last two crossings' times
    unsigned m_crossingCount = 0;
};

} // namespace tonvale
