#include "cli/Startup.h"

#include "app/CommandLine.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#endif

namespace tonvale::cli {

#if defined(_WIN32)
std::vector<std::string> SplitCommandLine(const wchar_t* commandLine) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(commandLine, &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
        text.pop_back(); // the terminator
        arguments.push_back(std::move(text));
    }
    LocalFree(wide);
    return arguments;
}
#endif

Utf8Arguments::Utf8Arguments(int argc, char** argv) {
#if defined(_WIN32)
    m_arguments = SplitCommandLine(GetCommandLineW());
    if (m_arguments.empty())
#endif
        m_arguments.assign(argv, argv + argc);
    for (std::string& argument : m_arguments)
        m_pointers.push_back(argument.data());
    m_pointers.push_back(nullptr);
}

void UseBinaryStandardOutput() {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void ExpandWildcards(std::vector<std::string>& tapes) {
#if defined(_WIN32)
    std::vector<std::string> expanded;
    for (const std::string& tape : tapes) {
        std::vector<std::string> matches = MatchingFiles(tape);
        if (matches.empty()) matches.push_back(tape);
        expanded.insert(expanded.end(), matches.begin(), matches.end());
    }
    tapes = std::move(expanded);
#else
    (void)tapes;
#endif
}

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only before a quote: there each one is doubled, and the quote
        // gets one of its own.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted += '"';
}

} // namespace tonvale::cli
