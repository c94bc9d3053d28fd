#pragma once
// What the real-sound tests share: the sound server of scripts/with-sound-server (a null sink
// "tonvale_sink", unsigned 8-bit mono at 22050 per second), a short tape, and a recording of
// what the sink plays, taken from its monitor.
#include "builder/TestFiles.h"
#include "sound/WavImage.h"
#include "tape/TapeImageWriter.h"
#include "writer/Level2Listing.h"

#include <QProcess>
#include <QTest>

namespace tonvale::test {

// The standard output of pactl, empty on failure.
inline QString Pactl(const QStringList& arguments) {
    QProcess pactl;
    pactl.start("pactl", arguments);
    const bool ok = pactl.waitForFinished(20000) && pactl.exitCode() == 0;
    return ok ? QString::fromLocal8Bit(pactl.readAllStandardOutput()) : QString();
}
// Streams the server has open: playback ("sink-inputs") or recording ("source-outputs").
inline int CountStreams(const char* kind) {
    return static_cast<int>(Pactl({"list", "short", kind}).count('\n'));
}
// The sink goes, its streams with it, or comes back as the default.
inline void SetSinkPresent(bool present) {
    if (!present) return (void)Pactl({"unload-module", "module-null-sink"});
    Pactl({"load-module", "module-null-sink", "sink_name=tonvale_sink", "format=u8", "rate=22050",
           "channels=1", "norewinds=1"});
    Pactl({"set-default-sink", "tonvale_sink"});
}

// A sink of its own at the capture's format, so that what is played reaches the capture
// without being made 8-bit; its monitor as a sound input ("tape_in"), as Qt Multimedia lists no
// monitors among the inputs.
struct CaptureSink {
    CaptureSink() {
        sink = Pactl({"load-module", "module-null-sink", "sink_name=capture_sink", "format=s16le",
                      "rate=44100", "channels=1", "norewinds=1"})
                   .trimmed();
        input = Pactl({"load-module", "module-remap-source", "master=capture_sink.monitor",
                       "source_name=tape_in", "channels=1"})
                    .trimmed();
    }
    ~CaptureSink() {
        Pactl({"unload-module", input});
        Pactl({"unload-module", sink});
    }
    bool Ready() const { return !sink.isEmpty() && !input.isEmpty(); }
    QString sink, input;
};

// About 1.3 seconds of Level 2.
inline Bytes ShortTape() {
    const auto program = Level2BasicFromListing("10 PRINT \"TONVALE\"\n20 GOTO 10", 'T');
    return TapeImageWriter().File(TapeFormat::Level2, *program, 32).Image();
}

// Records the default sink's monitor as raw unsigned 8-bit mono at 22050 per second.
struct MonitorRecording {
    MonitorRecording() {
        const int before = CountStreams("source-outputs");
        recorder.start("parecord",
                       {"--device=@DEFAULT_MONITOR@", "--format=u8", "--rate=22050", "--channels=1",
                        "--raw", "--latency-msec=20", QString::fromStdString(path)});
        started = QTest::qWaitFor([&] { return CountStreams("source-outputs") > before; }, 20000);
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
