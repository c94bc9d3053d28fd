#include "app/CommandLine.h"

#include "tape/TapeImage.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tonvale {

namespace fs = std::filesystem;

namespace {

std::size_t DirectoryPartLength(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) return slash + 1;
#if defined(_WIN32)
    // A drive letter and its colon.
    if (path.size() >= 2 && path[1] == ':' && (path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z')
        return 2;
#endif
    return 0;
}

bool SameCharacter(char patternChar, char nameChar) {
#if defined(_WIN32)
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; };
    return lower(patternChar) == lower(nameChar);
#else
    return patternChar == nameChar;
#endif
}

bool HasWildcard(std::string_view pattern) {
    return pattern.find_first_of("*?") != std::string_view::npos;
}

fs::path Utf8Path(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string FromPath(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

std::string_view FileNamePart(std::string_view path) {
    return path.substr(DirectoryPartLength(path));
}

std::string_view FolderPart(std::string_view path) {
    return path.substr(0, DirectoryPartLength(path));
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    // Iterative matching with one backtrack point: linear in practice, never exponential.
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || SameCharacter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> MatchingFiles(std::string_view argument) {
    const std::size_t dirLength = DirectoryPartLength(argument);
    const std::string_view directory = argument.substr(0, dirLength);
    const std::string_view pattern = argument.substr(dirLength);
    if (!HasWildcard(pattern)) return {std::string(argument)};

    std::error_code error;
    fs::directory_iterator it(directory.empty() ? fs::path(".") : Utf8Path(directory), error);
    std::vector<std::string> matches;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = FromPath(it->path().filename());
        if (MatchesWildcard(pattern, name)) matches.push_back(std::string(directory) + name);
    }
    std::sort(matches.begin(), matches.end());
    return matches;
}

std::optional<std::string> FindFirstFile(std::string_view argument) {
    if (argument.empty() || argument.size() > kMaxPath || FileNamePart(argument).empty())
        return std::nullopt;
    std::error_code error;
    // A name may hold "*" or "?" itself, where the system allows them.
    if (fs::exists(Utf8Path(argument), error)) return std::string(argument);
    if (!HasWildcard(FileNamePart(argument))) return std::nullopt;
    std::vector<std::string> matches = MatchingFiles(argument);
    if (matches.empty() || matches.front().size() > kMaxPath) return std::nullopt;
    return std::move(matches.front());
}

} // namespace tonvale
