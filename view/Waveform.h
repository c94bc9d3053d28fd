#pragma once
// The sound under the view: its lowest and highest sample over any stretch, quickly at every
// scale. For a recording a min/max summary made while the rescue reads it, as audio editors
// keep one; for an image the synthesis's own cells, worked out where they are asked for.
#include "base/Formats.h"
#include "rescue/Rescue.h"
#include "rescue/SampleSource.h"
#include "sound/BitClock.h"

#include <cstdint>
#include <functional>
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
    // Samples [from, to), to > from; a long stretch may be widened by a few samples.
    virtual SampleRange Range(std::uint64_t from, std::uint64_t to) const = 0;
};

// A recording's minima and maxima over blocks of 64, 512, 4096 ... samples, 16 bits each, and
// its samples themselves: kept here, or read again from the recording where they are asked
// for, so that a long recording is held once, in its file.
class SampleSummary : public Waveform {
  public:
    // Reads samples [from, from + out.size()) of the recording into `out`; how many it read.
    using Reader = std::function<std::size_t(std::uint64_t from, std::span<float> out)>;

    // Without a reader the samples are kept.
    explicit SampleSummary(double rate, Reader reader = {})
        : m_rate(rate), m_reader(std::move(reader)) {}
    void Add(std::span<const float> samples);
    // Room for `samples` at once, so that kept samples are not held twice while they grow.
    void Reserve(std::uint64_t samples);

    double Rate() const override { return m_rate; }
    std::uint64_t Length() const override { return m_length; }
    SampleRange Range(std::uint64_t from, std::uint64_t to) const override;
    std::size_t Bytes() const; // what it holds

  private:
    struct MinMax {
        std::int16_t low, high;
    };
    void AddBlock(const std::int16_t* samples);
    void AddToLevel(std::size_t level, MinMax value);
    std::int16_t Sample(std::uint64_t index) const;

    double m_rate;
    Reader m_reader;
    std::uint64_t m_length = 0;
    std::vector<std::int16_t> m_samples;       // without a reader: every one
    std::vector<std::int16_t> m_partial;       // with one: those of the block being filled
    std::vector<std::vector<MinMax>> m_levels; // level i: blocks of 64 * 8^i samples
    std::vector<MinMax> m_open;                // each level's block being filled (level 0: unused)
    std::vector<std::uint32_t> m_filled;       // how much of it
    // The stretch of samples read again last, for the redraws that follow.
    mutable std::vector<std::int16_t> m_cache;
    mutable std::uint64_t m_cacheFrom = 0;
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

// The decoders keep their trace each in its own time order; the view looks pulses and cells up
// by time over all of them. Puts both in one order, each pulse still naming its cell.
void PutInTimeOrder(RescueTrace& trace);

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
