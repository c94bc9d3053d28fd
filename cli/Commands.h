#pragma once
#include <string>
#include <vector>

namespace tonvale::cli {

// Each command takes the arguments after its name and returns the exit status.
int RunReport(const std::vector<std::string>& args);
int RunWav(const std::vector<std::string>& args);
// Hands playback to the tonvale-play program beside this one.
int RunPlay(const std::vector<std::string>& args, const char* argv0);
// Plays in this process (tonvale-play).
int RunPlayHere(const std::vector<std::string>& args);

} // namespace tonvale::cli
