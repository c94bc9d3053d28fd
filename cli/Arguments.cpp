#include "cli/Arguments.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <fmt/core.h>
#include <memory>
#include <sstream>

namespace tonvale::cli {

namespace {

constexpr const char* kAskedText = "(default: ask on a terminal, else Level 2)";

TapeFormat ToFormat(const std::string& value) {
    return FormatFromLetter(value).value_or(TapeFormat::Level2); // the check lets no other in
}

void AddFormat(CLI::App& app, Options& options) {
    app.add_option_function<std::string>(
           "--format", [&options](const std::string& value) { options.format = ToFormat(value); },
           std::string("the sound's format when the tape files' formats differ\n") + kAskedText)
        ->check(CLI::IsMember({"1", "2", "H"}, CLI::ignore_case).description(""))
        ->type_name("1|2|H");
}

// A number as written, whatever the locale says; nullopt when it is none.
std::optional<double> ToNumber(const std::string& value) {
    double number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (error != std::errc() || stop != end || !std::isfinite(number)) return std::nullopt;
    return number;
}

// A gain the sound can have: a number of dB, quieter than full swing but not silent.
std::string CheckGain(const std::string& value) {
    const std::optional<double> number = ToNumber(value);
    if (!number) return value + " is not a number of dB";
    const double db = *number;
    if (db > kLoudestGainDb)
        return value + " dB would clip: 0 dB is full swing already (give 0 or less)";
    if (db < kQuietestGainDb) return value + " dB is quieter than -40 dB, the least there is";
    return {};
}

void AddSoundOptions(CLI::App& app, Options& options) {
    app.add_option_function<std::string>(
           "--rate",
           [&options](const std::string& value) {
               options.sound.rate = static_cast<std::uint32_t>(std::stoul(value));
           },
           "samples per second (default: 22050, 44100 with --lnw); every pulse\n"
           "edge on the sample nearest its time")
        ->check(CLI::IsMember({"22050", "44100", "48000"}).description(""))
        ->type_name("22050|44100|48000");
    app.add_option_function<std::string>(
           "--bits",
           [&options](const std::string& value) { options.sound.bits = value == "16" ? 16 : 8; },
           "8-bit unsigned or 16-bit signed samples (default: 8)")
        ->check(CLI::IsMember({"8", "16"}).description(""))
        ->type_name("8|16");
    app.add_flag("--invert", options.sound.invert,
                 "every pulse upside down, for a machine or recorder that loads\n"
                 "only the other polarity");
    app.add_option_function<std::string>(
           "--gain",
           [&options](const std::string& value) { options.sound.gainDb = *ToNumber(value); },
           "the level in dB against full swing, -40 to 0 (default: 0)")
        ->check(CLI::Validator(CheckGain, "", ""))
        ->type_name("DB");
}

std::string GainArgument(double db) {
    return fmt::format("--gain={:.17g}", db);
}

// A list of commands shows the first line of each one's description.
class Formatter : public CLI::Formatter {
  public:
    std::string make_subcommand(const CLI::App* sub) const override {
        const std::string& description = sub->get_description();
        std::stringstream out;
        CLI::detail::format_help(out, sub->get_display_name(),
                                 description.substr(0, description.find('\n')), column_width_);
        return out.str();
    }
};

// An error names the command it belongs to and where to read about its options.
std::string FailureMessage(const CLI::App* app, const CLI::Error& error) {
    std::string command = app->get_name();
    for (const CLI::App* sub : app->get_subcommands())
        command += " " + sub->get_name();
    return command + ": " + error.what() + "\nRun '" + command + " --help' for the options.\n";
}

} // namespace

void DefineCommand(CLI::App& app, Command command, Options& options) {
    app.group("Commands");
    switch (command) {
    case Command::Report:
        app.description(
            "Analyses each TAPE and prints its report.\n"
            "The report is the first tape file's description, then every report line (CR LF\n"
            "line ends, the bytes as on tape). Standard error gets the summary line and the\n"
            "playing time. With --json, one JSON document instead.\n"
            "A recording (.wav, .flac, .aif, .aiff) is rescued first, as 'rescue' does it:\n"
            "its tape's report, then the rescue's lines; no image is written.");
        app.add_option("TAPE", options.tapes,
                       "the tape images (.cas), or recordings of cassettes to rescue")
            ->required()
            ->type_name("");
        AddLevelOption(app, options.level);
        AddFormat(app, options);
        app.add_flag("--lnw", options.lnw, "LNW 1kHz: the playing time at double speed");
        app.add_flag("--trs-font", options.trsFont,
                     "keep bytes 80h-FFh as they are, for the TRS-80 font");
        app.add_flag("--json", options.json,
                     "one JSON document for all tapes: tape files, addresses, blocks,\n"
                     "verdicts and report lines (described in README.md)");
        app.footer("Exit status: 0 every tape file ok, 1 any bad or suspicious, 2 a tape "
                   "unreadable or\nbad arguments.");
        return;
    case Command::Wav:
        app.description(
            "Writes the WAV image of TAPE.\n"
            "Every bit of the tape as the cassette signal, 8-bit mono, 22050 samples per second\n"
            "(44100 with --lnw) unless --rate and --bits say otherwise. Standard error gets the\n"
            "playing time.");
        app.add_option_function<std::string>(
               "-o", [&options](const std::string& value) { options.output = value; },
               "the file to write, name used as given (default: TAPE with .cas\n"
               "replaced by .wav, else .wav appended)")
            ->type_name("OUT.wav");
        app.footer("Exit status: 0 written and every tape file ok, 1 written but a tape file "
                   "bad or\nsuspicious, 2 bad arguments, an unreadable tape or an output that "
                   "cannot be written,\n3 no WAV image (the tape ends in a Level 1 empty CSAVE, "
                   "or is too long for a WAV file).");
        break;
    case Command::Play:
        app.description(
            "Plays TAPE through the sound output.\n"
            "The WAV image goes to the default sound output, for a TRS-80 whose cassette Ear\n"
            "input is wired to the headphone socket. A terminal shows a progress bar with the\n"
            "elapsed and the total time; Ctrl-C stops playback.");
        app.footer("Exit status: 0 played and every tape file ok, 1 played but a tape file bad "
                   "or\nsuspicious, 2 bad arguments or an unreadable tape, 3 no WAV image (the "
                   "tape ends in a\nLevel 1 empty CSAVE, or is too long for a WAV file), 4 no "
                   "sound device can play,\n130 stopped with Ctrl-C.");
        break;
    }
    app.add_option("TAPE", options.tapes, "the tape image (.cas)")
        ->required()
        ->expected(1)
        ->type_name("");
    app.add_flag("--lnw", options.lnw, "LNW 1kHz: the same signal at double speed");
    AddFormat(app, options);
    AddLevelOption(app, options.level);
    AddSoundOptions(app, options);
}

void AddLevelOption(CLI::App& app, std::optional<TapeFormat>& level) {
    app.add_option_function<std::string>(
           "--level", [&level](const std::string& value) { level = ToFormat(value); },
           std::string("answer 'Level 1 or 2?'\n") + kAskedText)
        ->check(CLI::IsMember({"1", "2"}).description(""))
        ->type_name("1|2");
}

void UseFormat(CLI::App& app) {
    auto formatter = std::make_shared<Formatter>();
    formatter->column_width(20);
    formatter->label("REQUIRED", "");
    formatter->label("SUBCOMMAND", "COMMAND");
    app.formatter(formatter);
}

std::optional<int> Parse(CLI::App& app, int argc, const char* const* argv) {
    app.failure_message(FailureMessage);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and the version print and end with 0; every error prints why.
        return app.exit(error) == 0 ? kExitOk : kExitUsage;
    }
    return std::nullopt;
}

std::vector<std::string> PlayArguments(const Options& options) {
    std::vector<std::string> args;
    if (options.level)
        args.insert(args.end(), {"--level", std::string(NamesOf(*options.level).letter)});
    if (options.format)
        args.insert(args.end(), {"--format", std::string(NamesOf(*options.format).letter)});
    if (options.lnw) args.push_back("--lnw");
    const SoundOptions& sound = options.sound;
    if (sound.rate != 0) args.insert(args.end(), {"--rate", std::to_string(sound.rate)});
    if (sound.bits != 8) args.insert(args.end(), {"--bits", std::to_string(sound.bits)});
    if (sound.invert) args.push_back("--invert");
    if (sound.gainDb != 0) args.push_back(GainArgument(sound.gainDb));
    args.push_back("--");
    args.insert(args.end(), options.tapes.begin(), options.tapes.end());
    return args;
}

} // namespace tonvale::cli
