#pragma once
// tonvale-cli run as a user runs it from a shell: its exit status and what it printed. For
// test programs built with TONVALE_CLI, the path of the tonvale-cli under test.
#include "builder/TestFiles.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace tonvale::test {

struct CliRun {
    int status = -1;
    std::string out, err;
};

// A shell command line, its output caught in files.
inline CliRun Shell(const std::string& command) {
    static const std::string dir = TempDir("cli-run");
    const int raw = std::system((command + " >" + dir + "/out 2>" + dir + "/err").c_str());
    const Bytes out = ReadFile(dir + "/out"), err = ReadFile(dir + "/err");
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(out.begin(), out.end()),
            std::string(err.begin(), err.end())};
}

// No terminal on standard input, so that no question waits for a person.
inline CliRun Cli(const std::string& args, const std::string& before = "") {
    return Shell(before + TONVALE_CLI + " " + args + " </dev/null");
}

// Quoted for the shell: any characters, a ' too.
inline std::string Q(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace tonvale::test
