// `tonvale-cli capture` against a real sound server: a recording is played into a null sink
// and captured from its monitor, stopped by Ctrl-C; what it prints and the tape it writes must
// be what `rescue` makes of the FLAC file it wrote.
#include "audio/AudioTestSupport.h"
#include "builder/CliRun.h"
#include "rescue/CaptureModel.h"

#include <QElapsedTimer>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

struct Played {
    const char* name;
    std::function<std::string(const std::string& dir)> sound; // the WAV file to play
    double stopAfter; // seconds of playing; 0: when the playing has ended
    int status;
    int files;         // tape files told as they end
    bool json = false; // the report at the end as JSON
};

class Capture : public testing::TestWithParam<Played> {};

// A recording as written, empty when it cannot be read.
Recording ReadSound(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Recording r;
    if (!file) return r;
    r.rate = info.samplerate;
    r.samples.resize(static_cast<std::size_t>(info.frames));
    sf_read_float(file, r.samples.data(), info.frames);
    sf_close(file);
    return r;
}

// Where the played sound begins in a recording: its first sample off the silence, in seconds.
double SoundStart(const Recording& r) {
    const auto loud = std::find_if(r.samples.begin(), r.samples.end(),
                                   [](float x) { return std::abs(x) > 0.009f; });
    return loud == r.samples.end() ? -1 : static_cast<double>(loud - r.samples.begin()) / r.rate;
}

// How long after its sound went into the sink each quality figure came out: a figure covers
// the sound up to its time, which the sink played `start` seconds into the recording.
void PrintDelays(const char* name, const std::vector<std::pair<qint64, double>>& figures,
                 double start) {
    std::vector<double> delays;
    for (const auto& [arrivedMs, seconds] : figures)
        if (seconds > start)
            delays.push_back(static_cast<double>(arrivedMs) - (seconds - start) * 1000);
    if (delays.empty()) return;
    std::sort(delays.begin(), delays.end());
    std::printf("[%s] sound into the sink to quality figure out, over %zu figures: median %.0f ms, "
                "most %.0f ms\n",
                name, delays.size(), delays[delays.size() / 2], delays.back());
}

TEST_P(Capture, WritesTheTapeRescueGivesOfItsFlacAndStopsOnCtrlC) {
    const Played& played = GetParam();
    CaptureSink sink;
    ASSERT_TRUE(sink.Ready());
    const std::string dir = TempDir(std::string("capture-") + played.name);
    const QString wav = QString::fromStdString(played.sound(dir));
    const QString name = QString::fromStdString(dir + "/tape");

    QProcess capture;
    QByteArray err;
    QElapsedTimer sinceSound;
    std::vector<std::pair<qint64, double>> figures; // when each came, the sound's time it covers
    QObject::connect(&capture, &QProcess::readyReadStandardError, [&] {
        const QByteArray more = capture.readAllStandardError();
        for (const QByteArray& line : more.split('\n'))
            if (line.startsWith("Signal at ") && sinceSound.isValid())
                figures.emplace_back(sinceSound.elapsed(), line.mid(10).split(' ')[0].toDouble());
        err += more;
    });
    const QStringList json = played.json ? QStringList{"--json"} : QStringList{};
    capture.start(
        TONVALE_CLI,
        QStringList{"capture", "-o", name, "--device", "tape_in", "--quality", "--force"} + json);
    ASSERT_TRUE(QTest::qWaitFor([&] { return err.contains("Signal at"); }, 20000)) << err.data();
    QProcess player;
    sinceSound.start();
    player.start("paplay", {"--device=capture_sink", wav});
    if (played.stopAfter > 0) {
        QTest::qWait(static_cast<int>(played.stopAfter * 1000));
    } else {
        EXPECT_TRUE(QTest::qWaitFor([&] { return player.state() == QProcess::NotRunning; }, 60000));
        QTest::qWait(1500); // the capture runs a little behind the sink
    }
    ::kill(static_cast<pid_t>(capture.processId()), SIGINT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.state() == QProcess::NotRunning; }, 60000));
    player.kill();
    player.waitForFinished();
    err += capture.readAllStandardError();
    PrintDelays(played.name, figures, SoundStart(ReadSound(name.toStdString() + ".flac")));

    const std::string tape = name.toStdString();
    const CliRun rescue = Cli("rescue " + Q(tape + ".flac") + " -o " + Q(tape + "-rescued.cas") +
                              " --force" + (played.json ? " --json" : ""));
    EXPECT_EQ(capture.exitCode(), played.status) << err.data();
    EXPECT_EQ(rescue.status, played.status);
    EXPECT_EQ(ReadFile(dir + "/tape.cas"), ReadFile(dir + "/tape-rescued.cas"));
    EXPECT_EQ(ReadFile(dir + "/tape.cas").empty(), played.files == 0);
    // The same report and rescue lines, the recording's name aside.
    EXPECT_EQ(capture.readAllStandardOutput().replace("tape.cas", "tape-rescued.cas").toStdString(),
              rescue.out);
    EXPECT_EQ(err.count(" ended at "), played.files) << err.data();
    // A clip shorter than the figure's half second may end between two figures.
    if (played.files > 0) {
        EXPECT_TRUE(err.contains("cells sure")) << err.data();
    }
    // A real server may stall for a moment and give its delay back as a pile of sound, which the
    // steady clock cannot always tell from sound dropped (the overrun table judges the watch
    // itself). Said, not failed: the tape above came out whole all the same.
    if (err.contains("Overrun")) {
        std::printf("[%s] the sound server stalled: %s\n", played.name,
                    err.mid(err.indexOf("Overrun")).split('\n').front().constData());
    }
}

std::string OwnSound(const std::string& dir) {
    const std::string wav = dir + "/demo.wav";
    Cli("wav " + Q(TONVALE_SOURCE_DIR "/examples/demo.cas") + " -o " + Q(wav) +
        " --rate 44100 --bits 16");
    return wav;
}

// Two copies of a BASIC program as a real cassette gives them back: 7 s each, the second's
// bytes from 9.3 s to 15 s. Cut inside them, it is completed from the first.
std::string CapturedTwice(const std::string& dir) {
    const Bytes demo = ReadFile(std::string(TONVALE_SOURCE_DIR) + "/examples/demo.cas");
    const Recording once = CapturePulses(demo, {});
    return WriteSoundFile(dir + "/captured.wav", Join(once, once));
}

// A real cassette's leader running into its sync byte: too short for a tape file.
std::string RealClip(const std::string&) {
    return TONVALE_SOURCE_DIR "/tests/rescue/real-clips/low-speed/sync01.wav";
}

INSTANTIATE_TEST_SUITE_P(
    Sounds, Capture,
    testing::Values(Played{"own_sound_whole", OwnSound, 0, 0, 1},
                    Played{"own_sound_stopped_in_the_program", OwnSound, 5, 1, 1},
                    Played{"captured_second_copy_stopped_json", CapturedTwice, 12, 0, 2, true},
                    Played{"real_clip", RealClip, 0, 1, 0}),
    [](const testing::TestParamInfo<Played>& row) { return std::string(row.param.name); });

TEST(CaptureDevices, AreListedAndAMissingOneOrServerIsTold) {
    CaptureSink sink;
    const CliRun listed = Cli("capture --list-devices");
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("tape_in\tRemapped Monitor of "), std::string::npos) << listed.out;
    const std::string dir = TempDir("capture-missing");
    const CliRun missing =
        Cli("capture -o " + Q(dir + "/x") + " --device no_such_input --seconds 1");
    EXPECT_EQ(missing.status, 4);
    EXPECT_TRUE(
        missing.err.ends_with("no sound input 'no_such_input' (--list-devices lists them)\n"))
        << missing.err;
    const CliRun timed = Cli("capture -o " + Q(dir + "/quiet") + " --device tape_in --seconds 1.5");
    EXPECT_EQ(timed.status, 1); // nothing on the tape
    EXPECT_TRUE(timed.err.ends_with("no tape file found in " + dir + "/quiet.flac\n")) << timed.err;
    EXPECT_EQ(ReadSound(dir + "/quiet.flac").samples.size(), 66150u); // 1.5 s exactly, as FLAC
}

} // namespace
} // namespace tonvale::test
