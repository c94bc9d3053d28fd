#include "CaptureModel.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace tonvale::test {

namespace {

constexpr double kPi = 3.14159265358979323846;

constexpr float kA[] = {
    0.05f,  0.07f,  0.10f,  0.15f,  0.27f,  0.46f,  0.69f,  0.91f,  1.00f,  0.89f,  0.60f,  0.23f,
    -0.04f, -0.13f, -0.07f, 0.06f,  0.15f,  0.14f,  0.07f,  0.01f,  -0.02f, -0.02f, -0.02f, -0.03f,
    -0.03f, -0.04f, -0.05f, -0.05f, -0.05f, -0.06f, -0.06f, -0.06f, -0.06f, -0.06f, -0.06f, -0.06f,
    -0.06f, -0.06f, -0.06f, -0.05f, -0.05f, -0.04f, -0.04f, -0.03f, -0.01f, 0.00f,  0.02f,  0.04f};
constexpr float kB[] = {0.01f, 0.00f,  -0.03f, -0.06f, -0.01f, 0.21f, 0.55f, 0.87f, 1.00f,
                        0.84f, 0.43f,  -0.06f, -0.36f, -0.29f, 0.01f, 0.22f, 0.22f, 0.11f,
                        0.01f, -0.03f, -0.02f, -0.00f, 0.01f,  0.00f, -0.01f};

// The sample value of `shape` placed with its peak at `at` (in samples), between its values.
float ShapeAt(const PulseShape& shape, double at) {
    const double x = at + static_cast<double>(shape.peak);
    if (x < 0 || x >= static_cast<double>(shape.values.size() - 1)) return 0;
    const auto k = static_cast<std::size_t>(x);
    const auto f = static_cast<float>(x - static_cast<double>(k));
    return (1 - f) * shape.values[k] + f * shape.values[k + 1];
}

// The first bit heard: `leaderSeconds` before the first byte that is not `leader`.
std::size_t FirstBit(ByteView image, Byte leader, double leaderSeconds, double bitsPerSecond) {
    std::size_t sync = 0;
    while (sync < image.size() && image[sync] == leader)
        ++sync;
    const auto keep = static_cast<std::size_t>(leaderSeconds * bitsPerSecond);
    return 8 * sync > keep ? 8 * sync - keep : 0;
}

std::vector<bool> BitsFrom(ByteView image, std::size_t first) {
    std::vector<bool> bits;
    for (std::size_t i = first; i < 8 * image.size(); ++i)
        bits.push_back(((image[i / 8] >> (7 - i % 8)) & 1) != 0);
    return bits;
}

void AddHiss(Recording& r, float level) {
    std::mt19937 random(11);
    std::normal_distribution<float> gauss(0.0f, level);
    for (float& x : r.samples)
        x += gauss(random);
}

} // namespace

const PulseShape kShapeA = {"A", kA, 8};
const PulseShape kShapeB = {"B", kB, 8};

// Where the capture starts, in bits of the image, and in samples before the first bit.
std::size_t FirstBit(ByteView image, const CaptureSettings& s) {
    return s.fromBit ? *s.fromBit : FirstBit(image, 0x00, s.leaderSeconds, s.bitsPerSecond);
}
double Lead(const CaptureSettings& s) {
    return s.fromBit ? 8 + 0.005 * kCaptureRate : 8;
}

double CapturedTime(ByteView image, const CaptureSettings& s, std::size_t byte, unsigned bit) {
    const std::size_t first = FirstBit(image, s);
    const double cells = static_cast<double>(8 * byte + bit) - static_cast<double>(first);
    return (Lead(s) + cells * kCaptureRate / s.bitsPerSecond) / kCaptureRate;
}

Recording CapturePulses(ByteView image, const CaptureSettings& s) {
    const std::vector<bool> bits = BitsFrom(image, FirstBit(image, s));
    const double cell = kCaptureRate / s.bitsPerSecond;
    const double tail = 0.3 * kCaptureRate;
    Recording r;
    r.rate = kCaptureRate;
    const double lead = Lead(s);
    r.samples.assign(
        static_cast<std::size_t>(lead + static_cast<double>(bits.size()) * cell + tail), 0.0f);
    const auto width = static_cast<double>(s.shape->values.size());
    auto place = [&](double at, double height) {
        const auto from = static_cast<std::size_t>(std::max(0.0, std::ceil(at - 8)));
        const auto to = std::min(r.samples.size(), static_cast<std::size_t>(at + width));
        for (std::size_t n = from; n < to; ++n)
            r.samples[n] +=
                static_cast<float>(height) * ShapeAt(*s.shape, static_cast<double>(n) - at);
    };
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const double at = lead + static_cast<double>(i) * cell;
        const double height = 1 + s.wander * std::sin(2 * kPi * at / kCaptureRate);
        place(at, height);
        if (bits[i]) place(at + cell / 2, height * s.dataHeight);
    }
    const float sign = s.upsideDown ? -1.0f : 1.0f;
    for (float& x : r.samples)
        x = sign * static_cast<float>(s.peak) * (x + static_cast<float>(s.baseline));
    AddHiss(r, 0.002f);
    return r;
}

// Measured on a real Highspeed capture: each half-cycle jumps and then sags towards zero (the
// cassette passes no DC), the low halves further than the high ones, and the sound card clips
// the low side.
Recording CaptureHighspeed(ByteView image, double bitsPerSecond, bool upsideDown) {
    const std::vector<bool> bits = BitsFrom(image, FirstBit(image, 0x55, 1.3, bitsPerSecond));
    const double zero = kCaptureRate * 0.726e-3 * 1500 / bitsPerSecond;
    Recording r;
    r.rate = kCaptureRate;
    std::vector<float> square;
    for (bool bit : bits) {
        const double length = bit ? zero / 2 : zero;
        const double end = static_cast<double>(square.size()) + length;
        while (static_cast<double>(square.size()) < end - length / 2)
            square.push_back(-1.0f); // the low half first
        while (static_cast<double>(square.size()) < end)
            square.push_back(1.0f);
    }
    square.insert(square.end(), static_cast<std::size_t>(0.3 * kCaptureRate), 0.0f);
    const double sag = std::exp(-1.0 / 14.0);      // about 0.3 ms
    const double round = 1 - std::exp(-1.0 / 1.5); // edges take 2 or 3 samples
    double in = 0, high = 0, low = 0;
    for (float x : square) {
        high = sag * (high + x - in);
        in = x;
        low += round * (high - low);
        const double lopsided = low < 0 ? 1.35 * low : low;
        r.samples.push_back(static_cast<float>(std::clamp(0.6 * lopsided, -0.55, 0.7)));
    }
    if (upsideDown) Gain(r, -1);
    AddHiss(r, 0.002f);
    return r;
}

} // namespace tonvale::test
