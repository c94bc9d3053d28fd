// tonvale-cli play: playback needs the sound libraries, which take longer to load than the
// whole report or WAV job. So tonvale-cli carries none of them and hands `play` to the
// tonvale-play program installed beside it.
#include "cli/Commands.h"
#include "cli/Output.h"

#include <filesystem>
#include <string>
#include <system_error>

#if defined(_WIN32)
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

fs::path FindPlayer(const char* argv0) {
#if defined(_WIN32)
    const char* name = "tonvale-play.exe";
#else
    const char* name = "tonvale-play";
#endif
    std::error_code error;
    for (const fs::path& dir : {OwnDirectory(), fs::path(argv0).parent_path()}) {
        const fs::path candidate = dir / name;
        if (!dir.empty() && fs::exists(candidate, error)) return candidate;
    }
    return {};
}

} // namespace

int RunPlay(const Options& options, const char* argv0) {
    const fs::path player = FindPlayer(argv0);
    if (player.empty()) {
        WriteErrLine("tonvale-cli play: no sound output is built into this tonvale-cli "
                     "(tonvale-play, built with Qt Multimedia, was not found beside it)");
        return kExitNoSound;
    }
    const std::string path = player.string();
    const std::vector<std::string> args = PlayArguments(options);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
#if defined(_WIN32)
    const intptr_t status = _spawnv(_P_WAIT, path.c_str(), argv.data());
    return status < 0 ? kExitNoSound : static_cast<int>(status);
#else
    execv(path.c_str(), argv.data());
    WriteErrLine("tonvale-cli play: cannot start " + path);
    return kExitNoSound;
#endif
}

} // namespace tonvale::cli
