// The Qt sound output and `tonvale-cli play` against a real sound server: what they play is
// recorded from the sink's monitor and listened to as a TRS-80 would.
#include "audio/AudioTestSupport.h"
#include "platform/qt/audio/QtSoundOutput.h"

#include <QSignalSpy>

#include <algorithm>
#include <csignal>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

// The sound a recording holds, from its first sample off the zero line to its last: what was
// played of an image comes out of the 8-bit sink byte for byte, its 16-bit samples as their
// high bytes.
Bytes Sound(ByteView samples) {
    auto sound = [](Byte b) { return b != 0x80; };
    const auto first = std::find_if(samples.begin(), samples.end(), sound);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), sound).base();
    return first < last ? Bytes(first, last) : Bytes();
}

// The sound of the tape's 8-bit image, between its silences.
Bytes SoundOf(const Bytes& tape) {
    return Sound(BuildWavImage(TapeFormat::Level2, tape).View().subspan(kWavHeaderSize));
}

// What the monitor heard once it caught up with `samples` (it runs a little behind the sink;
// should the end have been cut off, this waits in vain and what was heard falls short).
Bytes HeardOnceCaughtUp(MonitorRecording& recording, std::size_t samples) {
    (void)QTest::qWaitFor([&] { return Sound(recording.SoFar()).size() >= samples; });
    return Sound(recording.Finish());
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
        const Bytes whole = SoundOf(tape);
        const Bytes heard = HeardOnceCaughtUp(recording, stop ? 0 : whole.size());
        EXPECT_EQ(heard.size() < whole.size(), stop);
        ASSERT_LE(heard.size(), whole.size());
        EXPECT_TRUE(std::equal(heard.begin(), heard.end(), whole.begin()));
        EXPECT_GT(heard.size(), 16u * 352); // 16 bytes of Level 2
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
            QTest::qWaitFor([&] { return Sound(recording.SoFar()).size() > 8 * 352; })) {
            if (c.interrupt) ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
            if (c.unplug) SetSinkPresent(false);
        }
        ASSERT_TRUE(cli.waitForFinished(60000));
        if (c.unplug) SetSinkPresent(true);
        EXPECT_EQ(cli.exitCode(), c.status);
        EXPECT_TRUE(cli.readAllStandardError().endsWith(c.err)) << c.err;
        EXPECT_EQ(CountStreams("sink-inputs"), 0);
        const Bytes whole = SoundOf(tape);
        EXPECT_EQ(HeardOnceCaughtUp(recording, c.status ? 0 : whole.size()) == whole,
                  c.status == 0);
    }
}

} // namespace
} // namespace tonvale::test
