#pragma once
#include "cli/Arguments.h"

namespace tonvale::cli {

// Each command runs with its parsed options and returns the exit status.
int RunReport(const Options& options);
int RunWav(const Options& options);
// Hands playback to the tonvale-play program beside this one.
int RunPlay(const Options& options, const char* argv0);
// Plays in this process (tonvale-play).
int RunPlayHere(const Options& options);

// tonvale-cli rescue (cli/RescueCommand.cpp): its own options.
struct RescueOptions {
    std::string recording;
    std::optional<std::string> output;
    std::optional<TapeFormat> format;
    std::string channel; // "left", "right", or empty: the stronger
    bool force = false;
    bool json = false;
};
void DefineRescue(CLI::App& app, RescueOptions& options);
int RunRescue(const RescueOptions& options);

} // namespace tonvale::cli
