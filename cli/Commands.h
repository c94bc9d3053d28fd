#pragma once
#include "cli/Arguments.h"

#include <memory>

namespace tonvale::cli {

// Each command runs with its parsed options and returns the exit status.
int RunReport(const Options& options);
int RunWav(const Options& options);
// Hands playback to the tonvale-play program beside this one.
int RunPlay(const Options& options, const char* argv0);
// Plays in this process (tonvale-play).
int RunPlayHere(const Options& options);
// make keeps options of its own (cli/MakeCommand.cpp).
struct MakeOptions;
std::shared_ptr<MakeOptions> DefineMake(CLI::App& app);
int RunMake(const MakeOptions& options);

} // namespace tonvale::cli
