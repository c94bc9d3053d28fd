#include "platform/qt/window/RunTonvale.h"

#include "platform/qt/window/TonvaleWindow.h"

#include <QApplication>

namespace tonvale {

int RunTonvale(const std::vector<std::string>& arguments) {
    CTonvaleWindow window;
    window.show();
    if (arguments.size() > 1) window.PostCommandLine(arguments[1]);
    return QApplication::exec();
}

} // namespace tonvale
