#pragma once
// What a format's parser found wrong with a tape file, where it found it.
#include <cstddef>
#include <string>

namespace tonvale {

struct FormatDamage {
    std::size_t offset = 0; // from the first byte behind the sync byte
    std::string what;
};

} // namespace tonvale
