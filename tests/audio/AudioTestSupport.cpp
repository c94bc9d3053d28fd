#include "audio/AudioTestSupport.h"

#include "app/TonvaleDlg.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace tonvale::test {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QEventLoop pause;
        QTimer::singleShot(5, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return true;
}

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

int CountStreams(const char* kind) {
    const QString list = RunTool("pactl", {"list", "short", kind});
    return static_cast<int>(list.split('\n', Qt::SkipEmptyParts).size());
}

Bytes BuildWav(const Bytes& tape) {
    HeadlessPlatform platform;
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.OpenTape(WriteFile(TempDir("audio-tape") + "/tape.cas", tape));
    if (!dlg.m_wavImage) return {};
    return Bytes(dlg.m_wavImage.get(), dlg.m_wavImage.get() + dlg.m_wavSize);
}

MonitorRecording::MonitorRecording() : m_path(TempDir("audio-recording") + "/monitor.raw") {
    const int before = CountStreams("source-outputs");
    m_recorder.start("parecord", {"--device=@DEFAULT_MONITOR@", "--format=u8",
                                  QString("--rate=%1").arg(kRecordingRate), "--channels=1", "--raw",
                                  "--latency-msec=20", QString::fromStdString(m_path)});
    m_started = m_recorder.waitForStarted() &&
                WaitFor([&] { return CountStreams("source-outputs") > before; });
}

MonitorRecording::~MonitorRecording() {
    if (m_recorder.state() != QProcess::NotRunning) {
        m_recorder.kill();
        m_recorder.waitForFinished();
    }
}

Bytes MonitorRecording::SamplesSoFar() const {
    return ReadFile(m_path);
}

Bytes MonitorRecording::Finish() {
    m_recorder.terminate(); // parecord writes out what it holds and ends
    m_recorder.waitForFinished();
    return ReadFile(m_path);
}

} // namespace tonvale::test

#include "builder/Level2BasicBuilder.h"
#include "platform/qt/audio/QtSoundOutput.h"

#include <cstdio>

namespace tonvale::test {

Bytes ShortTape() {
    const Bytes program =
        Level2Basic('T').Line(10, "PRINT \"TONVALE\"").Line(20, "GOTO 10").Build();
    return TapeBuilder().Level2File(program, 32).Build();
}

Bytes LongerTape() {
    Level2Basic program('L');
    for (std::uint16_t line = 10; line <= 100; line += 10)
        program.Line(line, "PRINT \"THE QUICK BROWN FOX\"");
    return TapeBuilder().Level2File(program.Build(), 32).Build();
}

int PlayWithoutServer() {
    const Bytes wav = BuildWav(ShortTape());
    QtSoundOutput output;
    const bool played = output.Play(wav.data(), wav.size());
    std::puts(played ? "played" : "no device");
    return played || output.IsPlaying() ? 1 : 0;
}

QProcessEnvironment WithoutServer() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PULSE_SERVER", "unix:/nonexistent/tonvale-no-server/native");
    return environment;
}

} // namespace tonvale::test
