#pragma once
// Runs tonvale-cli as a user would: a real process, its output in real files.
#include "builder/TapeBuilder.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace tonvale::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs tonvale-cli with the arguments (already shell-quoted) and standard input from
// /dev/null, so that no prompt can wait for a person.
inline CliRun RunCli(const std::string& args) {
    const std::string dir = TempDir("cli-run");
    const std::string command =
        std::string(TONVALE_CLI) + " " + args + " </dev/null >" + dir + "/out 2>" + dir + "/err";
    CliRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const Bytes out = ReadFile(dir + "/out");
    const Bytes err = ReadFile(dir + "/err");
    run.out.assign(out.begin(), out.end());
    run.err.assign(err.begin(), err.end());
    return run;
}

inline std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

} // namespace tonvale::test
