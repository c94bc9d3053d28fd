// The WAV image at other rates, sample sizes, polarities and levels, read as a player reads it
// (rate and sample size from the header) and listened to by time: every edge must fall on the
// sample nearest its time, round(t * rate), however long the tape.
#include "sound/WavImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace tonvale {
namespace {

Bytes SomeBytes(std::size_t count) {
    Bytes bytes(count);
    std::uint32_t x = 12345;
    for (Byte& b : bytes)
        b = static_cast<Byte>((x = x * 1103515245 + 12345) >> 16);
    return bytes;
}

Bytes Of(const WavImage& wav) {
    return Bytes(wav.View().begin(), wav.View().end());
}

// The samples as the header describes them, as changes of level: +1 above the zero line, -1
// below, 0 on it (an inverted image's polarity taken back); the farthest above and below, against
// full swing (00h-FFh, or the whole 16-bit range).
struct Signal {
    std::uint32_t rate = 0;
    std::uint64_t samples = 0;
    std::vector<std::pair<std::uint64_t, int>> edges; // where, and the level after it
    double high = 0, low = 0;
};

Signal Read(ByteView wav, bool inverted) {
    Signal signal;
    signal.rate = ReadLe32(&wav[kWavRateOffset]);
    const unsigned width = wav[kWavBitsOffset] / 8u;
    EXPECT_EQ(wav[kWavBlockAlignOffset], width);
    EXPECT_EQ(ReadLe32(&wav[kWavByteRateOffset]), signal.rate * width);
    int last = 0;
    const double up = width == 1 ? 127 : 32767, down = up + 1;
    for (std::size_t i = kWavHeaderSize; i + width <= wav.size(); i += width, ++signal.samples) {
        const int value =
            width == 1 ? wav[i] - 128 : static_cast<std::int16_t>(wav[i] | wav[i + 1] << 8);
        signal.high = std::max(signal.high, value / up);
        signal.low = std::max(signal.low, -value / down);
        const int level = ((value > 0) - (value < 0)) * (inverted ? -1 : 1);
        if (level != last) signal.edges.emplace_back(signal.samples, level);
        last = level;
    }
    return signal;
}

// Hears the bits by the edges' times. Cells are counted in samples of the 22050 clock (which
// the LNW-80 plays at 44100): Level 1 and 2 a pulse of 3 high and 3 low, a 1 with a second
// half a cell on; Highspeed a low and a high half, 4 each for a 1, 8 for a 0, closed by a
// falling edge and 4 low. Each edge must be on the sample nearest its time.
struct Listener {
    Listener(const Signal& s, TapeFormat format, bool lnw)
        : signal(s), clockRate(lnw ? kLnwSampleRate : kSampleRate) {
        const unsigned cell = format == TapeFormat::Level1 ? 84 : 44;
        while (next < signal.edges.size()) {
            if (format != TapeFormat::Highspeed) {
                Pulse(clock);
                const bool one = NextBefore(clock + cell * 3 / 4);
                if (one) Pulse(clock + cell / 2);
                Bit(one, cell);
                continue;
            }
            Expect(clock, -1);
            if (next < signal.edges.size() && signal.edges[next].second == 0) {
                closed = true;
                Expect(clock + 4, 0);
                break;
            }
            const bool one = NextBefore(clock + 6);
            Expect(clock + (one ? 4 : 8), +1);
            Bit(one, one ? 8 : 16);
        }
        misplaced += next < signal.edges.size() || signal.samples != At(clock + kSilenceSamples);
    }

    std::uint64_t At(std::uint64_t t) const {
        return static_cast<std::uint64_t>(
            std::llround(static_cast<double>(t) * signal.rate / clockRate));
    }
    bool NextBefore(std::uint64_t t) const {
        return next < signal.edges.size() && signal.edges[next].first < At(t);
    }
    void Expect(std::uint64_t t, int level) {
        misplaced +=
            next >= signal.edges.size() || signal.edges[next] != std::make_pair(At(t), level);
        ++next;
    }
    void Pulse(std::uint64_t t) {
        Expect(t, +1);
        Expect(t + 3, -1);
        Expect(t + 6, 0);
    }
    void Bit(bool one, unsigned cell) {
        value = static_cast<Byte>(value << 1 | one);
        if (++bits % 8 == 0) bytes.push_back(value);
        clock += cell;
    }

    const Signal& signal;
    std::uint32_t clockRate;
    std::size_t next = 0, bits = 0, misplaced = 0;
    std::uint64_t clock = kSilenceSamples;
    Byte value = 0;
    Bytes bytes;
    bool closed = false;
};

constexpr TapeFormat kFormats[] = {TapeFormat::Level1, TapeFormat::Level2, TapeFormat::Highspeed};

TEST(SoundOptions, EveryEdgeIsOnTheNearestSampleAtEachRateSizePolarityGainAndSpeed) {
    const Bytes tape = SomeBytes(300);
    const double gains[] = {0, -6, -20.5, -40};
    std::size_t round = 0;
    for (const TapeFormat format : kFormats)
        for (const std::uint32_t rate : {22050u, 44100u, 48000u})
            for (const unsigned bits : {8u, 16u})
                for (const bool invert : {false, true})
                    for (const bool lnw : {false, true}) {
                        const SoundOptions sound{rate, bits, invert, gains[round++ % 4]};
                        SCOPED_TRACE(::testing::Message()
                                     << static_cast<int>(format) << " " << rate << " " << bits
                                     << " " << invert << " " << lnw << " " << sound.gainDb);
                        const WavImage wav = BuildWavImage(format, tape, lnw, sound);
                        const Signal signal = Read(wav.View(), invert);
                        const Listener heard(signal, format, lnw);
                        EXPECT_EQ(signal.rate, rate);
                        EXPECT_EQ(heard.misplaced, 0u);
                        EXPECT_TRUE(heard.bytes == tape);
                        EXPECT_EQ(heard.closed, format == TapeFormat::Highspeed);
                        // Rounded to the nearest step.
                        const double gain = std::pow(10.0, sound.gainDb / 20);
                        EXPECT_NEAR(signal.high, gain, bits == 8 ? 0.51 / 127 : 0.51 / 32767);
                        EXPECT_NEAR(signal.low, gain, bits == 8 ? 0.51 / 127 : 0.51 / 32767);
                        EXPECT_NEAR(wav.playMillis, BuildWavImage(format, tape).playMillis, 1);
                        EXPECT_EQ(WavDataLength(format, tape, lnw, sound), wav.size - 46);
                    }
    // A long tape does not drift: its last pulse too is where its time says.
    const Bytes longTape = SomeBytes(40000);
    const WavImage wav = BuildWavImage(TapeFormat::Level2, longTape, false, {48000, 8, false, 0});
    const Listener heard(Read(wav.View(), false), TapeFormat::Level2, false);
    EXPECT_EQ(heard.misplaced, 0u);
    EXPECT_EQ(heard.bits, longTape.size() * 8);
}

TEST(SoundOptions, TheDefaultsSpelledOutMakeTheWindowsImage) {
    const Bytes tape = SomeBytes(100);
    for (const TapeFormat format : kFormats) {
        const Bytes window = Of(BuildWavImage(format, tape));
        Bytes lnw = window;
        SetWavRate(lnw.data(), true);
        EXPECT_TRUE(Of(BuildWavImage(format, tape, false, {22050, 8, false, 0})) == window);
        EXPECT_TRUE(Of(BuildWavImage(format, tape, true, {44100, 8, false, 0})) == lnw);
    }
}

// The RIFF size field bounds the data, 4 GB less 38 bytes. Level 1 takes 672 samples a byte,
// Level 2 352, Highspeed 128 for 00h and 64 for FFh; 16-bit samples at 48000 take 4.35 times
// the bytes, so that a Level 1 tape outgrows a WAV file at 1.47 MB instead of 6.4 MB. An image
// that does not fit is not made.
TEST(WavImage, MustFitTheHeadersSizeFields) {
    EXPECT_TRUE(FitsWavSizeFields(0xFFFFFFFFull - 38));
    EXPECT_FALSE(FitsWavSizeFields(0xFFFFFFFFull - 37));
    const SoundOptions big{48000, 16, false, 0};
    // Format, tape size and byte, options, fits.
    const std::tuple<TapeFormat, std::size_t, Byte, SoundOptions, bool> cases[] = {
        {TapeFormat::Level1, 6391320, 0x00, {}, true},
        {TapeFormat::Level1, 6391321, 0x00, {}, false},
        {TapeFormat::Level2, 12201612, 0x00, {}, false},
        {TapeFormat::Highspeed, 33554432, 0x00, {}, false},
        {TapeFormat::Highspeed, 33554432, 0xFF, {}, true},
        {TapeFormat::Level1, 1468006, 0x00, big, true},
        {TapeFormat::Level1, 1468007, 0x00, big, false},
    };
    for (const auto& [format, size, value, sound, fits] : cases) {
        const Bytes tape(size, value);
        EXPECT_EQ(FitsWavSizeFields(WavDataLength(format, tape, false, sound)), fits);
        if (fits) continue;
        EXPECT_FALSE(WriteWavImage(format, tape, false, sound, [](ByteView) { return true; }));
    }
}

} // namespace
} // namespace tonvale
