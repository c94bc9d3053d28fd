#include "app/RecordingName.h"

#include "app/ProposedName.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tonvale {

namespace {

// What the recording reader takes, as far as a name tells.
constexpr std::array<std::string_view, 4> kRecordingExtensions = {".wav", ".flac", ".aif", ".aiff"};

std::string_view RecordingExtension(std::string_view path) {
    for (std::string_view extension : kRecordingExtensions)
        if (path.size() > extension.size() &&
            std::equal(
                extension.begin(), extension.end(), path.end() - extension.size(),
                [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); }))
            return path.substr(path.size() - extension.size());
    return {};
}

} // namespace

bool IsRecordingName(std::string_view path) {
    return !RecordingExtension(path).empty();
}

std::string RescuedTapeName(std::string_view recordingPath) {
    recordingPath.remove_suffix(RecordingExtension(recordingPath).size());
    return ProposedName(recordingPath, ".cas");
}

} // namespace tonvale
