// The rescue on real captures of real cassettes: short clips, each with what a person read off
// it. Pulses of other shapes than the machine's own, quiet ones, upside-down ones, overdriven
// ones (each an edge from one rail to the other), dips, gaps, cells spread and crowded, and a
// Highspeed run across a dropout.
#include "recording/RecordingFile.h"
#include "rescue/Rescue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tonvale {
namespace {

enum class Expect {
    Pulses,           // exactly `count` pulses
    Leader,           // a 500 bit/s leader, locked within 0.2 s
    BitsBehindLeader, // the leader, then `bits`
    Bits,             // a fragment at 500 bit/s: `bits`, every one sure
    HighspeedBits,    // a fragment at 1500 bit/s: `bits`; across a dropout doubtful, never wrong
};

struct Clip {
    const char* file; // under tests/rescue/real-clips
    Expect expect;
    const char* bits = ""; // spaces ignored
    std::size_t count = 0; // Pulses: how many; Bits: how many may be doubtful
    // What the rescue does not read right yet, said in the test's output rather than hidden.
    const char* notYet = nullptr;
};

const Clip kClips[] = {
    {"low-speed/pulse01.wav", Expect::Pulses, "", 1},
    {"low-speed/pulse02.wav", Expect::Pulses, "", 1},
    {"low-speed/pulse03.wav", Expect::Pulses, "", 1},
    {"low-speed/pulse04.wav", Expect::Pulses, "", 1},
    {"low-speed/pulse05.wav", Expect::Pulses, "", 1},
    {"low-speed/no-pulse01.wav", Expect::Pulses, "", 0},
    {"low-speed/proof01.wav", Expect::Leader},
    {"low-speed/proof02.wav", Expect::Leader},
    {"low-speed/sync01.wav", Expect::BitsBehindLeader, "11010011 11010011 11010011"},
    {"low-speed/bits01.wav", Expect::Bits, "0011 1010  1011 0010  0100 0000", 0},
    {"low-speed/bits02.wav", Expect::Bits, "0000 1100 0100", 0},
    {"low-speed/bits03.wav", Expect::Bits, "0000 0000 1001", 1},
    {"low-speed/bits04.wav", Expect::Bits, "0000 0000", 0,
     "a very quiet fragment: the slow swing under its pulses hides one"},
    {"low-speed/bits05.wav", Expect::Bits, "0010 0000 000", 2},
    {"low-speed/bits06.wav", Expect::Bits, "00101010101001100011", 0},
    {"low-speed/bits07.wav", Expect::Bits, "0000010000000101110110", 3},
    {"low-speed/bits08.wav", Expect::Bits, "100000001000000010000001110110", 0},
    {"low-speed/bits09.wav", Expect::Bits, "111011001100010", 0},
    {"low-speed/bits10.wav", Expect::Bits, "011000010", 0},
    {"high-speed/bits01.wav", Expect::HighspeedBits, "1 01111111 011010011 011", 1},
};

// For test output: a clip by its file.
void PrintTo(const Clip& clip, std::ostream* out) {
    *out << clip.file;
}

std::string Bits(const char* spaced) {
    std::string bits = spaced;
    bits.erase(std::remove(bits.begin(), bits.end(), ' '), bits.end());
    return bits;
}

struct Read {
    RescueTrace trace;
    RescueResult result;
    std::string bits; // every cell's bit, in order
    std::string sure; // '1' where the cell is sure
};

Read ReadClip(const Clip& clip) {
    const std::string path =
        std::string(TONVALE_SOURCE_DIR) + "/tests/rescue/real-clips/" + clip.file;
    std::string failure;
    auto recording = RecordingFile::Open(path, Channel::Stronger, failure);
    Read read;
    EXPECT_TRUE(recording) << failure;
    if (!recording) return read;
    RescueSettings settings;
    settings.trace = &read.trace;
    const bool highspeed = clip.expect == Expect::HighspeedBits;
    if (clip.expect == Expect::Bits || highspeed)
        settings.fragmentBitsPerSecond = highspeed ? 1500 : 500;
    settings.format = highspeed ? TapeFormat::Highspeed : TapeFormat::Level1or2;
    read.result = RescueRecording(*recording, settings);
    for (const TraceCell& cell : read.trace.cells) {
        read.bits += cell.bit ? '1' : '0';
        read.sure += cell.confidence >= 0.5f ? '1' : '0';
    }
    return read;
}

// Whether the bits read are those expected, with doubtful bits among them where the signal
// was unclear: a doubtful bit may stand for an expected one or be one too many, but no expected
// bit is lost and no sure bit is wrong.
bool NeverWrongAndSure(const Read& read, const std::string& expected) {
    const std::size_t n = read.bits.size(), m = expected.size();
    // fits[i][j]: the first i bits read account for the first j expected.
    std::vector<std::vector<bool>> fits(n + 1, std::vector<bool>(m + 1, false));
    fits[0][0] = true;
    for (std::size_t i = 1; i <= n; ++i) {
        const bool doubtful = read.sure[i - 1] == '0';
        for (std::size_t j = 0; j <= m; ++j) {
            const bool same = j > 0 && (doubtful || read.bits[i - 1] == expected[j - 1]);
            fits[i][j] = (same && fits[i - 1][j - 1]) || (doubtful && fits[i - 1][j]);
        }
    }
    return fits[n][m];
}

class RealClip : public testing::TestWithParam<Clip> {};

TEST_P(RealClip, GivesWhatAPersonReadOffIt) {
    const Clip& clip = GetParam();
    const std::string expected = Bits(clip.bits);
    if (clip.notYet) GTEST_SKIP() << "not read right yet: " << clip.notYet;
    const Read read = ReadClip(clip);
    switch (clip.expect) {
    case Expect::Pulses:
        ASSERT_EQ(read.trace.pulses.size(), clip.count);
        for (const TracePulse& pulse : read.trace.pulses) // the loudest heard so far
            EXPECT_EQ(pulse.height, 1.0f);
        break;
    case Expect::Leader:
        ASSERT_GT(read.trace.cells.size(), 100u);
        EXPECT_LT(read.trace.cells.front().seconds, 0.2);
        for (const TraceCell& cell : read.trace.cells) {
            EXPECT_NEAR(cell.period, 2e-3, 0.1e-3) << cell.seconds;
            EXPECT_FALSE(cell.bit) << cell.seconds;
        }
        break;
    case Expect::BitsBehindLeader: {
        const std::size_t at = read.bits.rfind("10100101" + expected);
        ASSERT_NE(at, std::string::npos) << read.bits;
        EXPECT_EQ(read.sure.substr(at), std::string(read.sure.size() - at, '1')) << read.bits;
        break;
    }
    case Expect::Bits:
    case Expect::HighspeedBits:
        EXPECT_TRUE(NeverWrongAndSure(read, expected)) << read.bits << ", sure: " << read.sure;
        EXPECT_LE(std::count(read.sure.begin(), read.sure.end(), '0'), clip.count) << read.sure;
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, RealClip, testing::ValuesIn(kClips),
                         [](const testing::TestParamInfo<Clip>& param) {
                             std::string name = param.param.file;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             std::replace(name.begin(), name.end(), '/', '_');
                             return name;
                         });

} // namespace
} // namespace tonvale
