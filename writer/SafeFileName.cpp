#include "writer/SafeFileName.h"

#include <algorithm>
#include <array>

namespace tonvale {

namespace {

constexpr std::string_view kForbidden = "<>:\"/\\|?*";
constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> kNumberedDevices = {"COM", "LPT"};

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string ToUpper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), Upper);
    return text;
}

char SafeChar(Byte b) {
    if (b < 0x20 || b >= 0x7F || kForbidden.find(static_cast<char>(b)) != std::string_view::npos)
        return '_';
    return static_cast<char>(b);
}

// Windows takes a device name before the first dot for the device, whatever follows it.
bool IsDevice(std::string_view stem) {
    const std::string upper = ToUpper(std::string(stem.substr(0, stem.find('.'))));
    if (std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end()) return true;
    return upper.size() == 4 && upper[3] >= '0' && upper[3] <= '9' &&
           std::find(kNumberedDevices.begin(), kNumberedDevices.end(), upper.substr(0, 3)) !=
               kNumberedDevices.end();
}

} // namespace

std::string SafeFileName(ByteView name) {
    std::string safe;
    for (Byte b : name)
        safe.push_back(SafeChar(b));
    safe.erase(0, std::min(safe.find_first_not_of(' '), safe.size()));
    safe.erase(std::min(safe.find_last_not_of(". ") + 1, safe.size()));
    if (safe.empty()) return "tape";
    if (IsDevice(safe)) safe.insert(std::min(safe.find('.'), safe.size()), "_");
    return safe;
}

std::string FileNamer::Next(const std::string& stem, std::string_view extension) {
    std::string name = stem + std::string(extension);
    for (unsigned n = 2; Taken(name); ++n)
        name = stem + "-" + std::to_string(n) + std::string(extension);
    m_given.push_back(ToUpper(name));
    return name;
}

bool FileNamer::Taken(const std::string& name) const {
    return std::find(m_given.begin(), m_given.end(), ToUpper(name)) != m_given.end();
}

} // namespace tonvale
