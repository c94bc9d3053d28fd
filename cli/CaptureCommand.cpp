// tonvale-record (run by `tonvale-cli capture`): a cassette recorded from a sound input, with
// the rescue running on the sound as it comes. Each tape file is told as it ends, the signal's
// quality on a terminal twice a second; the FLAC file grows as the sound comes, and at the end
// the tape is written and reported as `rescue` reports it.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Tape.h"
#include "recording/LiveCapture.h"

#include "platform/qt/audio/QtSoundInput.h"

#include <QCoreApplication>
#include <QTimer>

#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace tonvale::cli {

namespace {

const std::string kCommand = "tonvale-cli capture";

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

std::string Printed(const char* format, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// Standard error from two threads: tape files and overruns as lines of their own, the quality
// line redrawn in place below them on a terminal (or, asked for, a line each).
class LiveLines {
  public:
    LiveLines(bool terminal, bool qualityLines)
        : m_terminal(terminal), m_qualityLines(qualityLines) {}

    void Line(ByteView line) {
        const std::lock_guard lock(m_mutex);
        ClearQuality();
        WriteErr(line);
        WriteErr(ByteView(reinterpret_cast<const Byte*>("\n"), 1));
        std::fflush(stderr);
    }
    void Line(const std::string& line) {
        Line(ByteView(reinterpret_cast<const Byte*>(line.data()), line.size()));
    }
    void Quality(const RescueQuality& quality) {
        if (!m_terminal && !m_qualityLines) return;
        const std::lock_guard lock(m_mutex);
        const std::string text = QualityLine(quality);
        if (m_terminal) {
            std::fprintf(stderr, "\r%-79s", text.c_str());
            m_shown = true;
        } else {
            std::fprintf(stderr, "%s\n", text.c_str());
        }
        std::fflush(stderr);
    }
    void End() {
        const std::lock_guard lock(m_mutex);
        ClearQuality();
    }

  private:
    void ClearQuality() {
        if (m_shown) std::fprintf(stderr, "\r%79s\r", "");
        m_shown = false;
    }

    std::mutex m_mutex;
    bool m_terminal, m_qualityLines;
    bool m_shown = false;
};

bool Exists(const std::string& utf8) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())),
                                   error);
}

int Fail(const std::string& message, int status) {
    WriteErrLine(kCommand + ": " + message);
    return status;
}

int ListInputs() {
    const std::vector<SoundInputName> inputs = QtSoundInput::Inputs();
    for (const SoundInputName& input : inputs)
        std::printf("%s\t%s%s\n", input.id.toUtf8().constData(),
                    input.description.toUtf8().constData(), input.isDefault ? " (default)" : "");
    if (inputs.empty()) return Fail("no sound input (is a sound server running?)", kExitNoSound);
    return kExitOk;
}

int Capture(const CaptureOptions& options, QCoreApplication& application) {
    const std::string flac = options.name + ".flac";
    const std::string cas = options.name + ".cas";
    for (const std::string& path : {flac, cas})
        if (Exists(path) && !options.force)
            return Fail(path + " exists; --force replaces it", kExitUsage);

    QtSoundInput input;
    QString failure;
    if (!input.Open(QString::fromStdString(options.device), failure))
        return Fail(failure.toStdString(), kExitNoSound);

    LiveLines lines(StderrIsTerminal(), options.quality);
    std::size_t ended = 0;
    CaptureEvents events;
    events.fileEnded = [&](const RescueResult& lone) { lines.Line(EndedLine(++ended, lone)); };
    events.quality = [&](const RescueQuality& quality) { lines.Quality(quality); };
    const double rate = input.Rate();
    events.overrun = [&](const Overrun& overrun) { lines.Line(OverrunLine(overrun, rate)); };
    std::string openFailure;
    const auto capture = LiveCapture::Start(flac, rate, events, openFailure);
    if (!capture) return Fail("Error opening file " + flac + ": " + openFailure, kExitUsage);

    const auto limit = static_cast<std::uint64_t>(options.seconds * rate + 0.5);
    bool enough = false;
    const bool started = input.Start([&](std::span<const std::int16_t> samples, double seconds) {
        if (enough) return;
        if (limit > 0 && capture->Received() + samples.size() >= limit) {
            samples = samples.first(static_cast<std::size_t>(limit - capture->Received()));
            enough = true;
        }
        capture->Arrived(samples, seconds);
    });
    bool closed = true;
    if (!started) {
        capture->Stop(closed);
        return Fail("the sound input " + input.Description().toStdString() + " gives no sound",
                    kExitNoSound);
    }

    g_interrupted = 0;
    auto previousInt = std::signal(SIGINT, OnInterrupt);
    auto previousTerm = std::signal(SIGTERM, OnInterrupt);
    bool inputFailed = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        inputFailed = input.Failed();
        if (g_interrupted || enough || inputFailed || !capture->WriteFailure().empty())
            application.quit();
    });
    watch.start(20);
    QCoreApplication::exec();
    watch.stop();
    input.Stop();
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);

    const RescueResult result = capture->Stop(closed);
    lines.End();
    const double seconds = static_cast<double>(capture->Received()) / rate;
    if (inputFailed)
        WriteErrLine(kCommand + ": the sound input went away" +
                     Printed(" at %.3f s; what came before is kept", seconds));
    if (const std::string written = capture->WriteFailure(); !written.empty() || !closed)
        WriteErrLine(kCommand + ": Error writing file " + flac + " (disk full?): the capture " +
                     Printed("stopped at %.3f s", result.seconds) +
                     "; what was written before is kept");
    RescueOptions report;
    report.recording = flac;
    report.json = options.json;
    return SaveAndReport(kCommand, flac, cas, result, report);
}

} // namespace

int RunCaptureHere(const CaptureOptions& options) {
    int argc = 1;
    char name[] = "tonvale-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    if (options.listDevices) return ListInputs();
    return Capture(options, application);
}

} // namespace tonvale::cli
