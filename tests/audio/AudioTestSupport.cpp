#include "audio/AudioTestSupport.h"

#include "builder/Level2BasicBuilder.h"
#include "builder/TapeBuilder.h"
#include "sound/WavImage.h"

#include <QTest>

namespace tonvale::test {

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

int CountStreams(const char* kind) {
    return static_cast<int>(
        RunTool("pactl", {"list", "short", kind}).split('\n', Qt::SkipEmptyParts).size());
}

void SetSinkPresent(bool present) {
    if (!present) {
        RunTool("pactl", {"unload-module", "module-null-sink"});
        return;
    }
    RunTool("pactl", {"load-module", "module-null-sink", "sink_name=tonvale_sink", "format=u8",
                      "rate=22050", "channels=1", "norewinds=1"});
    RunTool("pactl", {"set-default-sink", "tonvale_sink"});
}

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

Bytes BuildWav(const Bytes& tape) {
    const WavImage wav = BuildWavImage(TapeFormat::Level2, tape);
    return Bytes(wav.bytes.get(), wav.bytes.get() + wav.size);
}

MonitorRecording::MonitorRecording() : m_path(TempDir("audio-recording") + "/monitor.raw") {
    const int before = CountStreams("source-outputs");
    m_recorder.start("parecord",
                     {"--device=@DEFAULT_MONITOR@", "--format=u8", "--rate=22050", "--channels=1",
                      "--raw", "--latency-msec=20", QString::fromStdString(m_path)});
    m_started = m_recorder.waitForStarted() &&
                QTest::qWaitFor([&] { return CountStreams("source-outputs") > before; }, 20000);
}

MonitorRecording::~MonitorRecording() {
    m_recorder.kill();
    m_recorder.waitForFinished();
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
