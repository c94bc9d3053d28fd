// The Qt sound output and `tonvale-cli play` against a real sound server: what they play is
// recorded from the sink's monitor and listened to as a TRS-80 would.
#include "audio/AudioTestSupport.h"
#include "builder/SignalListener.h"
#include "builder/TapeBuilder.h"
#include "platform/qt/audio/QtSoundOutput.h"
#include "sound/WavImage.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <csignal>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

constexpr std::size_t kLevel2Cell = 44;

// What the monitor heard once it has caught up with `bits` (it runs a little behind the sink;
// should the end have been cut off, this waits in vain and what was heard falls short).
Heard HeardOnceCaughtUp(MonitorRecording& recording, std::size_t bits) {
    (void)QTest::qWaitFor(
        [&] { return ListenToPulses(recording.SamplesSoFar(), kLevel2Cell).bits >= bits; }, 10000);
    return ListenToPulses(recording.Finish(), kLevel2Cell);
}

TEST(SoundOutput, PlaysEveryPulseOfTheTapeInOrderThenSignalsTheEndOnce) {
    MonitorRecording recording;
    ASSERT_TRUE(recording.Started());
    const Bytes tape = ShortTape();
    const Bytes wav = BuildWav(tape);
    QtSoundOutput output;
    QSignalSpy finished(&output, &QtSoundOutput::finished);
    ASSERT_TRUE(output.Play(wav.data(), wav.size()));
    EXPECT_TRUE(output.IsPlaying());
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(output.IsPlaying());
    EXPECT_EQ(output.PlayedBytes(), wav.size() - kWavHeaderSize);

    const Heard heard = HeardOnceCaughtUp(recording, tape.size() * 8);
    EXPECT_EQ(heard.stray, 0u);
    EXPECT_EQ(heard.bits, tape.size() * 8);
    EXPECT_EQ(heard.bytes, tape);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished.front().front().toBool()) << "not failed";
    EXPECT_EQ(CountStreams("sink-inputs"), 0);
}

TEST(SoundOutput, StopSilencesAtOnceMidWayAndSignalsNoEnd) {
    MonitorRecording recording;
    ASSERT_TRUE(recording.Started());
    const Bytes tape = LongerTape();
    const Bytes wav = BuildWav(tape);
    QtSoundOutput output;
    QSignalSpy finished(&output, &QtSoundOutput::finished);
    ASSERT_TRUE(output.Play(wav.data(), wav.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.PlayedBytes() >= kSampleRate; }, 20000));
    output.Stop();
    EXPECT_FALSE(output.IsPlaying());
    const std::uint64_t handedOver = output.PlayedBytes();
    EXPECT_LT(handedOver, wav.size() - kWavHeaderSize);
    EXPECT_EQ(CountStreams("sink-inputs"), 0);

    // Half a second of what follows the stop: silence, and no end signalled.
    const std::size_t atStop = recording.SamplesSoFar().size();
    (void)QTest::qWaitFor(
        [&] { return recording.SamplesSoFar().size() >= atStop + kSampleRate / 2; });
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(output.PlayedBytes(), handedOver);
    const Heard heard = ListenToPulses(recording.Finish(), kLevel2Cell);
    EXPECT_GT(heard.bits, 8u * 16);
    EXPECT_LT(heard.bits, tape.size() * 8);
    EXPECT_LE(heard.stray, 6u); // the last pulse may be cut
    ASSERT_LE(heard.bytes.size(), tape.size());
    EXPECT_TRUE(std::equal(heard.bytes.begin(), heard.bytes.end(), tape.begin()));
}

struct CliRun {
    int status = -1;
    QString err;
};

CliRun RunPlay(const Bytes& tape, QProcessEnvironment environment, bool interrupt = false) {
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.start(TONVALE_CLI, {"play", QString::fromStdString(
                                        WriteFile(TempDir("play-command") + "/tape.cas", tape))});
    if (interrupt && QTest::qWaitFor([] { return CountStreams("sink-inputs") > 0; }, 20000))
        ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit) return {};
    return {cli.exitCode(), QString::fromLocal8Bit(cli.readAllStandardError())};
}

TEST(PlayCommand, PlaysToTheEndIsStoppedByCtrlCAndFailsWithoutAServer) {
    const QProcessEnvironment server = QProcessEnvironment::systemEnvironment();
    MonitorRecording recording;
    ASSERT_TRUE(recording.Started());
    const CliRun played = RunPlay(ShortTape(), server);
    EXPECT_EQ(played.status, 0) << played.err.toStdString();
    EXPECT_EQ(played.err, "[########################################] 0:01 / 0:01\n");
    EXPECT_EQ(HeardOnceCaughtUp(recording, ShortTape().size() * 8).bytes, ShortTape());

    const CliRun stopped = RunPlay(LongerTape(), server, true);
    EXPECT_EQ(stopped.status, 130);
    EXPECT_TRUE(stopped.err.endsWith(" stopped\n")) << stopped.err.toStdString();
    EXPECT_EQ(CountStreams("sink-inputs"), 0);

    QProcessEnvironment none = server;
    none.insert("PULSE_SERVER", "unix:/nonexistent/tonvale-no-server/native");
    const CliRun failed = RunPlay(ShortTape(), none);
    EXPECT_EQ(failed.status, 4);
    EXPECT_TRUE(failed.err.contains("Audio device problem on PlaySound"))
        << failed.err.toStdString();
}

} // namespace
} // namespace tonvale::test
