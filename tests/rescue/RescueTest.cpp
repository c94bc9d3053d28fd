// The rescue reads the product's own sound back, degraded as tapes, recorders and sound cards
// degrade it, into the very tape files it came from; damage is mended where the formats allow
// and reported where not, never passed as ok.
#include "rescue/Rescue.h"
#include "CaptureModel.h"
#include "Degrade.h"
#include "builder/CaseTapes.h"
#include "builder/TestFiles.h"
#include "view/TapeTimeline.h"
#if TONVALE_RECORDING
#include "recording/RecordingFile.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tonvale {
namespace {

using test::Recording;

struct Tape {
    const char* name;
    const char* path; // under the source tree
    TapeFormat sound;
    TapeFormat level; // the answer to "Level 1 or 2?"
};

using enum TapeFormat;
const Tape kTapes[] = {
    {"demo", "examples/demo.cas", Level2, Level2},
    {"demo_system", "examples/demo-system.cas", Level2, Level2},
    {"demo_highspeed", "examples/demo-highspeed.cas", Highspeed, Level2},
    {"demo_level1", "examples/demo-level1.cas", Level1, Level1},
    {"edtasm_source", "tests/golden/cases/edtasm-source.cas", Level2, Level2},
    {"level1_machine_code", "tests/golden/cases/level1-machine-code.cas", Level1, Level1},
    {"system_blocks_gap", "tests/golden/cases/system-blocks-gap.cas", Level2, Level2},
};

Bytes Image(const Tape& tape) {
    return test::ReadFile(std::string(TONVALE_SOURCE_DIR) + "/" + tape.path);
}

RescueResult RescueSamples(const Recording& r) {
    MemorySampleSource source(r.samples, r.rate);
    return RescueRecording(source);
}

#if TONVALE_RECORDING
// Through a real sound file: written as a sound card would, read back by the recording reader.
// The tape is on the right, behind `lead` seconds of silence; hum on the left.
RescueResult RescueFile(const Recording& r, int format, double lead = 0) {
    static const std::string dir = test::TempDir("rescue");
    const auto silent = static_cast<std::size_t>(lead * r.rate);
    Recording stereo{{}, r.rate};
    for (std::size_t i = 0; i < silent + r.samples.size(); ++i)
        stereo.samples.insert(stereo.samples.end(), {0.01f * static_cast<float>(i % 441 < 220),
                                                     i < silent ? 0.0f : r.samples[i - silent]});
    const std::string path =
        test::WriteSoundFile(dir + "/capture.wav", stereo, 2, SF_FORMAT_WAV | format);
    std::string failure;
    auto recording = RecordingFile::Open(path, Channel::Stronger, failure);
    EXPECT_TRUE(recording) << failure;
    return recording ? RescueRecording(*recording) : RescueResult{};
}
#endif

struct Degradation {
    const char* name;
    std::function<RescueResult(const Tape&, ByteView image)> rescue;
    // How it moves the sound in time: played at `speed`, behind `lead` seconds (0: in ways the
    // test does not follow).
    double speed = 1;
    double lead = 0;
};

// A row over the product's own sound of the tape, changed by `change`.
auto Synthesised(std::function<void(Recording&)> change) {
    return [change](const Tape& tape, ByteView image) {
        Recording r = test::Synthesise(tape.sound, image);
        change(r);
        return RescueSamples(r);
    };
}

// A row over that sound played at `speed` with `wow`, captured at 44100.
auto Played(double speed, double wow = 0) {
    return Synthesised([speed, wow](Recording& r) { r = test::Capture(r, 44100, speed, wow); });
}

#if TONVALE_RECORDING
// A row over that sound captured at `rate`, through a sound file of `format` (RescueFile).
auto ThroughFile(double rate, int format, double lead = 0) {
    return [=](const Tape& tape, ByteView image) {
        return RescueFile(test::Capture(test::Synthesise(tape.sound, image), rate), format, lead);
    };
}
#endif

// A row over a capture as real cassettes give it back: pulses of a measured shape at
// `bitsPerSecond`; Highspeed tapes as their own measured cycles.
auto Captured(const test::PulseShape& shape, double bitsPerSecond, bool upsideDown) {
    return [&shape, bitsPerSecond, upsideDown](const Tape& tape, ByteView image) {
        if (tape.sound == Highspeed)
            return RescueSamples(
                test::CaptureHighspeed(image, 1500 * bitsPerSecond / 500, upsideDown));
        return RescueSamples(test::CapturePulses(image, {.shape = &shape,
                                                         .bitsPerSecond = bitsPerSecond,
                                                         .upsideDown = upsideDown,
                                                         .fromBit = {}}));
    };
}

const Degradation kDegradations[] = {
    {"clean", Synthesised([](Recording&) {})},
    {"quiet", Synthesised([](Recording& r) { test::Gain(r, 0.1f); })},
    {"clipped", Synthesised([](Recording& r) {
         test::Gain(r, 6);
         test::Clip(r, 1);
     })},
    {"inverted", Synthesised([](Recording& r) { test::Gain(r, -1); })},
    {"dc_offset", Synthesised([](Recording& r) { test::Offset(r, 0.4f); })},
    {"fast", Played(1.06), 1.06},
    {"slow", Played(0.94), 0.94},
    {"wow", Played(1, 0.01), 0},
    {"wow_2_percent", Played(1, 0.02), 0},
    {"half_speed", Played(0.5), 0.5},
    {"speed_up_kit", Played(1.87), 1.87},
    {"double_speed", Played(2), 2},
    {"noise", Synthesised([](Recording& r) {
         r = test::Capture(r, 44100);
         test::Noise(r, 14);
     })},
    {"tape_head", Synthesised([](Recording& r) {
         r = test::Capture(r, 44100);
         test::TapeHead(r, 400, 5000);
     })},
    {"captured_a_250", Captured(test::kShapeA, 250, false), 0},
    {"captured_a_500", Captured(test::kShapeA, 500, false), 0},
    {"captured_a_938", Captured(test::kShapeA, 938, false), 0},
    {"captured_a_1000_upside_down", Captured(test::kShapeA, 1000, true), 0},
    {"captured_b_250_upside_down", Captured(test::kShapeB, 250, true), 0},
    {"captured_b_500", Captured(test::kShapeB, 500, false), 0},
    {"captured_b_938_upside_down", Captured(test::kShapeB, 938, true), 0},
    {"captured_b_1000", Captured(test::kShapeB, 1000, false), 0},
#if TONVALE_RECORDING
    {"pcm8_11025", ThroughFile(11025, SF_FORMAT_PCM_U8)},
    {"pcm16_48000", ThroughFile(48000, SF_FORMAT_PCM_16)},
    {"after_a_minute_of_hum", ThroughFile(11025, SF_FORMAT_PCM_16, 70), 1, 70},
#endif
};

class RescueDegraded : public testing::TestWithParam<std::tuple<Tape, Degradation>> {};

TEST_P(RescueDegraded, GivesBackTheTapeFilesByteForByte) {
    const auto& [tape, degradation] = GetParam();
    const Bytes image = Image(tape);
    const RescueResult result = degradation.rescue(tape, image);
    const TapeReport source = test::Analyse(image, tape.level);
    const TapeReport rescued = test::Analyse(result.image, tape.level);
    EXPECT_EQ(AsChars(ComposeReportText(rescued)), AsChars(ComposeReportText(source)));
    ASSERT_EQ(result.files.size(), 1u);
    const RescuedTapeFile& file = result.files[0];
    EXPECT_TRUE(file.doubtful.empty()) << file.doubtful.size() << " doubtful, the first at "
                                       << (file.doubtful.empty() ? 0 : file.doubtful[0].offset);
    EXPECT_STREQ(RescueVerdict(file, ReportOf(file, rescued)), "ok");
    const std::string name = degradation.name;
    EXPECT_EQ(file.inverted, name == "inverted" || name.ends_with("upside_down"));

    // Every byte where the synthesis put it, moved as the degradation moved it, within half
    // of the shortest bit cell.
    if (degradation.speed == 0) return;
    const TapeTimeline made = TapeTimeline::OfImage(source, image, tape.sound);
    const TapeTimeline heard = TapeTimeline::OfRescue(result, rescued);
    ASSERT_EQ(heard.Files().at(0).bytes, made.Files().at(0).bytes);
    const double tolerance =
        (tape.sound == Highspeed ? 4 : 22) / test::kSynthesisRate / degradation.speed;
    for (std::uint64_t k = 0; k < made.Files()[0].bytes; ++k) {
        const double expected =
            degradation.lead + (0.5 + made.ByteStart({0, k})) / degradation.speed;
        ASSERT_NEAR(heard.ByteStart({0, k}), expected, tolerance) << "byte " << k;
    }
    EXPECT_NEAR(heard.Files()[0].endSeconds,
                degradation.lead + (0.5 + made.Files()[0].endSeconds) / degradation.speed,
                4 * tolerance);
}

std::string Name(const testing::TestParamInfo<RescueDegraded::ParamType>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(EveryKind, RescueDegraded,
                         testing::Combine(testing::ValuesIn(kTapes),
                                          testing::ValuesIn(kDegradations)),
                         Name);

// Damage in the sound: what the rescue mends, and what it must call damaged.
enum class Hurt {
    CopiesApart,    // a second copy 0.6 s behind the first's last 0.4 s
    BurstFirstCopy, // a second copy behind, the first with a burst of noise `at`
    BurstFirstOf3,  // the same, then a third copy
    Burst,          // noise for `length` seconds
    Dropout,        // silence for `length` bit cells, from a quarter of a cell before its pulse
    HalfCycleLost,  // a Highspeed half cycle lost, or one too many
    HalfCycleExtra,
};

struct Damage {
    const char* name;
    const Tape* tape;
    Hurt hurt;
    double at = 0;     // seconds into the sound; or, with `byte`, when its bit `bit` begins
    double length = 0; // seconds or cells, as `hurt` says
    std::size_t byte = 0;
    unsigned bit = 0;
    const char* verdicts = ""; // of the rescued tape files, in order
    bool exact = false;        // every tape file comes back as recorded
    // Only these bytes may be mended or doubtful, the others come back as recorded (SIZE_MAX:
    // the rest of the tape file may be lost).
    std::size_t firstHit = 0, lastHit = SIZE_MAX;
    std::size_t fewestDoubtful = 0; // in the first tape file: what the rescue must own up to
    // Damage to a capture of a real cassette at 938 bit/s, pulse shape A, rather than to the
    // product's own sound.
    bool captured = false;
};

const test::CaptureSettings kCaptured{.shape = &test::kShapeA, .bitsPerSecond = 938, .fromBit = {}};

// The damage done to the sound of the damage's tape.
Recording Damaged(const Damage& damage, const Recording& r) {
    const Bytes image = Image(*damage.tape);
    const double cell = damage.captured                ? 1 / kCaptured.bitsPerSecond
                        : damage.tape->sound == Level1 ? 84 / test::kSynthesisRate
                                                       : 44 / test::kSynthesisRate;
    // When a bit of the sound made by Synthesise begins, or a captured bit's clock pulse peaks.
    double at = damage.at;
    if (damage.byte > 0)
        at = damage.captured
                 ? test::CapturedTime(image, kCaptured, damage.byte, damage.bit)
                 : 0.5 + 10 / test::kSynthesisRate + (8.0 * damage.byte + damage.bit) * cell;
    Recording d = r;
    switch (damage.hurt) {
    case Hurt::CopiesApart: {
        const auto cut = static_cast<std::ptrdiff_t>(0.4 * r.rate);
        d.samples.resize(d.samples.size() - static_cast<std::size_t>(cut));
        d.samples.insert(d.samples.end(), r.samples.begin() + cut, r.samples.end());
        return d;
    }
    case Hurt::BurstFirstCopy:
    case Hurt::BurstFirstOf3:
        test::Burst(d, at, 0.05);
        d = test::Join(d, r);
        return damage.hurt == Hurt::BurstFirstOf3 ? test::Join(d, r) : d;
    case Hurt::Burst:
        test::Burst(d, at, damage.length);
        return d;
    case Hurt::Dropout:
        test::Dropout(d, at - (damage.captured ? 0.25 * cell : 0), damage.length * cell);
        return d;
    case Hurt::HalfCycleLost:
    case Hurt::HalfCycleExtra:
        test::SlipHalfCycle(d, at, damage.hurt == Hurt::HalfCycleExtra);
        return d;
    }
    return d;
}

// name, tape, hurt, at, length, byte, bit, verdicts, exact, firstHit, lastHit, fewestDoubtful,
// captured.
const Damage kDamages[] = {
    {"copies_a_moment_apart", &kTapes[1], Hurt::CopiesApart, 0, 0, 0, 0, "ok ok", true, 0, 0},
    {"burst_in_the_first_copy", &kTapes[1], Hurt::BurstFirstCopy, 4.8, 0, 0, 0, "mended ok", true,
     11, 15},
    {"burst_in_the_first_of_three", &kTapes[0], Hurt::BurstFirstOf3, 5.0, 0, 0, 0, "mended ok ok",
     true, 24, 28},
    {"highspeed_burst_in_the_first_copy", &kTapes[2], Hurt::BurstFirstCopy, 2.0, 0, 0, 0,
     "mended ok", true},
    {"dropout_in_a_system_block", &kTapes[1], Hurt::Dropout, 0, 1, 268, 2, "mended", true, 11, 11},
    {"dropout_in_a_level1_tape_file", &kTapes[3], Hurt::Dropout, 0, 1, 263, 1, "mended", true, 6,
     6},
    {"dropout_in_a_basic_line_pointer", &kTapes[0], Hurt::Dropout, 0, 1, 267, 2, "mended", true, 10,
     10},
    {"highspeed_half_cycle_lost", &kTapes[2], Hurt::HalfCycleLost, 2.0, 0, 0, 0, "damaged", false,
     68, 71, 1},
    {"highspeed_half_cycle_extra", &kTapes[2], Hurt::HalfCycleExtra, 2.0, 0, 0, 0, "damaged", false,
     68, 71, 2},
    {"burst_in_the_only_copy", &kTapes[6], Hurt::Burst, 0, 0.05, 377, 0, "damaged", false, 119, 124,
     4},
    // Too long to count its cells: what follows is doubtful.
    {"long_burst_in_the_only_copy", &kTapes[6], Hurt::Burst, 0, 0.5, 377, 0, "damaged", false, 119,
     552, 400},
    {"highspeed_burst_in_the_only_copy", &kTapes[2], Hurt::Burst, 2.0, 0.05, 0, 0, "damaged",
     false},
    {"level1_burst_in_the_only_copy", &kTapes[3], Hurt::Burst, 9.0, 0.1, 0, 0, "damaged", false, 20,
     26},
    {"captured_dropout_in_a_system_block", &kTapes[1], Hurt::Dropout, 0, 1, 268, 2, "mended", true,
     11, 11, 0, true},
    {"captured_burst_in_the_only_copy", &kTapes[6], Hurt::Burst, 0, 0.03, 377, 0, "damaged", false,
     119, 124, 4, true},
};

class RescueDamaged : public testing::TestWithParam<Damage> {};

TEST_P(RescueDamaged, MendsWhatTheFormatsAllowAndNeverCallsDamageOk) {
    const Damage& damage = GetParam();
    const Bytes image = Image(*damage.tape);
    const Recording sound = damage.captured ? test::CapturePulses(image, kCaptured)
                                            : test::Synthesise(damage.tape->sound, image);
    const RescueResult result = RescueSamples(Damaged(damage, sound));
    const TapeReport rescued = test::Analyse(result.image, damage.tape->level);
    std::string verdicts;
    for (const RescuedTapeFile& file : result.files)
        verdicts +=
            std::string(verdicts.empty() ? "" : " ") + RescueVerdict(file, ReportOf(file, rescued));
    EXPECT_EQ(verdicts, damage.verdicts);
    EXPECT_GE(result.files[0].doubtful.size(), damage.fewestDoubtful);
    // The clean sound gives the tape file's bytes exactly (RescueDegraded says so).
    const Bytes source = RescueSamples(sound).files[0].data;
    for (std::size_t i = 0; i < result.files.size(); ++i) {
        const RescuedTapeFile& file = result.files[i];
        if (damage.exact) {
            EXPECT_EQ(file.data, source) << i;
        }
        const auto hit = [&damage](std::uint64_t k) {
            return k >= damage.firstHit && k <= damage.lastHit;
        };
        for (const MendedByte& m : file.mended)
            EXPECT_TRUE(hit(m.offset)) << "tape file " << i << " mended byte " << m.offset;
        for (const DoubtfulByte& d : file.doubtful)
            EXPECT_TRUE(hit(d.offset)) << "tape file " << i << " doubtful byte " << d.offset;
        // Each byte at its own tape file's time, in order, even where a copy gave its value.
        ASSERT_EQ(file.byteSeconds.size(), file.data.size()) << i;
        EXPECT_TRUE(std::is_sorted(file.byteSeconds.begin(), file.byteSeconds.end())) << i;
        if (!file.byteSeconds.empty()) {
            EXPECT_NEAR(file.byteSeconds.front(), file.dataSeconds, 0.001) << i;
        }
        if (damage.lastHit == SIZE_MAX) continue;
        ASSERT_EQ(file.data.size(), source.size()) << i;
        EXPECT_EQ(file.heard, source.size()) << i;
        for (std::size_t k = 0; k < source.size(); ++k)
            EXPECT_TRUE(hit(k) || file.data[k] == source[k]) << "tape file " << i << " byte " << k;
    }
}

template <typename Row> std::string RowName(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Recordings, RescueDamaged, testing::ValuesIn(kDamages), RowName<Damage>);

// A fragment of a capture: it starts inside a tape file, with no leader to learn from, and is
// read from its first pulse on at the speed it is said to run at. Where it starts decides how
// the first cells are told apart: in a run of 1 bits clock and data pulses alternate evenly.
struct Fragment {
    const char* name;
    const test::PulseShape* shape;
    double bitsPerSecond;
    bool upsideDown;
    const char* startsWith; // the first bits, found in the demo's data
    unsigned lost = 0;      // cells lost to a dropout from the second one on: read doubtful
};

const Fragment kFragments[] = {
    {"in_a_run_of_1_bits", &test::kShapeA, 500, false, "1110"},
    {"in_a_run_of_0_bits", &test::kShapeB, 938, true, "0001"},
    {"on_0_bits_before_1_bits", &test::kShapeA, 1000, false, "00111"},
    {"on_a_1_between_0_bits", &test::kShapeB, 250, false, "0100"},
    {"with_its_second_and_third_cells_lost", &test::kShapeA, 500, false, "00000", 2},
};

class RescueFragment : public testing::TestWithParam<Fragment> {};

TEST_P(RescueFragment, ReadsEveryBitFromTheFirstPulse) {
    const Fragment& fragment = GetParam();
    const Bytes image = Image(kTapes[0]);
    std::string bits;
    for (std::size_t i = 0; i < 8 * image.size(); ++i)
        bits += ((image[i / 8] >> (7 - i % 8)) & 1) != 0 ? '1' : '0';
    const std::size_t from = bits.find(fragment.startsWith, 8 * 300);
    ASSERT_NE(from, std::string::npos);
    const test::CaptureSettings settings{.shape = fragment.shape,
                                         .bitsPerSecond = fragment.bitsPerSecond,
                                         .upsideDown = fragment.upsideDown,
                                         .fromBit = from};
    Recording r = test::CapturePulses(image, settings);
    const double second = test::CapturedTime(image, settings, (from + 1) / 8, (from + 1) % 8);
    const double length = 1 / fragment.bitsPerSecond;
    if (fragment.lost > 0) test::Dropout(r, second - 0.25 * length, fragment.lost * length);

    RescueTrace trace;
    MemorySampleSource source(r.samples, r.rate);
    RescueRecording(
        source,
        {.format = Level1or2, .trace = &trace, .fragmentBitsPerSecond = fragment.bitsPerSecond});
    const std::string expected = bits.substr(from);
    std::string read, sure;
    for (const TraceCell& cell : trace.cells) {
        read += cell.bit ? '1' : '0';
        sure += cell.confidence >= 0.5f ? '1' : '0';
    }
    EXPECT_EQ(read, expected);
    std::string allSure(sure.size(), '1');
    allSure.replace(1, fragment.lost, fragment.lost, '0');
    EXPECT_EQ(sure, allSure);
}

INSTANTIATE_TEST_SUITE_P(Captures, RescueFragment, testing::ValuesIn(kFragments),
                         RowName<Fragment>);

} // namespace
} // namespace tonvale
