#pragma once
// What the real-sound tests share: the sound server of scripts/with-sound-server (a null sink
// "tonvale_sink", unsigned 8-bit mono at 22050 per second), short tapes, and a recording of
// what the sink plays, taken from its monitor.
#include "builder/Level2BasicBuilder.h"
#include "builder/TapeBuilder.h"
#include "sound/WavImage.h"

#include <QProcess>
#include <QTest>

namespace tonvale::test {

// Standard output of a sound-server tool (pactl), empty on failure.
inline QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    const bool ok = tool.waitForFinished(20000) && tool.exitStatus() == QProcess::NormalExit &&
                    tool.exitCode() == 0;
    return ok ? QString::fromLocal8Bit(tool.readAllStandardOutput()) : QString();
}
// Streams the server has open: playback ("sink-inputs") or recording ("source-outputs").
inline int CountStreams(const char* kind) {
    return static_cast<int>(
        RunTool("pactl", {"list", "short", kind}).split('\n', Qt::SkipEmptyParts).size());
}
// The sink goes (its streams with it), or comes back as the default.
inline void SetSinkPresent(bool present) {
    if (!present) return (void)RunTool("pactl", {"unload-module", "module-null-sink"});
    RunTool("pactl", {"load-module", "module-null-sink", "sink_name=tonvale_sink", "format=u8",
                      "rate=22050", "channels=1", "norewinds=1"});
    RunTool("pactl", {"set-default-sink", "tonvale_sink"});
}

// A Level 2 tape of about 1.3 seconds, and the WAV image of a tape.
inline Bytes ShortTape() {
    return TapeBuilder()
        .Level2File(Level2Basic('T').Line(10, "PRINT \"TONVALE\"").Line(20, "GOTO 10").Build(), 32)
        .Build();
}
inline Bytes BuildWav(const Bytes& tape) {
    const WavImage wav = BuildWavImage(TapeFormat::Level2, tape);
    return Bytes(wav.bytes.get(), wav.bytes.get() + wav.size);
}

// Records the default sink's monitor as raw unsigned 8-bit mono at 22050 per second.
struct MonitorRecording {
    MonitorRecording() {
        const int before = CountStreams("source-outputs");
        recorder.start("parecord",
                       {"--device=@DEFAULT_MONITOR@", "--format=u8", "--rate=22050", "--channels=1",
                        "--raw", "--latency-msec=20", QString::fromStdString(path)});
        started = recorder.waitForStarted() &&
                  QTest::qWaitFor([&] { return CountStreams("source-outputs") > before; }, 20000);
    }
    ~MonitorRecording() { Finish(); }
    Bytes SoFar() const { return ReadFile(path); }
    Bytes Finish() {
        recorder.terminate(); // parecord writes out what it holds and ends
        recorder.waitForFinished();
        return ReadFile(path);
    }

    std::string path = TempDir("audio-recording") + "/monitor.raw";
    QProcess recorder;
    bool started = false;
};

} // namespace tonvale::test
