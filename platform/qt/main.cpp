// tonvale: the window. Opens the tape named by the one optional argument; --help and
// --version answer without one.
#include "platform/qt/window/RunTonvale.h"
#include "platform/qt/window/TonvaleIcon.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (const auto status = tonvale::AnswerInfoOption(std::vector<std::string>(argv, argv + argc)))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonvale"));
    QApplication::setApplicationVersion(QStringLiteral(TONVALE_VERSION));
    // Lets the desktop match the window with tonvale.desktop and its icon.
    QApplication::setDesktopFileName(QStringLiteral("tonvale"));
    QApplication::setWindowIcon(tonvale::TonvaleIcon());
    // argv now holds what the toolkit left, as the bytes the shell passed.
    return tonvale::RunTonvale(std::vector<std::string>(argv, argv + argc));
}
