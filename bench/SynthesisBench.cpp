// How fast the WAV image is built, against the speed of memory itself: a plain memset of as
// many bytes as the image has, in the same run. Goal: synthesis at a third of memset or better.
// The images with sound options (16-bit at 48000) are laid down edge by edge, a slower way
// measured here for what it costs, with no goal.
#include "builder/Damage.h"
#include "sound/WavImage.h"
#include "tape/TapeImageWriter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

using tonvale::Byte;
using tonvale::Bytes;
using tonvale::TapeFormat;
using tonvale::TapeImageWriter;
using tonvale::test::Noise;

constexpr std::size_t kTapeBytes = 32 * 1024;
constexpr std::size_t kLeader = 256;

// 32 KB as recorded: a leader, the sync byte and data (noise: as many 1 bits as 0 bits).
Bytes Level2Tape() {
    return TapeImageWriter()
        .File(TapeFormat::Level2, Noise(kTapeBytes - kLeader - 1), kLeader)
        .Image();
}

Bytes HighspeedTape() {
    Bytes tape = TapeImageWriter().File(TapeFormat::Highspeed, Noise(kTapeBytes), kLeader).Image();
    tape.resize(kTapeBytes);
    return tape;
}

void WavImage(benchmark::State& state, TapeFormat format, const Bytes& tape,
              const tonvale::SoundOptions& sound = {}) {
    std::uint64_t size = 0;
    for (auto _ : state) {
        const tonvale::WavImage image = tonvale::BuildWavImage(format, tape, false, sound);
        benchmark::DoNotOptimize(image.bytes.get());
        benchmark::ClobberMemory();
        size = image.size;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["image_bytes"] = static_cast<double>(size);
}

// The same number of bytes, written by memset into a block of that size.
void Memset(benchmark::State& state, TapeFormat format, const Bytes& tape) {
    const std::uint64_t size = tonvale::kWavHeaderSize + tonvale::WavDataLength(format, tape);
    std::unique_ptr<Byte[]> block(new Byte[size]);
    std::memset(block.get(), 0, size);
    for (auto _ : state) {
        std::memset(block.get(), 0x80, size);
        benchmark::DoNotOptimize(block.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void Level2WavImage(benchmark::State& state) {
    WavImage(state, TapeFormat::Level2, Level2Tape());
}
void Level2Memset(benchmark::State& state) {
    Memset(state, TapeFormat::Level2, Level2Tape());
}
void HighspeedWavImage(benchmark::State& state) {
    WavImage(state, TapeFormat::Highspeed, HighspeedTape());
}
void HighspeedMemset(benchmark::State& state) {
    Memset(state, TapeFormat::Highspeed, HighspeedTape());
}

void Level2WavImage48k16(benchmark::State& state) {
    WavImage(state, TapeFormat::Level2, Level2Tape(), {48000, 16, false, 0});
}
void HighspeedWavImage48k16(benchmark::State& state) {
    WavImage(state, TapeFormat::Highspeed, HighspeedTape(), {48000, 16, false, 0});
}

BENCHMARK(Level2WavImage)->Unit(benchmark::kMillisecond);
BENCHMARK(Level2Memset)->Unit(benchmark::kMillisecond);
BENCHMARK(HighspeedWavImage)->Unit(benchmark::kMillisecond);
BENCHMARK(HighspeedMemset)->Unit(benchmark::kMillisecond);
BENCHMARK(Level2WavImage48k16)->Unit(benchmark::kMillisecond);
BENCHMARK(HighspeedWavImage48k16)->Unit(benchmark::kMillisecond);

} // namespace
