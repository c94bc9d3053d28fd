// tonvale-play: what `tonvale-cli play` runs; the same options.
#include "cli/Commands.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    using namespace tonvale::cli;
    CLI::App app("", "tonvale-cli play");
    UseFormat(app);
    Options options;
    DefineCommand(app, Command::Play, options);
    if (const auto status = Parse(app, argc, argv)) return *status;
    return RunPlayHere(options);
}
