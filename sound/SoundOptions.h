#pragma once
// What a player, a recorder or a machine asks of the sound beyond the tape itself: the rate and
// sample size it takes, the polarity it loads, and a quieter level for an input that distorts.
// The defaults make the image the window makes.
#include <cstdint>

namespace tonvale {

// Full swing is today's level; anything louder would clip.
inline constexpr double kQuietestGainDb = -40;
inline constexpr double kLoudestGainDb = 0;

struct SoundOptions {
    // Samples per second in the header: 22050, 44100 or 48000. 0: the window's image, made at
    // 22050 and labelled 44100 for the LNW-80. With a rate given, the LNW-80's double speed
    // is made at that rate: every pulse half as long.
    std::uint32_t rate = 0;
    unsigned bits = 8;   // 8: unsigned, 128 the zero line; 16: signed little-endian
    bool invert = false; // every pulse and cycle upside down
    double gainDb = 0;   // kQuietestGainDb to kLoudestGainDb

    bool operator==(const SoundOptions&) const = default;
};

} // namespace tonvale
