// A live capture's file side: the FLAC file grows as the sound comes and can be read at any
// moment, rescuing it gives the tape the live rescue gave, a full disk ends the capture keeping
// what was written, and samples a sound system dropped are found from the clock.
#include "recording/LiveCapture.h"
#include "CaptureModel.h"
#include "builder/TestFiles.h"
#include "recording/RecordingFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace tonvale {
namespace {

std::vector<std::int16_t> Int16(const test::Recording& r) {
    std::vector<std::int16_t> samples;
    for (const float x : r.samples)
        samples.push_back(
            static_cast<std::int16_t>(std::lround(std::clamp(x, -1.0f, 1.0f) * 32767)));
    return samples;
}

void WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

RescueResult RescueFlac(const std::string& path, std::uint64_t& frames) {
    std::string failure;
    const auto file = RecordingFile::Open(path, Channel::Stronger, failure);
    EXPECT_TRUE(file) << failure;
    if (!file) return {};
    RescueResult result = RescueRecording(*file);
    frames = file->FramesRead();
    return result;
}

TEST(LiveCapture, FlacReadableAtEveryMomentAndItsRescueIsTheLiveTape) {
    const Bytes image =
        test::ReadFile(std::string(TONVALE_SOURCE_DIR) + "/examples/demo-system.cas");
    const std::vector<std::int16_t> sound = Int16(test::CapturePulses(image, {}));
    const std::string path = test::TempDir("live-capture") + "/capture.flac";
    std::size_t ended = 0;
    CaptureEvents events;
    events.fileEnded = [&ended](const RescueResult&) { ++ended; };
    std::string failure;
    auto capture = LiveCapture::Start(path, test::kCaptureRate, events, failure);
    ASSERT_TRUE(capture) << failure;

    // A crash now keeps all but the encoder's last block of what came in.
    const std::size_t half = sound.size() / 2;
    capture->Arrived(std::span(sound).first(half), 0);
    WaitUntil([&] { return capture->SamplesWritten() >= half; });
    std::uint64_t frames = 0;
    (void)RescueFlac(path, frames);
    EXPECT_GE(frames + 4608, half);
    EXPECT_LE(frames, half);

    for (std::size_t at = half; at < sound.size(); at += 1000) {
        const std::size_t count = std::min<std::size_t>(1000, sound.size() - at);
        capture->Arrived(std::span(sound).subspan(at, count),
                         static_cast<double>(at + count) / test::kCaptureRate);
    }
    bool closed = false;
    const RescueResult live = capture->Stop(closed);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(capture->WriteFailure().empty());
    const RescueResult fromFile = RescueFlac(path, frames);
    EXPECT_EQ(frames, sound.size());
    ASSERT_EQ(live.files.size(), 1u);
    EXPECT_EQ(ended, 1u);
    EXPECT_EQ(live.image, fromFile.image);
    EXPECT_EQ(live.seconds, fromFile.seconds);
}

TEST(LiveCapture, AFullDiskEndsTheCaptureAndSaysSo) {
    std::string failure;
    auto capture = LiveCapture::Start("/dev/full", 44100, {}, failure);
    ASSERT_TRUE(capture) << failure;
    const std::vector<std::int16_t> sound(44100, 1000);
    for (int second = 0; second < 3; ++second)
        capture->Arrived(sound, second);
    WaitUntil([&] { return !capture->WriteFailure().empty(); });
    EXPECT_FALSE(capture->WriteFailure().empty());
    bool closed = true;
    const RescueResult result = capture->Stop(closed);
    EXPECT_LT(result.seconds, 3.0);
}

// Sound arriving in batches of 20 ms on a clock, on a sound card whose clock runs slow; late now
// and then; with a sound system whose delay grows; and, where the program was kept from reading
// for longer than the sound system holds (0.2 s), with the sound beyond that dropped.
struct Arrivals {
    const char* name;
    double slowPpm;
    std::vector<std::pair<double, double>> dropped; // at, seconds lost
    std::vector<double> lateAt;                     // a batch held back 300 ms, then caught up
    std::vector<double> delayGrowsAt;               // by 50 ms: nothing comes for that long
    std::vector<double> pausesAt; // the sound system's own: nothing for 150 ms, then late
};

void PrintTo(const Arrivals& arrivals, std::ostream* out) {
    *out << arrivals.name;
}

class Overruns : public testing::TestWithParam<Arrivals> {};

TEST_P(Overruns, AreToldWithTheirTimeOnceAndNeverForSoundThatIsOnlyLate) {
    const Arrivals& arrivals = GetParam();
    constexpr double kRate = 44100, kHeld = 0.2;
    OverrunWatch watch(kRate);
    std::vector<Overrun> found;
    for (double t = 0.02; t < 600; t += 0.02) {
        double lost = 0, delayed = 0;
        bool stalled = false;
        for (const auto& [at, seconds] : arrivals.dropped) {
            stalled = stalled || (t >= at && t < at + kHeld + seconds);
            lost += std::clamp(t - (at + kHeld), 0.0, seconds);
        }
        for (const double at : arrivals.delayGrowsAt)
            delayed += std::clamp(t - at, 0.0, 0.05);
        const bool late = std::any_of(arrivals.lateAt.begin(), arrivals.lateAt.end(),
                                      [t](double at) { return t >= at && t < at + 0.3; });
        for (const double at : arrivals.pausesAt) {
            stalled = stalled || (t >= at && t < at + 0.15);
            delayed += std::clamp(t - at, 0.0, 0.15);
        }
        if (stalled || late) continue;
        const double seconds = t * (1 - arrivals.slowPpm * 1e-6) - lost - delayed;
        if (const auto overrun = watch.Arrived(t, static_cast<std::uint64_t>(seconds * kRate)))
            found.push_back(*overrun);
    }
    ASSERT_EQ(found.size(), arrivals.dropped.size());
    double lostBefore = 0; // the recording is that much shorter than the clock
    for (std::size_t i = 0; i < found.size(); ++i) {
        const auto [at, lost] = arrivals.dropped[i];
        EXPECT_NEAR(static_cast<double>(found[i].lost) / kRate, lost, 0.002) << i;
        EXPECT_NEAR(static_cast<double>(found[i].atSample) / kRate, at + kHeld - lostBefore, 0.03)
            << i;
        lostBefore += lost;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clock, Overruns,
    testing::Values(Arrivals{"steady", 0, {}, {}, {}, {}},
                    Arrivals{"slow_card", 80, {}, {}, {}, {}},
                    Arrivals{"late_batches", 0, {}, {10, 100, 100.5, 300}, {}, {}},
                    Arrivals{"delay_grows", 0, {}, {}, {3.3, 200}, {}},
                    Arrivals{"sound_system_pauses", 0, {}, {}, {}, {0.6, 50}},
                    Arrivals{"dropped", 0, {{10, 0.2}, {250, 0.05}}, {}, {}, {}},
                    Arrivals{
                        "dropped_on_a_slow_card_late", 80, {{120, 0.5}}, {60, 400}, {300}, {350}}),
    [](const testing::TestParamInfo<Arrivals>& row) { return std::string(row.param.name); });

} // namespace
} // namespace tonvale
