#include "cli/Options.h"

#include "cli/TerminalText.h"

#include <cstdio>
#include <iostream>
#include <string>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace tonvale::cli {

namespace {

std::optional<TapeFormat> ParseLevel(const std::string& value) {
    if (value == "1") return TapeFormat::Level1;
    if (value == "2") return TapeFormat::Level2;
    return std::nullopt;
}

std::optional<TapeFormat> ParseFormat(const std::string& value) {
    if (value == "H" || value == "h") return TapeFormat::Highspeed;
    return ParseLevel(value);
}

// Asks on the terminal, as the window's prompt would.
TapeFormat AskLevelOnTerminal() {
    for (;;) {
        std::fputs("Level 1 or 2 couldn't be determined\n"
                   "Please select the output format: Level [2] or Level [1]? ",
                   stderr);
        std::string answer;
        if (!std::getline(std::cin, answer))
            return TapeFormat::Level2; // end of input: as the close box
        if (answer.empty() || answer == "2") return TapeFormat::Level2;
        if (answer == "1") return TapeFormat::Level1;
    }
}

TapeFormat AskFormatOnTerminal() {
    for (;;) {
        std::fputs("Multiple \"files\" with different format\n"
                   "Tonvale can only do one at a time.\n"
                   "Please select the output format: Level [2], Level [1] or [H]ighspeed? ",
                   stderr);
        std::string answer;
        if (!std::getline(std::cin, answer)) return TapeFormat::Level2;
        if (answer.empty()) return TapeFormat::Level2;
        if (auto format = ParseFormat(answer)) return *format;
    }
}

} // namespace

std::optional<std::string> ParseOptions(const std::vector<std::string>& args,
                                        const std::set<std::string>& allowed, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-' && !allowed.count(arg)) return "unknown option " + arg;
        if (arg == "--level") {
            auto v = value();
            if (!v || !(options.level = ParseLevel(*v))) return "--level takes 1 or 2";
        } else if (arg == "--format") {
            auto v = value();
            if (!v || !(options.format = ParseFormat(*v))) return "--format takes 1, 2 or H";
        } else if (arg == "--trs-font") {
            options.trsFont = true;
        } else if (arg == "--lnw") {
            options.lnw = true;
        } else if (arg == "-o") {
            auto v = value();
            if (!v) return "-o takes a file name";
            options.output = *v;
        } else {
            options.tapes.push_back(arg);
        }
    }
    return std::nullopt;
}

Session::Session(const Options& options) {
    platform.echoMessages = false;
    // A sound that cannot be built would end the window; a report is still worth printing.
    // The sound commands set their own ending (EndWithMessagesWhenNoSound).
    platform.onExit = [](int) {};
    platform.trsFont = options.trsFont;
    platform.SetChecked(ControlId::Lnw, options.lnw);
    if (options.level) {
        TapeFormat level = *options.level;
        platform.levelAnswer = [level] { return level; };
    } else if (StdinIsTerminal()) {
        platform.levelAnswer = AskLevelOnTerminal;
    }
    if (options.format) {
        TapeFormat format = *options.format;
        platform.formatAnswer = [format] { return format; };
    } else if (StdinIsTerminal()) {
        platform.formatAnswer = AskFormatOnTerminal;
    }
    dlg.OnInitDialog();
}

bool Session::Open(const std::string& path) {
    const std::size_t before = platform.messages.size();
    dlg.OpenTape(path);
    for (std::size_t i = before; i < platform.messages.size(); ++i) {
        WriteErr(platform.messages[i].text);
        WriteErrLine("");
    }
    // Every failure to read the tape leaves no tape image behind.
    return dlg.Loaded();
}

int Session::VerdictStatus() const {
    for (const TapeFileReport& file : dlg.Report().files)
        if (file.verdict == Verdict::Bad || file.verdict == Verdict::Suspicious)
            return kExitDamaged;
    return kExitOk;
}

bool StdinIsTerminal() {
    return isatty(fileno(stdin)) != 0;
}

bool StderrIsTerminal() {
    return isatty(fileno(stderr)) != 0;
}

void WriteOut(ByteView bytes) {
    if (isatty(fileno(stdout))) {
        Bytes safe = EscapeForTerminal(bytes);
        std::fwrite(safe.data(), 1, safe.size(), stdout);
    } else {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    }
}

void WriteErr(ByteView bytes) {
    std::fflush(stdout);
    if (isatty(fileno(stderr))) {
        Bytes safe = EscapeForTerminal(bytes);
        std::fwrite(safe.data(), 1, safe.size(), stderr);
    } else {
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    }
}

void WriteErrLine(std::string_view text) {
    WriteErr(ByteView(reinterpret_cast<const Byte*>(text.data()), text.size()));
    std::fputc('\n', stderr);
}

} // namespace tonvale::cli
