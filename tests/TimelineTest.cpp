// Where the timeline says each byte lies in the sound, read back from the sound itself: the
// cells found at that sample, decoded, give the tape file's byte (a Highspeed byte's time is
// its first data bit's, behind the start bit). Over every case tape.
#include "analysis/TapeFileBytes.h"
#include "builder/CaseTapes.h"
#include "sound/WavImage.h"
#include "view/TapeTimeline.h"
#include "view/Waveform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace tonvale {
namespace {

constexpr Byte kHigh = 0xFF, kLow = 0x00;

// The bit of the cell at sample `at` of a window image, as a TRS-80 would hear it, and `at`
// moved to the next cell; false when no cell begins there.
bool ReadCell(ByteView samples, TapeFormat format, std::size_t& at, bool& bit) {
    const auto run = [&](std::size_t from, Byte level) {
        std::size_t n = 0;
        while (from + n < samples.size() && samples[from + n] == level)
            ++n;
        return n;
    };
    if (format == TapeFormat::Highspeed) {
        const std::size_t low = run(at, kLow), high = run(at + low, kHigh);
        if ((low != 4 && low != 8) || high < low) return false;
        bit = low == 4;
        at += 2 * low;
        return true;
    }
    const std::size_t cell = format == TapeFormat::Level1 ? 84 : 44;
    if (run(at, kHigh) != 3 || at + cell > samples.size()) return false;
    bit = samples[at + cell / 2] == kHigh;
    at += cell;
    return true;
}

TEST(Timeline, EveryByteIsWhereTheSynthesisPutIt) {
    std::size_t checked = 0;
    for (const test::CaseTape& tape : test::CaseTapes()) {
        SCOPED_TRACE(tape.name);
        const Bytes& image = tape.image;
        const TapeReport report = test::Analyse(image, tape.level);
        const TapeFormat sound = report.lastFormat;
        const WavImage wav = BuildWavImage(sound, image);
        const WavImage wav48 = BuildWavImage(sound, image, false, SoundOptions{48000, 16});
        ASSERT_TRUE(wav.bytes && wav48.bytes);
        const ByteView samples = wav.View().subspan(kWavHeaderSize);
        const TapeTimeline timeline = TapeTimeline::OfImage(report, image, sound);
        EXPECT_DOUBLE_EQ(timeline.Seconds(), static_cast<double>(samples.size()) / kSampleRate);
        TapeFileBytes files(image, report);
        for (std::size_t f = 0; f < report.files.size(); ++f) {
            const auto bytes = files.Of(f);
            if (!bytes || sound == TapeFormat::None) continue;
            // What the analysis read of them; a remainder behind is framed on its own.
            const std::uint64_t length =
                std::min<std::uint64_t>(bytes->size(), report.files[f].length);
            if (length == 0) continue;
            for (std::uint64_t k = 0; k < length; ++k) {
                const double seconds = timeline.ByteStart({f, k});
                const double at = seconds * kSampleRate;
                ASSERT_NEAR(at, std::round(at), 1e-6) << "byte " << k;
                auto sample = static_cast<std::size_t>(std::llround(at));
                unsigned value = 0;
                for (int i = 0; i < 8; ++i) {
                    bool bit = false;
                    ASSERT_TRUE(ReadCell(samples, sound, sample, bit))
                        << "byte " << k << " bit " << i;
                    value = value << 1 | static_cast<unsigned>(bit);
                }
                ASSERT_EQ(value, (*bytes)[k]) << "byte " << k;
                // At 48000 the byte begins with an edge on the sample nearest the same time.
                const auto placed = static_cast<std::size_t>(std::llround(seconds * 48000));
                const Byte* at48 = wav48.bytes.get() + kWavHeaderSize + 2 * placed;
                ASSERT_NE(at48[0] | at48[1] << 8, at48[-2] | at48[-1] << 8) << "byte " << k;
                ++checked;
            }
            const TimedTapeFile& timed = timeline.Files()[f];
            EXPECT_EQ(timed.startSeconds, timeline.ByteStart({f, 0}));
            EXPECT_EQ(timed.endSeconds, timeline.ByteEnd({f, timed.bytes - 1}));
            EXPECT_LE(timed.leaderSeconds, timed.startSeconds);
            EXPECT_EQ(timeline.ByteAt(timeline.ByteStart({f, length / 2})),
                      (ByteAddress{f, length / 2}));
        }
    }
    EXPECT_GT(checked, 100000u);
}

// The summary's lowest and highest sample over any stretch, against every sample's, for a
// recording read in blocks of odd sizes, its samples kept or read again; stretches across its
// levels' block edges too.
TEST(SampleSummary, GivesTheLowestAndHighestSampleOfAnyStretch) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> level(-1, 1);
    std::vector<float> samples(300'001);
    for (float& s : samples)
        s = level(random);
    // Kept, and read again from the recording where asked for.
    std::size_t reads = 0;
    SampleSummary kept(48000);
    SampleSummary readAgain(48000, [&](std::uint64_t from, std::span<float> out) {
        ++reads;
        const std::size_t n = std::min<std::size_t>(out.size(), samples.size() - from);
        std::copy_n(samples.begin() + long(from), n, out.begin());
        return n;
    });
    for (SampleSummary* summary : {&kept, &readAgain})
        for (std::size_t at = 0; at < samples.size(); at += 4093)
            summary->Add(
                std::span(samples).subspan(at, std::min<std::size_t>(4093, samples.size() - at)));
    ASSERT_EQ(kept.Length(), samples.size());
    ASSERT_EQ(readAgain.Length(), samples.size());
    EXPECT_LT(readAgain.Bytes() * 8, kept.Bytes()) << "the samples are not held";
    std::uniform_int_distribution<std::size_t> place(0, samples.size() - 1);
    for (int i = 0; i < 300; ++i) {
        std::size_t from = place(random), to = place(random);
        if (i % 3 == 0) from = from / 4096 * 4096, to = from + 32768 * (i % 2) + 512 * (i % 5);
        if (from > to) std::swap(from, to);
        to = std::min(to + 1, samples.size());
        // Exact over a short stretch; a long one may take the blocks of 64 at its ends whole.
        const auto minmax = [&](std::size_t a, std::size_t b) {
            return std::minmax_element(samples.begin() + long(a), samples.begin() + long(b));
        };
        const auto [low, high] = minmax(from, to);
        const bool exact = to - from < 1024;
        const auto [widerLow, widerHigh] =
            minmax(exact ? from : from / 64 * 64,
                   exact ? to : std::min(samples.size(), (to + 63) / 64 * 64));
        for (const SampleSummary* summary : {&kept, &readAgain}) {
            const SampleRange range = summary->Range(from, to);
            ASSERT_LE(range.low, *low + 1e-4) << from << " " << to;
            ASSERT_GE(range.low, *widerLow - 1e-4) << from << " " << to;
            ASSERT_GE(range.high, *high - 1e-4) << from << " " << to;
            ASSERT_LE(range.high, *widerHigh + 1e-4) << from << " " << to;
        }
    }
    EXPECT_GT(reads, 0u);
}

} // namespace
} // namespace tonvale
