// tonvale-cli play, capture and map: sound needs the sound libraries and the map the drawing
// ones, which take longer to load than the whole report or WAV job. So tonvale-cli carries none
// of them and hands `play` to the tonvale-play program installed beside it, `capture` to
// tonvale-record and `map` to tonvale-map.
#include "cli/Commands.h"
#include "cli/Output.h"

#include <filesystem>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include "cli/Startup.h"

#include <csignal>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace tonvale::cli {

namespace {

namespace fs = std::filesystem;

fs::path OwnDirectory() {
#if defined(_WIN32)
    wchar_t buffer[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, 32768);
    return fs::path(std::wstring(buffer, n)).parent_path();
#elif defined(__linux__)
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path();
#else
    return {};
#endif
}

fs::path FindHelper(const char* helper, const char* argv0) {
#if defined(_WIN32)
    const std::string name = std::string(helper) + ".exe";
#else
    const std::string name = helper;
#endif
    std::error_code error;
    const std::string program(argv0);
    const fs::path fromArgv0 = fs::path(std::u8string(program.begin(), program.end()));
    for (const fs::path& dir : {OwnDirectory(), fromArgv0.parent_path()}) {
        const fs::path candidate = dir / name;
        if (!dir.empty() && fs::exists(candidate, error)) return candidate;
    }
    return {};
}

} // namespace

int RunPlay(const Options& options, const char* argv0) {
    return RunHelper("tonvale-cli play", "tonvale-play", PlayArguments(options), argv0,
                     "tonvale-cli play: no sound output is built into this tonvale-cli "
                     "(tonvale-play, built with Qt Multimedia, was not found beside it)",
                     kExitNoSound);
}

int RunCapture(const CaptureOptions& options, const char* argv0) {
    return RunHelper("tonvale-cli capture", "tonvale-record", CaptureArguments(options), argv0,
                     "tonvale-cli capture: no sound input is built into this tonvale-cli "
                     "(tonvale-record, built with Qt Multimedia, was not found beside it)",
                     kExitNoSound);
}

int RunMap(const std::vector<std::string>& args, const char* argv0) {
    return RunHelper("tonvale-cli map", "tonvale-map", args, argv0,
                     "tonvale-cli map: no drawing is built into this tonvale-cli "
                     "(tonvale-map, built with Qt, was not found beside it)",
                     kExitUsage);
}

int RunHelper([[maybe_unused]] const char* command, const char* program,
              const std::vector<std::string>& args, const char* argv0, const std::string& failure,
              int failedStatus) {
    const fs::path player = FindHelper(program, argv0);
    if (player.empty()) {
        WriteErrLine(failure);
        return failedStatus;
    }
#if defined(_WIN32)
    // The arguments become one command line, quoted to come apart as they were; UTF-16, so
    // that any file name gets through.
    auto quotedWide = [](std::string_view utf8) {
        const std::string quoted = QuoteArgument(utf8);
        return fs::path(std::u8string(quoted.begin(), quoted.end())).wstring();
    };
    const std::u8string playerName = player.u8string();
    std::vector<std::wstring> wide = {
        quotedWide(std::string(playerName.begin(), playerName.end()))};
    for (const std::string& arg : args)
        wide.push_back(quotedWide(arg));
    std::vector<const wchar_t*> argv;
    for (const std::wstring& arg : wide)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    // Ctrl-C reaches both programs: the helper stops the sound and ends, this one waits to
    // hand on its exit status.
    std::signal(SIGINT, SIG_IGN);
    const intptr_t status = _wspawnv(_P_WAIT, player.c_str(), argv.data());
    return status < 0 ? failedStatus : static_cast<int>(status);
#else
    const std::string path = player.string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    WriteErrLine(std::string(command) + ": cannot start " + path);
    return failedStatus;
#endif
}

} // namespace tonvale::cli
