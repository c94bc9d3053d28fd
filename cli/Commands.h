#pragma once
#include <string>
#include <vector>

namespace tonvale::cli {

// Each command takes the arguments after its name and returns the exit status.
int RunReport(const std::vector<std::string>& args);
int RunWav(const std::vector<std::string>& args);
int RunPlay(const std::vector<std::string>& args);

} // namespace tonvale::cli
