// tonvale-record: what `tonvale-cli capture` runs; the same options.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Startup.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    using namespace tonvale::cli;
    UseBinaryStandardOutput();
    Utf8Arguments arguments(argc, argv);
    CLI::App app("", "tonvale-cli capture");
    UseFormat(app);
    CaptureOptions options;
    DefineCapture(app, options);
    if (const auto status = Parse(app, arguments.Count(), arguments.Values())) return *status;
    if (options.name.empty() && !options.listDevices) {
        WriteErrLine("tonvale-cli capture: -o NAME is required\n"
                     "Run 'tonvale-cli capture --help' for the options.");
        return kExitUsage;
    }
    const int status = RunCaptureHere(options);
    // As in tonvale-play: Qt Multimedia's PulseAudio thread may outlive its static teardown.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
