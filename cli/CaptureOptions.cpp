// tonvale-cli capture's options, which tonvale-record takes as well.
#include "cli/Commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace tonvale::cli {

void DefineCapture(CLI::App& app, CaptureOptions& options) {
    app.group("Commands");
    app.description(
        "Records a cassette from a sound input and rescues it as the sound comes in.\n"
        "Runs until Ctrl-C, or for --seconds. Each tape file is told on standard error as\n"
        "it ends; on a terminal a line shows the signal's quality twice a second: the share\n"
        "of the last second's bit cells read sure and the pulses' height over the noise.\n"
        "Writes the sound as NAME.flac while it comes, the tape as NAME.cas at the end, and\n"
        "prints the tape's report and the rescue's lines as 'rescue NAME.flac' does\n"
        "(with --json, as 'rescue --json NAME.flac' does).");
    app.add_option("-o", options.name, "NAME.flac and NAME.cas are written")->type_name("NAME");
    app.add_option("--device", options.device,
                   "the sound input, by its id or its description as --list-devices\n"
                   "shows them (default: the system's)")
        ->type_name("DEV");
    app.add_option("--seconds", options.seconds, "stop after this much sound (default: Ctrl-C)")
        ->check(CLI::PositiveNumber.description(""))
        ->type_name("N");
    app.add_flag("--list-devices", options.listDevices,
                 "list the sound inputs (id, then description) and end");
    app.add_flag("--force", options.force, "replace NAME.flac and NAME.cas when they exist");
    app.add_flag("--quality", options.quality,
                 "the quality line twice a second even when standard error is no\n"
                 "terminal, each on a line of its own");
    app.add_flag("--json", options.json,
                 "the report at the end as a JSON document, as 'rescue --json'");
    app.footer("Exit status: as 'rescue': 0 every tape file ok, 1 a tape file damaged or none\n"
               "found, 2 bad arguments or a file that cannot be written; 4 no sound input.");
}

std::vector<std::string> CaptureArguments(const CaptureOptions& options) {
    std::vector<std::string> args;
    if (options.listDevices) args.push_back("--list-devices");
    if (!options.name.empty()) args.insert(args.end(), {"-o", options.name});
    if (!options.device.empty()) args.insert(args.end(), {"--device", options.device});
    if (options.seconds > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", options.seconds);
        args.insert(args.end(), {"--seconds", text});
    }
    if (options.force) args.push_back("--force");
    if (options.quality) args.push_back("--quality");
    if (options.json) args.push_back("--json");
    return args;
}

} // namespace tonvale::cli
