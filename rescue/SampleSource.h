#pragma once
// Where the rescue gets its sound: mono samples handed over in blocks, so that a long recording
// is never held whole. The scale does not matter (the decoders follow the level), nor the rate
// (every time is measured in the recording's own samples).
#include <cstddef>
#include <cstdint>
#include <span>

namespace tonvale {

class SampleSource {
  public:
    virtual ~SampleSource() = default;
    // Samples per second.
    virtual double Rate() const = 0;
    // How many samples there are in all, as far as known (0: unknown); for the progress only.
    virtual std::uint64_t Length() const = 0;
    // Fills the front of `block` with the next samples and says how many; 0 at the end.
    virtual std::size_t Read(std::span<float> block) = 0;
};

// Samples already in memory: tests, benchmarks, the fuzzer.
class MemorySampleSource : public SampleSource {
  public:
    MemorySampleSource(std::span<const float> samples, double rate)
        : m_samples(samples), m_rate(rate) {}
    double Rate() const override { return m_rate; }
    std::uint64_t Length() const override { return m_samples.size(); }
    std::size_t Read(std::span<float> block) override;

  private:
    std::span<const float> m_samples;
    double m_rate;
    std::size_t m_next = 0;
};

} // namespace tonvale
