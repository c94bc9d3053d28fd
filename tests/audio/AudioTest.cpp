// The Qt sound output and `tonvale-cli play` against a real sound server: what they play is
// recorded from the sink's monitor and listened to as a TRS-80 would.
#include "audio/AudioTestSupport.h"
#include "builder/SignalListener.h"
#include "platform/qt/audio/QtSoundOutput.h"

#include <QSignalSpy>

#include <csignal>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

// What the monitor heard once it caught up with `bits` (it runs a little behind the sink;
// should the end have been cut off, this waits in vain and what was heard falls short).
Heard HeardOnceCaughtUp(MonitorRecording& recording, std::size_t bits) {
    (void)QTest::qWaitFor([&] { return ListenToPulses(recording.SoFar(), 44).bits >= bits; });
    return ListenToPulses(recording.Finish(), 44);
}

TEST(SoundOutput, PlaysEveryPulseInOrderAndEndsOnceOrStopsAtOnceMidWay) {
    const Bytes tape = ShortTape();
    const WavImage wav = BuildWavImage(TapeFormat::Level2, tape);
    QtSoundOutput output;
    QSignalSpy ended(&output, &QtSoundOutput::finished);
    for (const bool stop : {false, true}) {
        MonitorRecording recording;
        ASSERT_TRUE(recording.started);
        ASSERT_TRUE(output.Play(wav.bytes.get(), wav.size));
        if (stop) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return output.PlayedBytes() >= kSampleRate / 2; }));
            output.Stop();
            // Half a second of what follows: silence.
            const std::size_t atStop = recording.SoFar().size();
            EXPECT_TRUE(QTest::qWaitFor([&] { return recording.SoFar().size() > atStop + 11025; }));
        }
        EXPECT_EQ(stop || ended.wait(20000), true);
        EXPECT_EQ(output.PlayedBytes() < wav.size - kWavHeaderSize, stop);
        EXPECT_FALSE(output.IsPlaying());
        EXPECT_EQ(CountStreams("sink-inputs"), 0);
        const Heard heard = HeardOnceCaughtUp(recording, stop ? 0 : tape.size() * 8);
        EXPECT_EQ(heard.bits < tape.size() * 8, stop);
        EXPECT_LE(heard.stray, stop ? 6u : 0u); // a stop may cut the last pulse
        ASSERT_LE(heard.bytes.size(), tape.size());
        EXPECT_TRUE(std::equal(heard.bytes.begin(), heard.bytes.end(), tape.begin()));
        EXPECT_GT(heard.bytes.size(), 16u);
    }
    ASSERT_EQ(ended.count(), 1) << "the end of the first, not the stop of the second";
    EXPECT_FALSE(ended.front().front().toBool()) << "not failed";
}

// 16-bit samples reach the 8-bit sink as the 8-bit image's: the pulses are heard the same.
TEST(PlayCommand, PlaysToTheEndIn16BitsStopsOnCtrlCAndFailsWithoutAServerOrASink) {
    const Bytes tape = ShortTape();
    const QString path = QString::fromStdString(WriteFile(TempDir("play") + "/tape.cas", tape));
    struct Case {
        bool server, interrupt, unplug;
        int status;
        const char* err; // how standard error ends
        QStringList options = {};
    };
    for (const Case& c : {Case{true, false, false, 0, "] 0:01 / 0:01\n"},
                          Case{true, false, false, 0, "] 0:01 / 0:01\n", {"--bits", "16"}},
                          Case{true, true, false, 130, " stopped\n"},
                          Case{true, false, true, 4, "went away while playing\n"},
                          Case{false, false, false, 4, "(is a sound server running?)\n"}}) {
        MonitorRecording recording;
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!c.server) environment.insert("PULSE_SERVER", "unix:/nonexistent/native");
        cli.setProcessEnvironment(environment);
        cli.start(TONVALE_CLI, QStringList{"play"} << c.options << path);
        // Ctrl-C, or the sink pulled out, once the sound is heard.
        if ((c.interrupt || c.unplug) &&
            QTest::qWaitFor([&] { return ListenToPulses(recording.SoFar(), 44).bits > 64; })) {
            if (c.interrupt) ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
            if (c.unplug) SetSinkPresent(false);
        }
        ASSERT_TRUE(cli.waitForFinished(60000));
        if (c.unplug) SetSinkPresent(true);
        EXPECT_EQ(cli.exitCode(), c.status);
        EXPECT_TRUE(cli.readAllStandardError().endsWith(c.err)) << c.err;
        EXPECT_EQ(CountStreams("sink-inputs"), 0);
        EXPECT_EQ(HeardOnceCaughtUp(recording, c.status ? 0 : tape.size() * 8).bytes == tape,
                  c.status == 0);
    }
}

} // namespace
} // namespace tonvale::test
