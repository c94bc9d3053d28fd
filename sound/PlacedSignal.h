#pragma once
// The tape's signal at any rate, sample size, polarity and level. Each bit cell is a few levels
// held for so many samples of the 22050 clock (sound/BitCells.h); every edge falls on the
// sample of the rate nearest to its time from the start of the image. The edges come from that
// absolute time, so a long tape does not drift however the rates divide.
#include "base/Bytes.h"
#include "base/Formats.h"
#include "sound/SoundOptions.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tonvale {

class PlacedSignal {
  public:
    // `rate`: samples per second to make; the options give the sample size, polarity and level.
    PlacedSignal(const SoundOptions& sound, std::uint32_t rate);

    // Samples at the rate up to the time of `clockSamples` samples at 22050.
    std::uint64_t Placed(std::uint64_t clockSamples) const;
    std::size_t SampleBytes() const { return m_width; }

    // Each goes on where the last one ended and returns the new end of the samples.
    Byte* PutSilence(Byte* out);
    Byte* PutTape(TapeFormat format, ByteView tape, Byte* out);
    Byte* PutTrailer(TapeFormat format, bool anyBits, Byte* out);

    enum class Level : std::uint8_t { Zero, High, Low };

  private:
    Byte* Hold(Level level, std::uint64_t clockSamples, Byte* out);

    std::uint32_t m_rate;
    std::size_t m_width;                         // bytes per sample
    std::array<std::array<Byte, 2>, 3> m_sample; // each Level's bytes
    std::uint64_t m_clock = 0;                   // 22050 clock samples so far
    std::uint64_t m_placed = 0;                  // samples at the rate so far
};

} // namespace tonvale
