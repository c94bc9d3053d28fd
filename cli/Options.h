#pragma once
// Command-line options shared by the tonvale-cli commands, and the session that runs one tape
// through the program's open chain without a window.
#include "app/TonvaleDlg.h"
#include "platform/headless/HeadlessPlatform.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tonvale::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1; // a tape file's verdict is bad or suspicious
inline constexpr int kExitUsage = 2;   // wrong arguments, or a tape that cannot be read
inline constexpr int kExitNoWav = 3;   // nothing to play
inline constexpr int kExitNoSound = 4; // no sound device

struct Options {
    std::vector<std::string> tapes;
    std::optional<TapeFormat> level;  // answers "Level 1 or 2?"
    std::optional<TapeFormat> format; // answers "which format for the sound?"
    bool trsFont = false;
    bool lnw = false;
    bool help = false;
    std::optional<std::string> output;
};

// Parses args (after the command word) accepting only the options in `allowed` (spelled as
// on the command line, e.g. "--level"). On error returns the message to show.
std::optional<std::string> ParseOptions(const std::vector<std::string>& args,
                                        const std::set<std::string>& allowed, Options& options);

// One tape through the open chain: load, analysis, WAV image.
class Session {
  public:
    explicit Session(const Options& options);
    // False when the tape could not be read (the message went to standard error).
    bool Open(const std::string& path);

    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};

    // 0 when every tape file is ok, else kExitDamaged.
    int VerdictStatus() const;
};

// Standard output and error, with the bytes of a hostile tape made harmless on a terminal.
void WriteOut(ByteView bytes);
void WriteErr(ByteView bytes);
void WriteErrLine(std::string_view text);
bool StdinIsTerminal();
bool StderrIsTerminal();

} // namespace tonvale::cli
