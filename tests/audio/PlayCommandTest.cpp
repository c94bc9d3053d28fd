// tonvale-cli play against a real sound server: to the end, stopped by Ctrl-C, without server.
#include "audio/AudioTestSupport.h"
#include "builder/Level1Builder.h"
#include "builder/SignalListener.h"
#include "builder/TapeBuilder.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>

namespace tonvale {
namespace {

using test::WaitFor;

struct CliRun {
    int status = -1;
    std::string err;
};

QString TapeFile(const Bytes& tape) {
    return QString::fromStdString(
        test::WriteFile(test::TempDir("play-command") + "/tape.cas", tape));
}

CliRun RunPlay(const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.start(TONVALE_CLI, QStringList{"play"} + arguments);
    CliRun run;
    if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit) return run;
    run.status = cli.exitCode();
    run.err = cli.readAllStandardError().toStdString();
    return run;
}

TEST(PlayCommand, PlaysTheTapeToTheEndAndShowsTheFullBar) {
    test::MonitorRecording recording;
    ASSERT_TRUE(recording.Started());
    const Bytes tape = test::ShortTape();
    const CliRun run = RunPlay({TapeFile(tape)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "[########################################] 0:01 / 0:01\n");

    WaitFor(
        [&] { return test::ListenToPulses(recording.SamplesSoFar(), 44).bits >= tape.size() * 8; },
        10000);
    EXPECT_EQ(test::ListenToPulses(recording.Finish(), 44).bytes, tape);
}

TEST(PlayCommand, CtrlCStopsPlaybackAndLeavesNoStreamBehind) {
    QProcess cli;
    cli.start(TONVALE_CLI, {"play", TapeFile(test::LongerTape())});
    ASSERT_TRUE(WaitFor([] { return test::CountStreams("sink-inputs") > 0; }));
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_NE(cli.readAllStandardError().toStdString().find(" stopped\n"), std::string::npos);
    EXPECT_EQ(test::CountStreams("sink-inputs"), 0);
}

TEST(PlayCommand, WithoutASoundServerSaysSoAndFails) {
    const CliRun run = RunPlay({TapeFile(test::ShortTape())}, test::WithoutServer());
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("Audio device problem on PlaySound"), std::string::npos) << run.err;
}

TEST(PlayCommand, EmptyLevel1CsaveHasNothingToPlay) {
    const Bytes csave = test::Level1EmptyCsave().Rom(test::MadeUpRom()).Build();
    const CliRun run = RunPlay({TapeFile(test::TapeBuilder().Level1File(csave).Build())});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("no WAV image"), std::string::npos) << run.err;
    EXPECT_EQ(test::CountStreams("sink-inputs"), 0);
}

} // namespace
} // namespace tonvale
