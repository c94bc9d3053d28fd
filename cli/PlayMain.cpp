// tonvale-play: what `tonvale-cli play` runs; the same options.
#include "cli/Commands.h"
#include "cli/Startup.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>

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
    const int status = RunPlayHere(options);
    // Qt Multimedia's sound engine is torn down by a static destructor while its PulseAudio
    // thread may still be answering the stream just stopped, which crashes now and then. The
    // sound is done with: end without running static destructors.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
