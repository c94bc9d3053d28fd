// Sound files as the rescue's samples: what the recording reader takes and refuses, which
// channel of a stereo recording it takes.
#include "builder/TestFiles.h"
#include "rescue/Degrade.h"
#if TONVALE_RECORDING
#include "recording/RecordingFile.h"
#endif

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace tonvale {
namespace {

#if TONVALE_RECORDING
constexpr double kPi = 3.14159265358979323846;

// A channel's sample `i` of `frames`.
using Signal = std::function<float(std::size_t i, std::size_t frames)>;

float Silent(std::size_t, std::size_t) {
    return 0;
}
float Tone(std::size_t i, std::size_t) {
    return 0.5f * static_cast<float>(std::sin(static_cast<double>(i) * 0.3));
}
float Hum(std::size_t i, std::size_t) {
    return 0.1f * static_cast<float>(std::sin(static_cast<double>(i) * 2 * kPi / 160));
}
// Silent for the first 60%, loud behind: a tape that begins late.
float LateTape(std::size_t i, std::size_t frames) {
    return i * 10 < frames * 6 ? 0 : Tone(i, frames);
}
// Loud for its first second only.
float EarlyNoise(std::size_t i, std::size_t) {
    return i < 8000 ? Tone(i, 0) : 0;
}
// Far from 0, hardly moving: a DC offset is no signal.
float Offset(std::size_t i, std::size_t) {
    return 0.9f + 0.01f * static_cast<float>(i % 2);
}

struct Case {
    const char* name;
    int rate;
    std::vector<Signal> channels;
    std::size_t frames;
    Channel asked;
    const char* failure; // null: read, else the start of why not
    int taken = 0;       // the channel read
};
Case Read(const char* name, std::vector<Signal> channels, std::size_t frames, Channel asked,
          int taken, int rate = 8000) {
    return {name, rate, std::move(channels), frames, asked, nullptr, taken};
}
Case Refused(const char* name, int rate, std::vector<Signal> channels, Channel asked,
             const char* failure) {
    return {name, rate, std::move(channels), 100, asked, failure};
}

constexpr Channel kStronger = Channel::Stronger, kLeft = Channel::Left, kRight = Channel::Right;
const Case kCases[] = {
    Read("mono", {Tone}, 5000, kStronger, 0),
    Read("mono_left", {Tone}, 5000, kLeft, 0, 192000),
    Refused("mono_has_no_right", 44100, {Tone}, kRight, "is mono: it has no right channel"),
    Refused("below_8000", 7999, {Tone}, kStronger,
            "has 7999 samples per second; 8000 to 192000 only"),
    Refused("above_192000", 192001, {Tone}, kStronger,
            "has 192001 samples per second; 8000 to 192000 only"),
    Refused("three_channels", 44100, {Tone, Tone, Tone}, kStronger,
            "has 3 channels; mono or stereo only"),
    Read("stronger_right", {Hum, Tone}, 20000, kStronger, 1),
    Read("stronger_left", {Tone, Hum}, 20000, kStronger, 0),
    Read("right_as_asked", {Tone, Hum}, 20000, kRight, 1),
    Read("left_as_asked", {Hum, Tone}, 20000, kLeft, 0),
    Read("a_late_tape_over_early_noise", {EarlyNoise, LateTape}, 80000, kStronger, 1),
    Read("dc_is_no_signal", {Offset, Hum}, 20000, kStronger, 1),
    Read("silence_takes_the_left", {Silent, Silent}, 20000, kStronger, 0),
};

std::string Write(const std::string& path, const Case& c) {
    test::Recording r{{}, static_cast<double>(c.rate)};
    for (std::size_t i = 0; i < c.frames; ++i)
        for (const Signal& channel : c.channels)
            r.samples.push_back(channel(i, c.frames));
    return test::WriteSoundFile(path, r, static_cast<int>(c.channels.size()));
}

TEST(RecordingFile, ReadsTheChannelAskedForOrTheStrongerAndRefusesWhatItCannotRead) {
    const std::string dir = test::TempDir("recording");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(dir + "/" + c.name + ".wav", c);
        std::string failure;
        const auto recording = RecordingFile::Open(path, c.asked, failure);
        if (c.failure) {
            EXPECT_FALSE(recording);
            EXPECT_EQ(failure, c.failure);
            continue;
        }
        ASSERT_TRUE(recording) << failure;
        EXPECT_EQ(recording->Rate(), c.rate);
        EXPECT_EQ(recording->Channels(), static_cast<int>(c.channels.size()));
        EXPECT_EQ(recording->ChannelTaken(), c.taken);
        EXPECT_EQ(recording->Length(), c.frames);
        // Read in blocks of odd sizes: every sample of the channel once, in order.
        std::vector<float> samples, block(777);
        for (std::size_t got; (got = recording->Read(block)) > 0;)
            samples.insert(samples.end(), block.begin(), block.begin() + static_cast<long>(got));
        ASSERT_EQ(samples.size(), c.frames);
        EXPECT_EQ(recording->FramesRead(), c.frames);
        EXPECT_FALSE(recording->EndedEarly());
        const Signal& signal = c.channels[static_cast<std::size_t>(c.taken)];
        for (std::size_t i = 0; i < c.frames; i += 97)
            EXPECT_NEAR(samples[i], signal(i, c.frames), 1e-4) << i;
    }
}
#endif

} // namespace
} // namespace tonvale
