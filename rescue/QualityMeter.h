#pragma once
// The live signal quality: of the last second of sound, the share of bit cells the decoders
// read sure, and the pulses' peak against the level between them. It reads what the decoders
// put in the trace, and the samples they were given.
#include "rescue/Rescue.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace tonvale {

class QualityMeter {
  public:
    // `trace` is what the decoders fill; `ownTrace`: the meter's alone, emptied as it is read.
    QualityMeter(double rate, const RescueProgress& progress, RescueTrace& trace, bool ownTrace);
    // The samples the decoders were just given.
    void Feed(const float* samples, std::size_t count);

  private:
    struct Slice {
        std::uint64_t cells = 0, sure = 0;
        std::vector<float> peaks;
    };
    void Tick();
    Slice ReadTrace();
    float PeakAround(double seconds) const;
    float LevelBetweenPulses();

    double m_rate;
    const RescueProgress& m_progress;
    RescueTrace& m_trace;
    bool m_ownTrace;
    std::size_t m_pulsesRead = 0, m_cellsRead = 0;
    std::vector<float> m_ring; // |sample| of the last samples, a power of two long
    std::uint64_t m_done = 0;
    std::uint64_t m_nextTick;
    std::uint64_t m_tickSamples;
    std::deque<Slice> m_slices; // the last second's
    std::size_t m_slicesKept;
    std::vector<float> m_scratch;
};

} // namespace tonvale
