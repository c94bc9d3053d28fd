// The rescue as a live capture runs it: the sound in small uneven blocks as a sound card hands
// it over, each tape file told as it ends, the quality figure twice a second, and in the end the
// very tape that the whole recording gives.
#include "CaptureModel.h"
#include "Degrade.h"
#include "analysis/AnalyseTape.h"
#include "builder/TestFiles.h"
#include "rescue/Rescue.h"
#include "view/LiveTape.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tonvale {
namespace {

using test::Recording;

// Hands the samples out in blocks of 1 to 4000, as they come from a sound card, whose length is
// not known ahead.
class ChoppedSource : public MemorySampleSource {
  public:
    explicit ChoppedSource(const Recording& r) : MemorySampleSource(r.samples, r.rate) {}
    std::uint64_t Length() const override { return 0; }
    std::size_t Read(std::span<float> block) override {
        m_seed = m_seed * 1103515245 + 12345;
        const std::size_t want = std::min<std::size_t>(block.size(), 1 + (m_seed >> 8) % 4000);
        const std::size_t count = MemorySampleSource::Read(block.first(want));
        m_read += count;
        return count;
    }
    double SecondsRead() const { return static_cast<double>(m_read) / Rate(); }

  private:
    std::size_t m_read = 0;
    std::uint32_t m_seed = 7;
};

Bytes Image(const char* path) {
    return test::ReadFile(std::string(TONVALE_SOURCE_DIR) + "/" + path);
}

Recording TwiceWithABurst(const Recording& r) {
    Recording twice = test::Join(r, r);
    test::Burst(twice, 1.6, 0.05); // inside the first copy's bytes
    return twice;
}

struct Live {
    const char* name;
    Recording sound;
    bool pulses; // clock and data pulses (not Highspeed cycles), whose height is measured
};

std::vector<Live> LiveRows() {
    return {
        {"level2_own_sound", test::Synthesise(TapeFormat::Level2, Image("examples/demo.cas")),
         true},
        {"highspeed_own_sound",
         test::Synthesise(TapeFormat::Highspeed, Image("examples/demo-highspeed.cas")), false},
        {"captured_twice_first_copy_burst",
         TwiceWithABurst(test::CapturePulses(Image("examples/demo-system.cas"), {})), true},
    };
}

class LiveRescue : public testing::TestWithParam<Live> {};

TEST_P(LiveRescue, GivesTheWholeRecordingsTapeTellsFilesAsTheyEndAndTheQuality) {
    const Live& live = GetParam();
    MemorySampleSource whole(live.sound.samples, live.sound.rate);
    const RescueResult expected = RescueRecording(whole);
    ASSERT_FALSE(expected.files.empty());

    ChoppedSource chopped(live.sound);
    std::vector<std::pair<RescueResult, double>> ended; // with the seconds read by then
    std::vector<RescueQuality> qualities;
    RescueProgress progress;
    progress.fileEnded = [&](const RescueResult& lone) {
        ended.emplace_back(lone, chopped.SecondsRead());
    };
    progress.quality = [&](const RescueQuality& q) { qualities.push_back(q); };
    const RescueResult result = RescueRecording(chopped, {}, progress);

    EXPECT_EQ(result.image, expected.image);
    ASSERT_EQ(result.files.size(), expected.files.size());
    for (std::size_t i = 0; i < result.files.size(); ++i) {
        EXPECT_EQ(result.files[i].data, expected.files[i].data) << i;
        EXPECT_EQ(result.files[i].doubtful.size(), expected.files[i].doubtful.size()) << i;
        EXPECT_EQ(result.files[i].mended.size(), expected.files[i].mended.size()) << i;
    }

    // Each tape file told once, alone in an image of its own, soon after its end: a second of
    // no pulse pattern ends it, once a pulse comes after (pure silence ends it at the end).
    ASSERT_EQ(ended.size(), result.files.size());
    for (const auto& [lone, readBy] : ended) {
        ASSERT_EQ(lone.files.size(), 1u);
        const RescuedTapeFile& file = lone.files.front();
        EXPECT_LE(readBy, file.endSeconds + 1.5);
        EXPECT_TRUE(std::any_of(result.files.begin(), result.files.end(), [&](const auto& f) {
            return f.startSeconds == file.startSeconds && f.data.size() == file.data.size();
        }));
        EXPECT_FALSE(lone.image.empty());
    }

    // The live view's tape, gathered from the tape files as they ended, lies where the whole
    // recording's does, byte for byte (values too, where no copy mended one).
    LiveTape tape(live.sound.rate, 1);
    for (const auto& each : ended)
        tape.AddTapeFile(each.first);
    FixedLevel level2;
    const TapeTimeline offline =
        TapeTimeline::OfRescue(result, AnalyseTape(result.image, level2, {}));
    ASSERT_EQ(tape.Timeline().Files().size(), offline.Files().size());
    for (std::size_t f = 0; f < offline.Files().size(); ++f) {
        const TimedTapeFile& a = tape.Timeline().Files()[f];
        const TimedTapeFile& b = offline.Files()[f];
        EXPECT_EQ(a.startSeconds, b.startSeconds);
        EXPECT_EQ(a.endSeconds, b.endSeconds);
        ASSERT_EQ(a.bytes, b.bytes);
        const bool mendedFromACopy =
            std::any_of(result.files[f].mended.begin(), result.files[f].mended.end(),
                        [](const MendedByte& m) { return m.how == Mending::Copy; });
        if (!mendedFromACopy) {
            EXPECT_EQ(a.verdict, b.verdict) << f;
        }
        for (std::uint64_t k = 0; k < b.bytes; ++k) {
            ASSERT_EQ(tape.Timeline().ByteStart({f, k}), offline.ByteStart({f, k}))
                << f << " " << k;
            if (!mendedFromACopy) {
                ASSERT_EQ(tape.Timeline().ByteValue({f, k}), offline.ByteValue({f, k})) << k;
            }
        }
    }

    // Twice a second of sound, in order; none over the silence in front, sure over the tape.
    EXPECT_GE(qualities.size(), static_cast<std::size_t>(2 * result.seconds) - 1);
    for (std::size_t i = 1; i < qualities.size(); ++i)
        EXPECT_LE(qualities[i].seconds - qualities[i - 1].seconds, 0.5 + 4000 / live.sound.rate);
    const RescuedTapeFile& first = result.files.front();
    for (const RescueQuality& q : qualities) {
        if (q.seconds < first.startSeconds - 0.1) {
            EXPECT_EQ(q.cells, 0u) << q.seconds;
            EXPECT_EQ(q.pulses, 0u) << q.seconds;
        }
        if (q.seconds > first.dataSeconds + 1 && q.seconds < first.endSeconds) {
            EXPECT_GE(q.sureShare, 0.95) << q.seconds;
            EXPECT_GT(q.cells, 100u) << q.seconds;
            if (live.pulses) {
                EXPECT_GT(q.pulses, 100u) << q.seconds;
                EXPECT_GT(q.pulseToNoiseDb, 15) << q.seconds;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Recordings, LiveRescue, testing::ValuesIn(LiveRows()),
                         [](const testing::TestParamInfo<Live>& row) {
                             return std::string(row.param.name);
                         });

// The last stretch of the sound, however much went by before: its lowest and highest sample;
// silence before it.
TEST(LiveSound, KeepsTheLastSecondsOfTheSound) {
    RecentSound sound(1000, 2); // 2000 samples kept
    std::vector<std::int16_t> samples(4999);
    for (std::size_t n = 0; n < samples.size(); ++n)
        samples[n] = static_cast<std::int16_t>((n * 7919) % 20000 - 10000);
    for (std::size_t at = 0; at < samples.size(); at += 333)
        sound.Add(std::span(samples).subspan(at, std::min<std::size_t>(333, samples.size() - at)));
    ASSERT_EQ(sound.Length(), samples.size());
    for (const auto& [from, to] :
         {std::pair{2999, 4999}, {3500, 3501}, {4000, 9000}, {1000, 3100}}) {
        const auto [low, high] = std::minmax_element(samples.begin() + std::max(from, 2999),
                                                     samples.begin() + std::min(to, 4999));
        const SampleRange range = sound.Range(from, to);
        EXPECT_FLOAT_EQ(range.low, *low / 32767.0f) << from;
        EXPECT_FLOAT_EQ(range.high, *high / 32767.0f) << from;
    }
    const SampleRange gone = sound.Range(0, 2999);
    EXPECT_EQ(gone.low, 0);
    EXPECT_EQ(gone.high, 0);
}

// What a person turning the volume or the head's screw sees: noise lowers the pulses' height
// over it, and the share of cells read sure, step by step.
TEST(LiveQuality, FallsAsTheNoiseRises) {
    const Recording clean =
        test::Capture(test::Synthesise(TapeFormat::Level2, Image("examples/demo.cas")), 44100);
    double lastDb = 1e9, lastShare = 2;
    for (const double snr : {40.0, 20.0, 8.0, 0.0}) {
        Recording noisy = clean;
        test::Noise(noisy, snr);
        ChoppedSource source(noisy);
        double db = 0, share = 0;
        int counted = 0;
        RescueProgress progress;
        progress.quality = [&](const RescueQuality& q) {
            if (q.seconds < 3 || q.seconds > 6) return; // inside the program's bytes
            db += q.pulseToNoiseDb;
            share += q.sureShare;
            ++counted;
        };
        (void)RescueRecording(source, {}, progress);
        ASSERT_GT(counted, 4) << snr;
        db /= counted;
        share /= counted;
        std::printf("noise %.0f dB: pulses %.1f dB over it, %.3f sure\n", snr, db, share);
        EXPECT_LT(db, lastDb - 3) << snr;
        EXPECT_LE(share, lastShare) << snr;
        lastDb = db;
        lastShare = share;
    }
    EXPECT_LT(lastShare, 0.9);
}

} // namespace
} // namespace tonvale
