// Sound files as the rescue's samples: what the recording reader takes and refuses, which
// channel of a stereo recording it takes.
#include "builder/TestFiles.h"
#if TONVALE_RECORDING
#include "recording/RecordingFile.h"
#include <sndfile.h>
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

const Case kCases[] = {
    {"mono", 8000, {Tone}, 5000, Channel::Stronger, nullptr},
    {"mono_left", 192000, {Tone}, 5000, Channel::Left, nullptr},
    {"mono_has_no_right", 44100, {Tone}, 100, Channel::Right, "is mono: it has no right channel"},
    {"below_8000",
     7999,
     {Tone},
     100,
     Channel::Stronger,
     "has 7999 samples per second; 8000 to 192000 only"},
    {"above_192000",
     192001,
     {Tone},
     100,
     Channel::Stronger,
     "has 192001 samples per second; 8000 to 192000 only"},
    {"three_channels",
     44100,
     {Tone, Tone, Tone},
     100,
     Channel::Stronger,
     "has 3 channels; mono or stereo only"},
    {"stronger_right", 8000, {Hum, Tone}, 20000, Channel::Stronger, nullptr, 1},
    {"stronger_left", 8000, {Tone, Hum}, 20000, Channel::Stronger, nullptr, 0},
    {"right_as_asked", 8000, {Tone, Hum}, 20000, Channel::Right, nullptr, 1},
    {"left_as_asked", 8000, {Hum, Tone}, 20000, Channel::Left, nullptr, 0},
    {"a_late_tape_over_early_noise",
     8000,
     {EarlyNoise, LateTape},
     80000,
     Channel::Stronger,
     nullptr,
     1},
    {"dc_is_no_signal", 8000, {Offset, Hum}, 20000, Channel::Stronger, nullptr, 1},
    {"silence_takes_the_left", 8000, {Silent, Silent}, 20000, Channel::Stronger, nullptr, 0},
};

std::string Write(const std::string& path, const Case& c) {
    SF_INFO info{};
    info.samplerate = c.rate;
    info.channels = static_cast<int>(c.channels.size());
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> frames;
    for (std::size_t i = 0; i < c.frames; ++i)
        for (const Signal& channel : c.channels)
            frames.push_back(channel(i, c.frames));
    sf_writef_float(file, frames.data(), static_cast<sf_count_t>(c.frames));
    sf_close(file);
    return path;
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
    std::string failure;
    EXPECT_FALSE(RecordingFile::Open(test::WriteFile(dir + "/text.wav", ToBytes("RIFF, not")),
                                     Channel::Stronger, failure));
    EXPECT_EQ(failure.rfind("not a recording that can be read: ", 0), 0u) << failure;
}
#endif

} // namespace
} // namespace tonvale
