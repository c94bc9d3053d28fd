// Placeholder until the sound commands are written.
#include "cli/Commands.h"

#include <cstdio>

namespace tonvale::cli {

int RunWav(const std::vector<std::string>&) {
    std::fputs("tonvale-cli wav: not available yet\n", stderr);
    return 2;
}
int RunPlay(const std::vector<std::string>&) {
    std::fputs("tonvale-cli play: not available yet\n", stderr);
    return 2;
}

} // namespace tonvale::cli
