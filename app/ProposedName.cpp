#include "app/ProposedName.h"

#include "tape/TapeImage.h"

#include <algorithm>
#include <cctype>

namespace tonvale {

namespace {

constexpr std::string_view kTapeExtension = ".cas";

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(),
                      text.end() - static_cast<std::ptrdiff_t>(suffix.size()), [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string ProposedName(std::string_view tapePath, std::string_view extension) {
    std::string_view stem = tapePath;
    if (EndsWithIgnoringCase(stem, kTapeExtension)) stem.remove_suffix(kTapeExtension.size());

    const std::size_t room = kMaxPath - std::min(extension.size(), kMaxPath);
    if (stem.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && IsUtf8Continuation(stem[cut]))
            --cut;
        stem = stem.substr(0, cut);
    }
    std::string name(stem);
    name += extension;
    return name;
}

} // namespace tonvale
