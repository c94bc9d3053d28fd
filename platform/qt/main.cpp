// tonvale: the window. Opens the tape named by the one optional argument; --help and
// --version answer without one.
#include "platform/qt/window/QtText.h"
#include "platform/qt/window/RunTonvale.h"
#include "platform/qt/window/TonvaleIcon.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// What the toolkit left of the arguments: on Windows as UTF-8 from the UTF-16 command line
// (argv is in the ANSI code page), elsewhere as the bytes the shell passed.
std::vector<std::string> Arguments(int argc, char** argv) {
#if defined(_WIN32)
    (void)argc;
    (void)argv;
    std::vector<std::string> arguments;
    for (const QString& argument : QCoreApplication::arguments())
        arguments.push_back(tonvale::ToLocalPath(argument));
    return arguments;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (const auto status = tonvale::AnswerInfoOption(std::vector<std::string>(argv, argv + argc)))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonvale"));
    QApplication::setApplicationVersion(QStringLiteral(TONVALE_VERSION));
    // Lets the desktop match the window with tonvale.desktop and its icon.
    QApplication::setDesktopFileName(QStringLiteral("tonvale"));
    QApplication::setWindowIcon(tonvale::TonvaleIcon());
    const int status = tonvale::RunTonvale(Arguments(argc, argv));
    // As in tonvale-play: Qt Multimedia's sound engine must not be torn down by a static
    // destructor while its PulseAudio thread still answers a stream just stopped.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
