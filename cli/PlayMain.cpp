// tonvale-play: what `tonvale-cli play` runs; the same options.
#include "cli/Commands.h"
#include "cli/Startup.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    using namespace tonvale::cli;
    UseBinaryStandardOutput();
    Utf8Arguments arguments(argc, argv);
    CLI::App app("", "tonvale-cli play");
    UseFormat(app);
    Options options;
    DefineCommand(app, Command::Play, options);
    if (const auto status = Parse(app, arguments.Count(), arguments.Values())) return *status;
    ExpandWildcards(options.tapes);
    return RunPlayHere(options);
}
