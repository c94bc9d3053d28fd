#pragma once
// A tape as it is being recorded, for a view that scrolls with the sound: the last stretch of
// the sound (older samples are let go, so that an hour costs no more than a minute) and the tape
// files ended so far, on one timeline with their bytes, verdicts and doubtful bytes.
#include "analysis/TapeReport.h"
#include "rescue/Rescue.h"
#include "view/TapeTimeline.h"
#include "view/Waveform.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace tonvale {

// The last `keptSeconds` of a sound coming in; Range() outside them is silence. The lowest and
// highest sample of each block of them are kept too, so that a minute on screen redraws quickly.
class RecentSound : public Waveform {
  public:
    RecentSound(double rate, double keptSeconds);
    void Add(std::span<const std::int16_t> samples);

    double Rate() const override { return m_rate; }
    std::uint64_t Length() const override { return m_length; } // every sample received
    SampleRange Range(std::uint64_t from, std::uint64_t to) const override;
    double KeptSeconds() const { return static_cast<double>(m_ring.size()) / m_rate; }

  private:
    static constexpr std::uint64_t kBlock = 64;
    struct MinMax {
        std::int16_t low, high;
    };

    double m_rate;
    std::vector<std::int16_t> m_ring; // sample n at n % size
    std::vector<MinMax> m_blocks;     // block b (samples from b * kBlock) at b % size
    std::uint64_t m_length = 0;
};

class LiveTape {
  public:
    LiveTape(double rate, double keptSeconds);

    void AddSound(std::span<const std::int16_t> samples) { m_sound.Add(samples); }
    // A tape file as the rescue tells it when it ends (alone, with its own image).
    void AddTapeFile(const RescueResult& lone);

    double Seconds() const { return static_cast<double>(m_sound.Length()) / m_sound.Rate(); }
    // The end of a stretch `span` seconds wide that ends at the newest sound, or starts at the
    // recording's start while the recording is shorter.
    double ShownTo(double span) const { return std::max(Seconds(), span); }
    const RecentSound& Sound() const { return m_sound; }
    const TapeTimeline& Timeline() const { return m_timeline; }

  private:
    RecentSound m_sound;
    RescueResult m_tape; // the ended tape files, one after another in one image
    TapeTimeline m_timeline;
};

} // namespace tonvale
