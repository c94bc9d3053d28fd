#pragma once
// The sound under the view: its lowest and highest sample over any stretch, quickly at every
// scale. For a recording a min/max summary made while the rescue reads it, as audio editors
// keep one; for an image the synthesis's own cells, worked out where they are asked for.
#include "base/Formats.h"
#include "rescue/SampleSource.h"
#include "sound/BitClock.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tonvale {

struct SampleRange {
    float low = 0, high = 0; // -1 to 1
};

class Waveform {
  public:
    virtual ~Waveform() = default;
    virtual double Rate() const = 0;
    virtual std::uint64_t Length() const = 0;
    // Samples [from, to), to > from.
    virtual SampleRange Range(std::uint64_t from, std::uint64_t to) const = 0;
};

// A recording's samples, 16 bits each, and their minima and maxima over blocks of 64, 512,
// 4096 ... samples.
class SampleSummary : public Waveform {
  public:
    explicit SampleSummary(double rate) : m_rate(rate) {}
    void Add(std::span<const float> samples);
    // Room for `samples` at once, so that a long recording is not held twice while it grows.
    void Reserve(std::uint64_t samples);

    double Rate() const override { return m_rate; }
    std::uint64_t Length() const override { return m_samples.size(); }
    SampleRange Range(std::uint64_t from, std::uint64_t to) const override;
    std::size_t Bytes() const; // what it holds

  private:
    struct MinMax {
        std::int16_t low, high;
    };
    void AddToLevel(std::size_t level, MinMax value);

    double m_rate;
    std::vector<std::int16_t> m_samples;
    std::vector<std::vector<MinMax>> m_levels; // level i: blocks of 64 * 8^i samples
    std::vector<MinMax> m_open;                // each level's block being filled (level 0: unused)
    std::vector<std::uint32_t> m_filled;       // how much of it
    std::uint64_t m_summarised = 0;            // samples in level 0's blocks
};

// Hands a recording on to the rescue and keeps its summary as the samples go by.
class SummarisingSource : public SampleSource {
  public:
    SummarisingSource(SampleSource& inner, SampleSummary& summary)
        : m_inner(inner), m_summary(summary) {
        m_summary.Reserve(inner.Length());
    }
    double Rate() const override { return m_inner.Rate(); }
    std::uint64_t Length() const override { return m_inner.Length(); }
    std::size_t Read(std::span<float> block) override;

  private:
    SampleSource& m_inner;
    SampleSummary& m_summary;
};

// An image's sound as the synthesis makes it at 22050 samples per second, none of it held.
class SynthesisedWave : public Waveform {
  public:
    SynthesisedWave(const BitClock& clock, TapeFormat format) : m_clock(clock), m_format(format) {}
    double Rate() const override;
    std::uint64_t Length() const override { return m_clock.Samples(); }
    SampleRange Range(std::uint64_t from, std::uint64_t to) const override;

  private:
    float Level(std::uint64_t bit, std::uint64_t inCell) const;
    const BitClock& m_clock;
    TapeFormat m_format;
};

} // namespace tonvale
