#include "platform/qt/window/RunTonvale.h"

#include "platform/qt/window/TonvaleWindow.h"

#include <QApplication>
#include <fmt/core.h>

#include <cstdio>

namespace tonvale {

std::optional<int> AnswerInfoOption(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2) return std::nullopt;
    if (arguments[1] == "--help" || arguments[1] == "-h") {
        std::fputs("Usage: tonvale [TAPE]\n"
                   "Shows what a TRS-80 Model I/III/4 cassette image (.cas) holds and plays it\n"
                   "through the sound output, for a TRS-80 to load from the headphone socket.\n"
                   "TAPE may hold wildcards: the first file that matches is opened.\n\n"
                   "  -h, --help     show this help and exit\n"
                   "      --version  show the version and exit\n"
                   "  --             the argument behind it is a TAPE, even if it starts with -\n",
                   stdout);
        return 0;
    }
    if (arguments[1] == "--version") {
        fmt::print("tonvale {}\n", TONVALE_VERSION);
        return 0;
    }
    return std::nullopt;
}

int RunTonvale(const std::vector<std::string>& arguments) {
    CTonvaleWindow window;
    window.show();
    const std::size_t tape = arguments.size() > 1 && arguments[1] == "--" ? 2 : 1;
    if (arguments.size() > tape) window.PostCommandLine(arguments[tape]);
    return QApplication::exec();
}

} // namespace tonvale
