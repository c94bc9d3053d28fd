// tonvale-cli: the tape analysis, the WAV image, playback, the tape writer and the rescue of
// recordings (from files, or live from a sound input), without a window.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Startup.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <string_view>

int main(int argc, char** systemArgv) {
    using namespace tonvale::cli;
    UseBinaryStandardOutput();
    Utf8Arguments arguments(argc, systemArgv);
    argc = arguments.Count();
    char** argv = arguments.Values();
    CLI::App app(
        "Checks TRS-80 Model I/III/4 cassette images (.cas), turns them into sound, makes\n"
        "them from programs and rescues them from recordings.",
        "tonvale-cli");
    app.set_version_flag("--version", std::string("tonvale-cli ") + TONVALE_VERSION);
    app.require_subcommand(1);
    app.footer("'tonvale-cli COMMAND --help' describes a command's options.\n"
               "Exit status: 0 all tape files ok, 1 a tape file bad or suspicious,\n"
               "2 bad arguments or unreadable tape, 3 nothing to play, 4 no sound device.");
    UseFormat(app);

    Options options;
    CLI::App* report = app.add_subcommand("report");
    CLI::App* wav = app.add_subcommand("wav");
    CLI::App* play = app.add_subcommand("play");
    DefineCommand(*report, Command::Report, options);
    DefineCommand(*wav, Command::Wav, options);
    DefineCommand(*play, Command::Play, options);
    ConvertOptions convertOptions;
    ExtractOptions extractOptions;
    CLI::App* convert = app.add_subcommand("convert");
    CLI::App* extract = app.add_subcommand("extract");
    DefineConvert(*convert, convertOptions);
    DefineExtract(*extract, extractOptions);
    RescueOptions rescueOptions;
    CLI::App* rescue = app.add_subcommand("rescue");
    DefineRescue(*rescue, rescueOptions);
    const auto make = DefineMake(*app.add_subcommand("make"));
    CaptureOptions captureOptions;
    CLI::App* capture = app.add_subcommand("capture");
    DefineCapture(*capture, captureOptions);

    if (argc < 2) {
        std::cerr << app.help();
        return kExitUsage;
    }
    if (std::string_view(argv[1]) == "help") argv[1] = const_cast<char*>("--help");
    if (std::string_view(argv[1]) == "map")
        return RunMap(std::vector<std::string>(argv + 2, argv + argc), argv[0]);
    if (const auto status = Parse(app, argc, argv)) return *status;
    if (convert->parsed()) return RunConvert(convertOptions);
    if (extract->parsed()) return RunExtract(extractOptions);
    if (app.got_subcommand("make")) return RunMake(*make);
    if (capture->parsed()) {
        if (captureOptions.name.empty() && !captureOptions.listDevices) {
            WriteErrLine("tonvale-cli capture: -o NAME is required\n"
                         "Run 'tonvale-cli capture --help' for the options.");
            return kExitUsage;
        }
        return RunCapture(captureOptions, argv[0]);
    }
    ExpandWildcards(options.tapes);
    if (!report->parsed() && options.tapes.size() > 1) {
        const std::string command = wav->parsed() ? "tonvale-cli wav" : "tonvale-cli play";
        WriteErrLine(command + ": TAPE matches " + std::to_string(options.tapes.size()) +
                     " files; give one\nRun '" + command + " --help' for the options.");
        return kExitUsage;
    }

    if (rescue->parsed()) return RunRescue(rescueOptions);
    if (report->parsed()) return RunReport(options);
    if (wav->parsed()) return RunWav(options);
    return RunPlay(options, argv[0]);
}
