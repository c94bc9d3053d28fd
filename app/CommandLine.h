#pragma once
// Paths as the program meets them: the file name shown in the title, and the directory search
// that lets the command-line argument hold wildcards.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvale {

// The part of the path after the last "/" or "\" (the whole path when it has neither), and on
// Windows after a drive letter's colon: "C:game.cas" is game.cas in drive C's current folder.
std::string_view FileNamePart(std::string_view path);
// The part up to and with the last "/" or "\" (or a drive's colon on Windows); empty when
// it has neither.
std::string_view FolderPart(std::string_view path);

// True when the name matches the pattern; "*" matches any run, "?" any one character. On
// Windows, whose file names ignore case, A-Z match a-z: *.cas finds GAME.CAS.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Every file that the argument's last part matches, each with the argument's directory part,
// in name order; the argument alone when its last part holds no wildcard.
std::vector<std::string> MatchingFiles(std::string_view argument);

// The argument itself when it names a file (whatever characters it holds), else its directory
// part followed by the first file name in that directory that matches its last part (in name
// order, so the choice does not depend on the file system). Nullopt when nothing matches, or
// when the result would not fit a path buffer.
std::optional<std::string> FindFirstFile(std::string_view argument);

} // namespace tonvale
