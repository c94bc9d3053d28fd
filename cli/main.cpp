// tonvale-cli: the tape analysis, the WAV image and playback without a window.
#include "cli/Commands.h"
#include "cli/Options.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* g_argv0 = "";

int RunPlay(const std::vector<std::string>& args) {
    return tonvale::cli::RunPlay(args, g_argv0);
}

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* summary;
};

const Command kCommands[] = {
    {"report", tonvale::cli::RunReport, "analyse TAPE... and print the report"},
    {"wav", tonvale::cli::RunWav, "write the WAV image of TAPE"},
    {"play", RunPlay, "play TAPE through the sound output"},
};

void PrintUsage(std::FILE* out) {
    std::fputs("Usage: tonvale-cli COMMAND [OPTIONS] TAPE...\n"
               "Checks TRS-80 Model I/III/4 cassette images (.cas) and turns them into sound.\n\n"
               "Commands:\n",
               out);
    for (const Command& command : kCommands)
        std::fprintf(out, "  %-8s %s\n", command.name, command.summary);
    std::fputs("\n'tonvale-cli COMMAND --help' describes a command's options.\n"
               "Exit status: 0 all tape files ok, 1 a tape file bad or suspicious,\n"
               "2 bad arguments or unreadable tape, 3 nothing to play, 4 no sound device.\n",
               out);
}

} // namespace

int main(int argc, char** argv) {
    g_argv0 = argv[0];
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(stderr);
        return tonvale::cli::kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(stdout);
        return tonvale::cli::kExitOk;
    }
    if (args[0] == "--version") {
        std::printf("tonvale-cli %s\n", TONVALE_VERSION);
        return tonvale::cli::kExitOk;
    }
    for (const Command& command : kCommands) {
        if (args[0] == command.name)
            return command.run(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    std::fprintf(stderr, "tonvale-cli: unknown command '%s'\n\n", args[0].c_str());
    PrintUsage(stderr);
    return tonvale::cli::kExitUsage;
}
