// The WAV image at other rates, sample sizes, polarities and levels, read as a player reads it
// (rate and sample size from the header) and listened to by time: every edge must fall on the
// sample nearest its time, round(t * rate), however long the tape.
#include "sound/WavImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace tonvale {
namespace {

// Bytes with every bit pattern often enough; no tape structure is needed to be heard.
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

// A change of level: +1 above the zero line, -1 below, 0 on it.
struct Edge {
    std::uint64_t at;
    int level;
};

struct Signal {
    std::uint32_t rate = 0;
    std::uint64_t samples = 0;
    std::vector<Edge> edges;
    double peak = 0; // the farthest sample from the zero line, of full swing
};

// The samples as the header describes them; an inverted image's polarity is taken back.
Signal Read(ByteView wav, bool inverted) {
    Signal signal;
    signal.rate = ReadLe32(&wav[kWavRateOffset]);
    const unsigned width = wav[kWavBitsOffset] / 8u;
    EXPECT_EQ(wav[kWavBlockAlignOffset], width);
    EXPECT_EQ(ReadLe32(&wav[kWavByteRateOffset]), signal.rate * width);
    EXPECT_EQ(ReadLe32(&wav[kWavRiffSizeOffset]), wav.size() - 8);
    EXPECT_EQ(ReadLe32(&wav[kWavDataSizeOffset]), wav.size() - kWavHeaderSize);
    int peak = 0, last = 0;
    for (std::size_t i = kWavHeaderSize; i + width <= wav.size(); i += width) {
        const int value =
            width == 1 ? wav[i] - 128 : static_cast<std::int16_t>(wav[i] | wav[i + 1] << 8);
        peak = std::max(peak, std::abs(value));
        const int level = ((value > 0) - (value < 0)) * (inverted ? -1 : 1);
        if (level != last) signal.edges.push_back({signal.samples, level});
        last = level;
        ++signal.samples;
    }
    signal.peak = peak / (width == 1 ? 128.0 : 32768.0);
    return signal;
}

// Hears the bits from the edges' times. The cells are counted in samples of the 22050 clock,
// which the LNW-80 plays at 44100; every edge must be on the sample nearest its time.
class Listener {
  public:
    Listener(const Signal& signal, std::uint32_t clockRate)
        : m_signal(signal), m_clockRate(clockRate) {}

    // Clock and data pulses: 3 clock samples high, 3 low; a 1 has a second half a cell on.
    void Pulses(unsigned cell) {
        while (m_next < m_signal.edges.size()) {
            Pulse(m_clock);
            const bool one = NextBefore(m_clock + cell * 3 / 4);
            if (one) Pulse(m_clock + cell / 2);
            Bit(one, cell);
        }
    }
    // Highspeed: a low half and a high half of 4 clock samples each for a 1, 8 for a 0; the
    // last cycle is closed by a falling edge and 4 samples low.
    void Cycles() {
        const std::vector<Edge>& edges = m_signal.edges;
        while (m_next < edges.size()) {
            Expect(m_clock, -1);
            if (m_next < edges.size() && edges[m_next].level == 0) {
                closed = true;
                return Expect(m_clock + 4, 0);
            }
            const bool one = NextBefore(m_clock + 6);
            Expect(m_clock + (one ? 4 : 8), +1);
            Bit(one, one ? 8 : 16);
        }
    }
    // What follows the last edge: the silence, to the end of the image.
    void Silence() {
        misplaced += m_next != m_signal.edges.size();
        misplaced += m_signal.samples != At(m_clock + kSilenceSamples);
    }

    Bytes bytes;
    std::size_t bits = 0, misplaced = 0;
    bool closed = false;

  private:
    std::uint64_t At(std::uint64_t clock) const {
        return static_cast<std::uint64_t>(
            std::llround(static_cast<double>(clock) * m_signal.rate / m_clockRate));
    }
    bool NextBefore(std::uint64_t clock) const {
        return m_next < m_signal.edges.size() && m_signal.edges[m_next].at < At(clock);
    }
    void Expect(std::uint64_t clock, int level) {
        const bool there = m_next < m_signal.edges.size() &&
                           m_signal.edges[m_next].at == At(clock) &&
                           m_signal.edges[m_next].level == level;
        misplaced += !there;
        ++m_next;
    }
    void Pulse(std::uint64_t clock) {
        Expect(clock, +1);
        Expect(clock + 3, -1);
        Expect(clock + 6, 0);
    }
    void Bit(bool one, unsigned cell) {
        m_value = static_cast<Byte>(m_value << 1 | one);
        if (++bits % 8 == 0) bytes.push_back(m_value);
        m_clock += cell;
    }

    const Signal& m_signal;
    std::uint32_t m_clockRate;
    std::size_t m_next = 0;
    std::uint64_t m_clock = kSilenceSamples;
    Byte m_value = 0;
};

Listener Listen(const Signal& signal, TapeFormat format, bool lnw) {
    Listener listener(signal, lnw ? kLnwSampleRate : kSampleRate);
    if (format == TapeFormat::Highspeed)
        listener.Cycles();
    else
        listener.Pulses(format == TapeFormat::Level1 ? 84 : 44);
    listener.Silence();
    return listener;
}

constexpr TapeFormat kFormats[] = {TapeFormat::Level1, TapeFormat::Level2, TapeFormat::Highspeed};

TEST(SoundOptions, EveryEdgeIsOnTheNearestSampleAtEachRateSizePolarityAndSpeed) {
    const Bytes tape = SomeBytes(300);
    for (const TapeFormat format : kFormats) {
        const std::uint32_t millis = BuildWavImage(format, tape).playMillis;
        for (const std::uint32_t rate : {22050u, 44100u, 48000u})
            for (const unsigned bits : {8u, 16u})
                for (const bool invert : {false, true})
                    for (const bool lnw : {false, true}) {
                        const SoundOptions sound{rate, bits, invert, 0};
                        const WavImage wav = BuildWavImage(format, tape, lnw, sound);
                        const Signal signal = Read(wav.View(), invert);
                        const Listener heard = Listen(signal, format, lnw);
                        const std::string what = std::to_string(static_cast<int>(format)) + " " +
                                                 std::to_string(rate) + " " + std::to_string(bits) +
                                                 (invert ? " inv" : "") + (lnw ? " lnw" : "");
                        EXPECT_EQ(signal.rate, rate) << what;
                        EXPECT_EQ(heard.misplaced, 0u) << what;
                        EXPECT_TRUE(heard.bytes == tape) << what;
                        EXPECT_EQ(heard.closed, format == TapeFormat::Highspeed) << what;
                        EXPECT_NEAR(wav.playMillis, millis, 1) << what;
                        EXPECT_EQ(WavDataLength(format, tape, lnw, sound),
                                  wav.size - kWavHeaderSize);

                        Bytes pieces;
                        EXPECT_TRUE(WriteWavImage(format, tape, lnw, sound, [&](ByteView piece) {
                            pieces.insert(pieces.end(), piece.begin(), piece.end());
                            return true;
                        }));
                        EXPECT_TRUE(pieces == Of(wav)) << what;
                    }
    }
    // A long tape does not drift: its last pulse too is where its time says.
    const Bytes longTape = SomeBytes(40000);
    const SoundOptions sound{48000, 8, false, 0};
    const Listener heard =
        Listen(Read(BuildWavImage(TapeFormat::Level2, longTape, false, sound).View(), false),
               TapeFormat::Level2, false);
    EXPECT_EQ(heard.misplaced, 0u);
    EXPECT_EQ(heard.bits, longTape.size() * 8);
}

TEST(SoundOptions, GainScalesThePeakByItsDecibelsAndTheBitsAreStillHeard) {
    const Bytes tape = SomeBytes(50);
    for (const unsigned bits : {8u, 16u})
        for (const double db : {0.0, -6.0, -20.5, -40.0}) {
            const WavImage wav =
                BuildWavImage(TapeFormat::Level2, tape, false, {0, bits, false, db});
            const Signal signal = Read(wav.View(), false);
            EXPECT_NEAR(signal.peak, std::pow(10.0, db / 20), bits == 8 ? 1 / 128.0 : 1 / 32768.0)
                << bits << " " << db;
            EXPECT_TRUE(Listen(signal, TapeFormat::Level2, false).bytes == tape);
        }
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
    // 16-bit samples at 48000 take 2.2 times the bytes: a long Level 1 tape outgrows a WAV
    // file sooner.
    const SoundOptions big{48000, 16, false, 0};
    EXPECT_TRUE(FitsWavSizeFields(WavDataLength(TapeFormat::Level1, Bytes(1468006), false, big)));
    EXPECT_FALSE(FitsWavSizeFields(WavDataLength(TapeFormat::Level1, Bytes(1468007), false, big)));
    EXPECT_FALSE(WriteWavImage(TapeFormat::Level1, Bytes(1468007), false, big,
                               [](ByteView) { return true; }));
}

} // namespace
} // namespace tonvale
