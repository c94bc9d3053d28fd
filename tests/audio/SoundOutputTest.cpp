// The Qt sound output against a real sound server: what it plays is recorded from the sink's
// monitor and listened to as a TRS-80 would.
#include "audio/AudioTestSupport.h"
#include "builder/SignalListener.h"
#include "platform/qt/audio/QtSoundOutput.h"
#include "sound/WavImage.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <algorithm>

namespace tonvale {
namespace {

using test::Heard;
using test::ListenToPulses;
using test::WaitFor;

constexpr std::size_t kLevel2Cell = 44;

class SoundOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        QObject::connect(&output, &QtSoundOutput::finished, [this] { ++finished; });
    }
    std::size_t HeardBits(const test::MonitorRecording& recording) {
        return ListenToPulses(recording.SamplesSoFar(), kLevel2Cell).bits;
    }

    QtSoundOutput output;
    int finished = 0;
};

TEST_F(SoundOutput, PlaysEveryPulseOfTheTapeInOrderThenSignalsTheEnd) {
    test::MonitorRecording recording;
    ASSERT_TRUE(recording.Started());
    const Bytes tape = test::ShortTape();
    const Bytes wav = test::BuildWav(tape);

    ASSERT_TRUE(output.Play(wav.data(), wav.size()));
    EXPECT_TRUE(output.IsPlaying());
    ASSERT_TRUE(WaitFor([&] { return finished > 0; }));
    EXPECT_FALSE(output.IsPlaying());
    EXPECT_EQ(output.PlayedBytes(), wav.size() - kWavHeaderSize);

    // The monitor runs a little behind the sink. Should the end have been cut off, this waits
    // in vain and what was heard falls short.
    WaitFor([&] { return HeardBits(recording) >= tape.size() * 8; }, 10000);
    const Heard heard = ListenToPulses(recording.Finish(), kLevel2Cell);
    EXPECT_EQ(heard.stray, 0u);
    EXPECT_EQ(heard.bits, tape.size() * 8);
    EXPECT_EQ(heard.bytes, tape);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(test::CountStreams("sink-inputs"), 0);
}

TEST_F(SoundOutput, StopSilencesAtOnceMidWayAndSignalsNoEnd) {
    test::MonitorRecording recording;
    ASSERT_TRUE(recording.Started());
    const Bytes tape = test::LongerTape();
    const Bytes wav = test::BuildWav(tape);

    ASSERT_TRUE(output.Play(wav.data(), wav.size()));
    ASSERT_TRUE(WaitFor([&] { return output.PlayedBytes() >= kSampleRate; })); // a second's worth
    output.Stop();
    EXPECT_FALSE(output.IsPlaying());
    const std::uint64_t handedOver = output.PlayedBytes();
    EXPECT_LT(handedOver, wav.size() - kWavHeaderSize);
    EXPECT_EQ(test::CountStreams("sink-inputs"), 0);

    // Let the monitor record half a second of what follows the stop.
    const std::size_t atStop = recording.SamplesSoFar().size();
    WaitFor([&] { return recording.SamplesSoFar().size() >= atStop + kSampleRate / 2; }, 10000);
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(output.PlayedBytes(), handedOver);

    // A beginning of the tape, then nothing but silence; the last pulse may be cut.
    const Heard heard = ListenToPulses(recording.Finish(), kLevel2Cell);
    EXPECT_GT(heard.bits, 8u * 16);
    EXPECT_LT(heard.bits, tape.size() * 8);
    EXPECT_LE(heard.stray, 6u);
    ASSERT_LE(heard.bytes.size(), tape.size());
    EXPECT_TRUE(std::equal(heard.bytes.begin(), heard.bytes.end(), tape.begin()));
}

TEST_F(SoundOutput, PlayWhilePlayingStartsOverAndEndsOnce) {
    const Bytes first = test::BuildWav(test::LongerTape());
    const Bytes second = test::BuildWav(test::ShortTape());
    ASSERT_TRUE(output.Play(first.data(), first.size()));
    ASSERT_TRUE(WaitFor([&] { return output.PlayedBytes() > 0; }));
    ASSERT_TRUE(output.Play(second.data(), second.size()));
    ASSERT_TRUE(WaitFor([&] { return finished > 0; }));
    EXPECT_EQ(output.PlayedBytes(), second.size() - kWavHeaderSize);
    WaitFor([&] { return finished > 1; }, 500);
    EXPECT_EQ(finished, 1);
}

TEST_F(SoundOutput, StopWhenIdleAndImagesWithoutAWholeHeaderAreHarmless) {
    output.Stop();
    const Bytes wav = test::BuildWav(test::ShortTape());
    EXPECT_FALSE(output.Play(wav.data(), kWavHeaderSize - 1));
    EXPECT_FALSE(output.Play(nullptr, 0));
    EXPECT_FALSE(output.IsPlaying());
    EXPECT_EQ(finished, 0);
}

TEST(SoundOutputWithoutServer, ReportsNoDeviceInsteadOfPlayingElsewhere) {
    QProcess child;
    child.setProcessEnvironment(test::WithoutServer());
    child.start(QCoreApplication::applicationFilePath(), {test::kPlayWithoutServerFlag});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.readAllStandardOutput().trimmed().toStdString(), "no device");
    EXPECT_EQ(child.exitCode(), 0);
}

} // namespace
} // namespace tonvale
