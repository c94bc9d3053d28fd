#pragma once
// Paths as the program meets them: the file name shown in the title, the first argument of
// a command line, and the directory search that lets that argument hold wildcards.
#include <optional>
#include <string>
#include <string_view>

namespace tonvale {

// The part of the path after the last "/" or "\" (the whole path when it has neither).
std::string_view FileNamePart(std::string_view path);
// The part up to and with the last "/" or "\" (empty when it has neither).
std::string_view FolderPart(std::string_view path);

// The first argument: the characters after a leading double quote up to the next one (or the
// end), else the characters up to the first space (or the end).
std::string FirstArgument(std::string_view commandLine);

// True when the name matches the pattern; "*" matches any run, "?" any one character.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// The argument's directory part followed by the first file name in that directory that
// matches its last part (in name order, so the choice does not depend on the file system).
// Nullopt when nothing matches, or when the result would not fit a path buffer.
std::optional<std::string> FindFirstFile(std::string_view argument);

} // namespace tonvale
