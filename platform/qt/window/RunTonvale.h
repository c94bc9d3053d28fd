#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tonvale {

// "--help" and "--version" as the first argument: printed on standard output, and the exit
// status (0) returned; nullopt for anything else. Needs no display, so it runs first.
std::optional<int> AnswerInfoOption(const std::vector<std::string>& arguments);

// The program: the main window, the command-line argument (arguments[1], if any; after "--"
// the one behind it) opened once the window is on screen, and the event loop until the
// window closes. Returns the exit status: 0, or 1 when the argument names no file. The
// arguments are the bytes the program was given (what the toolkit has not taken for itself):
// a file name need not be UTF-8.
int RunTonvale(const std::vector<std::string>& arguments);

} // namespace tonvale
