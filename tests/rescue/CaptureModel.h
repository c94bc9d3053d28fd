#pragma once
// Real captures of cassettes, modelled from what was measured on them: a pulse is a narrow spike
// of one polarity with a trough and a rebound behind it, not the machine's square half-pulses.
// Data pulses are lower than clock pulses, the height wanders, and the level between pulses
// sits below zero. Highspeed cycles come back flattened and lopsided, clipped.
#include "Degrade.h"
#include "base/Bytes.h"
#include "base/Formats.h"

#include <optional>
#include <span>

namespace tonvale::test {

inline constexpr double kCaptureRate = 44100;

// The mean of a real leader's pulses, one value per sample at 44.1 kHz, the peak at 1.
struct PulseShape {
    const char* name;
    std::span<const float> values;
    std::size_t peak; // the index of the peak
};
extern const PulseShape kShapeA; // a long shallow negative tail
extern const PulseShape kShapeB; // a deep trough and a rebound

struct CaptureSettings {
    const PulseShape* shape = &kShapeB;
    double bitsPerSecond = 500;
    bool upsideDown = false;
    double dataHeight = 0.66;   // a data pulse against a clock pulse
    double wander = 0.2;        // the height's swing, once a second
    double baseline = -0.07;    // the level between pulses, against the peak
    double peak = 0.67;         // of full scale
    double leaderSeconds = 1.3; // heard before the sync byte; the recording starts there
    // A fragment instead: the recording starts at this bit of the image, after 5 ms of the
    // level between pulses.
    std::optional<std::size_t> fromBit;
};

// A Level 1 or Level 2 tape image as such a capture: a clock pulse opening every bit cell, a
// data pulse half a cell on for a 1.
Recording CapturePulses(ByteView image, const CaptureSettings& settings);

// When bit `bit` of image byte `byte` begins in such a capture, in seconds.
double CapturedTime(ByteView image, const CaptureSettings& settings, std::size_t byte,
                    unsigned bit);

// A Highspeed tape image as a capture: square cycles (a 1 twice as fast as a 0) through a
// cassette's band and a sound card's input, clipped on the low side.
Recording CaptureHighspeed(ByteView image, double bitsPerSecond = 1500, bool upsideDown = false);

} // namespace tonvale::test
