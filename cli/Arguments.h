#pragma once
// The commands' options: the same names and meanings for report, wav and play, --help on
// each, and exit status 2 for anything that cannot be taken.
#include "base/Formats.h"
#include "sound/SoundOptions.h"

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace tonvale::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1; // a tape file's verdict is bad or suspicious
inline constexpr int kExitUsage = 2;   // wrong arguments, or a tape that cannot be read
inline constexpr int kExitNoWav = 3;   // nothing to play
inline constexpr int kExitNoSound = 4; // no sound device

enum class Command { Report, Wav, Play };

struct Options {
    std::vector<std::string> tapes;
    std::optional<TapeFormat> level;  // answers "Level 1 or 2?"
    std::optional<TapeFormat> format; // answers "which format for the sound?"
    bool trsFont = false;
    bool lnw = false;
    bool json = false;
    std::optional<std::string> output;
    SoundOptions sound; // wav and play: --rate, --bits, --invert, --gain
};

// The help's layout; subcommands take it from their parent when they are added.
void UseFormat(CLI::App& app);

// The --level option, which answers "Level 1 or 2?" for the commands that analyse a tape.
void AddLevelOption(CLI::App& app, std::optional<TapeFormat>& level);

// Gives `app` the command's description, options and TAPE arguments, parsed into `options`.
void DefineCommand(CLI::App& app, Command command, Options& options);

// Parses the command line into what `app` defines. Help, the version and wrong arguments are
// answered here: the exit status to end with, or nullopt when the command is to run.
std::optional<int> Parse(CLI::App& app, int argc, const char* const* argv);

// The options of `play` as arguments again, for the program that plays.
std::vector<std::string> PlayArguments(const Options& options);

} // namespace tonvale::cli
