#include "Degrade.h"

#include "sound/WavImage.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <span>

namespace tonvale::test {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

Recording Synthesise(TapeFormat format, ByteView image) {
    const WavImage wav = BuildWavImage(format, image);
    const ByteView data = wav.View().subspan(kWavHeaderSize);
    Recording r;
    const std::size_t pad = static_cast<std::size_t>(kSynthesisRate / 2);
    r.samples.assign(pad, 0.0f);
    for (Byte b : data)
        r.samples.push_back((static_cast<float>(b) - 128.0f) / 255.0f);
    r.samples.insert(r.samples.end(), pad, 0.0f);
    return r;
}

Recording Join(const Recording& first, const Recording& second) {
    Recording r = first;
    r.samples.insert(r.samples.end(), static_cast<std::size_t>(first.rate), 0.0f);
    r.samples.insert(r.samples.end(), second.samples.begin(), second.samples.end());
    return r;
}

Recording Capture(const Recording& in, double rate, double speed, double wow) {
    Recording out;
    out.rate = rate;
    const double wowHz = 0.7;
    for (std::size_t i = 0;; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double played =
            speed * t + speed * wow / (2 * kPi * wowHz) * (1 - std::cos(2 * kPi * wowHz * t));
        const double at = played * in.rate;
        const auto k = static_cast<std::size_t>(at);
        if (k + 1 >= in.samples.size()) break;
        const double f = at - static_cast<double>(k);
        out.samples.push_back(static_cast<float>((1 - f) * in.samples[k] + f * in.samples[k + 1]));
    }
    return out;
}

void Gain(Recording& r, float gain) {
    for (float& x : r.samples)
        x *= gain;
}

void Clip(Recording& r, float limit) {
    for (float& x : r.samples)
        x = std::clamp(x, -limit, limit);
}

void Offset(Recording& r, float dc) {
    for (float& x : r.samples)
        x += dc;
}

void Noise(Recording& r, double snrDb, unsigned seed) {
    double power = 0;
    for (float x : r.samples)
        power += x * x;
    power /= static_cast<double>(r.samples.size());
    std::mt19937 random(seed);
    std::normal_distribution<float> gauss(
        0.0f, static_cast<float>(std::sqrt(power / std::pow(10, snrDb / 10))));
    for (float& x : r.samples)
        x += gauss(random);
}

void TapeHead(Recording& r, double lowHz, double highHz) {
    const double high = std::exp(-2 * kPi * lowHz / r.rate);
    const double low = 1 - std::exp(-2 * kPi * highHz / r.rate);
    double in = 0, hp = 0, lp1 = 0, lp2 = 0;
    for (float& x : r.samples) {
        hp = high * (hp + x - in);
        in = x;
        lp1 += low * (hp - lp1);
        lp2 += low * (lp1 - lp2);
        x = static_cast<float>(lp2);
    }
}

namespace {
// The samples from `at` over `seconds`, within the recording.
std::span<float> Stretch(Recording& r, double at, double seconds) {
    const auto from = std::min(r.samples.size(), static_cast<std::size_t>(at * r.rate));
    const auto to = std::min(r.samples.size(), static_cast<std::size_t>((at + seconds) * r.rate));
    return std::span(r.samples).subspan(from, std::max(from, to) - from);
}
} // namespace

void Burst(Recording& r, double at, double seconds) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> roar(-0.6f, 0.6f);
    for (float& x : Stretch(r, at, seconds))
        x = roar(random);
}

void Dropout(Recording& r, double at, double seconds) {
    std::ranges::fill(Stretch(r, at, seconds), 0.0f);
}

void SlipHalfCycle(Recording& r, double at, bool extra) {
    auto& s = r.samples;
    auto crossing = [&s](std::size_t from) {
        while (from + 1 < s.size() && (s[from] >= 0) == (s[from + 1] >= 0))
            ++from;
        return s.begin() + static_cast<std::ptrdiff_t>(from + 1);
    };
    const auto first = crossing(static_cast<std::size_t>(at * r.rate));
    const auto second = crossing(static_cast<std::size_t>(first - s.begin()));
    // Everything from the half-cycle on turns over; lost, the half-cycle goes; heard twice, it
    // comes back the right way up in front of its upside-down self.
    const std::vector<float> half(first, second);
    std::transform(first, s.end(), first, std::negate<>());
    if (extra)
        s.insert(first, half.begin(), half.end());
    else
        s.erase(first, second);
}

#if TONVALE_RECORDING
std::string WriteSoundFile(const std::string& path, const Recording& r, int channels, int format) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(r.rate);
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_float(file, r.samples.data(), static_cast<sf_count_t>(r.samples.size()) / channels);
    sf_close(file);
    return path;
}
#endif

} // namespace tonvale::test
