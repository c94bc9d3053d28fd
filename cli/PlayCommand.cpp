// tonvale-play (run by `tonvale-cli play`): the tape through the sound output, with a progress
// bar on the terminal.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Tape.h"

#include <fmt/core.h>
#include <string>

#include "platform/qt/audio/QtSoundOutput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <csignal>

namespace tonvale::cli {

namespace {

constexpr int kExitInterrupted = 130; // as a shell reports a Ctrl-C

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

// The window-less platform with its sound going to the real output.
class QtSoundPlatform : public HeadlessPlatform {
  public:
    explicit QtSoundPlatform(QtSoundOutput& output) : m_output(output) {}
    bool PlaySound(const Byte* image, std::uint64_t size) override {
        return m_output.Play(image, size);
    }
    void StopSound() override { m_output.Stop(); }

  private:
    QtSoundOutput& m_output;
};

std::string Clock(std::uint64_t millis) {
    return fmt::format("{}:{:02}", millis / 60000, millis / 1000 % 60);
}

// "[#######.............] 0:12 / 1:05" redrawn in place on a terminal; a pipe gets the last
// state only.
class ProgressBar {
  public:
    explicit ProgressBar(std::uint32_t totalMillis)
        : m_total(totalMillis), m_terminal(StderrIsTerminal()) {}

    void Draw(std::uint64_t elapsedMillis) {
        if (m_terminal) fmt::print(stderr, "\r{}", Line(elapsedMillis));
    }
    void End(std::uint64_t elapsedMillis, bool stopped) {
        fmt::print(stderr, "{}{}{}\n", m_terminal ? "\r" : "", Line(elapsedMillis),
                   stopped ? " stopped" : "");
    }

  private:
    static constexpr std::uint64_t kWidth = 40;

    std::string Line(std::uint64_t elapsedMillis) const {
        const std::uint64_t elapsed = std::min<std::uint64_t>(elapsedMillis, m_total);
        const std::uint64_t filled = m_total == 0 ? kWidth : elapsed * kWidth / m_total;
        // Appended piece by piece: GCC 12 at -O3 warns falsely about "literal" + string.
        std::string line = "[";
        line.append(filled, '#').append(kWidth - filled, '.').append("] ");
        return line.append(Clock(elapsed)).append(" / ").append(Clock(m_total));
    }

    std::uint64_t m_total;
    bool m_terminal;
};

int PlayTape(const Options& options, const std::string& tape) {
    int argc = 1;
    char name[] = "tonvale-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    // The sound output outlives the session: closing the dialog stops the sound through it.
    QtSoundOutput output;
    QtSoundPlatform sound(output);

    Session session(options);
    session.platform.soundOutput = &sound;
    EndWithMessagesWhenNoSound(session);
    if (!session.Open(tape)) return kExitUsage;
    CTonvaleDlg& dlg = session.dlg;
    if (dlg.WavBytes().empty()) {
        WriteErrLine(std::string("tonvale-cli play: ") + std::string(kNoWavText));
        return kExitNoWav;
    }

    // Ctrl-C from the first sample on stops the sound as the Stop button does.
    g_interrupted = 0;
    auto previousInt = std::signal(SIGINT, OnInterrupt);
    auto previousTerm = std::signal(SIGTERM, OnInterrupt);
    auto restoreSignals = [&] {
        std::signal(SIGINT, previousInt);
        std::signal(SIGTERM, previousTerm);
    };

    const std::size_t before = session.platform.messages.size();
    dlg.OnPlay();
    if (session.platform.messages.size() != before || !output.IsPlaying()) {
        restoreSignals();
        WriteErrLine("tonvale-cli play: Audio device problem on PlaySound: no sound device can "
                     "play (is a sound server running?)");
        return kExitNoSound;
    }

    const std::uint32_t total = options.lnw ? dlg.PlayMillis() / 2 : dlg.PlayMillis();
    ProgressBar bar(total);
    QElapsedTimer clock;
    clock.start();
    bool stopped = false;
    bool failed = false;

    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] {
        if (g_interrupted) {
            dlg.OnPlay(); // Stop, as the button does
            stopped = true;
            application.quit();
            return;
        }
        bar.Draw(static_cast<std::uint64_t>(clock.elapsed()));
    });
    QObject::connect(&output, &QtSoundOutput::finished, &application, [&](bool deviceFailed) {
        failed = deviceFailed;
        application.quit();
    });
    refresh.start(100);
    bar.Draw(0);
    QCoreApplication::exec();
    refresh.stop();
    restoreSignals();

    if (failed) {
        bar.End(static_cast<std::uint64_t>(clock.elapsed()), true);
        WriteErrLine("tonvale-cli play: Audio device problem on PlaySound: the sound device went "
                     "away while playing");
        return kExitNoSound;
    }
    bar.End(stopped ? static_cast<std::uint64_t>(clock.elapsed()) : total, stopped);
    return stopped ? kExitInterrupted : VerdictStatus(dlg.Report());
}

} // namespace

int RunPlayHere(const Options& options) {
    return PlayTape(options, options.tapes.front());
}

} // namespace tonvale::cli
