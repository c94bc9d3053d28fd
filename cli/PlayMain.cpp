// tonvale-play: what `tonvale-cli play` runs; the same options.
#include "cli/Commands.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    return tonvale::cli::RunPlayHere(std::vector<std::string>(argv + 1, argv + argc));
}
