// The WAV image: its header, the three recordings sample for sample, sizes, playing times,
// the LNW rate switch, the cases without sound, and the playback state machine that follows it.
#include "app/TonvaleDlg.h"
#include "builder/Level1Builder.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/SignalListener.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sound/WavImage.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tonvale {
namespace {

using test::TapeBuilder;

// --- Reading the image back ------------------------------------------------------------------

struct Run {
    std::size_t count;
    Byte value;
};

// Samples written as runs, the way one describes a waveform: "three high, three low, ...".
Bytes Samples(std::initializer_list<Run> runs) {
    Bytes samples;
    for (const Run& run : runs)
        samples.insert(samples.end(), run.count, run.value);
    return samples;
}

Bytes Repeat(const Bytes& piece, std::size_t times) {
    Bytes out;
    for (std::size_t i = 0; i < times; ++i)
        out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

Bytes Concat(std::initializer_list<Bytes> pieces) {
    Bytes out;
    for (const Bytes& piece : pieces)
        out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

const Bytes kTenSilent = Samples({{10, 0x80}});

Bytes Image(const CTonvaleDlg& dlg) {
    return Bytes(dlg.m_wavImage.get(), dlg.m_wavImage.get() + dlg.m_wavSize);
}

Bytes Data(const CTonvaleDlg& dlg) {
    Bytes image = Image(dlg);
    return Bytes(image.begin() + kWavHeaderSize, image.end());
}

std::uint32_t Le32(const Bytes& image, std::size_t at) {
    return ReadLe32(image.data() + at);
}
std::uint16_t Le16(const Bytes& image, std::size_t at) {
    return static_cast<std::uint16_t>(image[at] | image[at + 1] << 8);
}
std::string Tag(const Bytes& image, std::size_t at) {
    return std::string(image.begin() + static_cast<std::ptrdiff_t>(at),
                       image.begin() + static_cast<std::ptrdiff_t>(at) + 4);
}

// The signal must be heard as exactly these bytes, with nothing else in it.
void ExpectHeard(const test::Heard& heard, const Bytes& tape) {
    EXPECT_EQ(heard.stray, 0u);
    EXPECT_EQ(heard.bits, tape.size() * 8);
    EXPECT_EQ(heard.bytes, tape);
}

// --- Setting the program up ------------------------------------------------------------------

// The sound output of a test: remembers what it was asked to do.
class FakeSoundOutput : public HeadlessPlatform {
  public:
    bool PlaySound(const Byte* image, std::uint64_t size) override {
        ++plays;
        playedImage = image;
        playedSize = size;
        return works;
    }
    void StopSound() override {
        ++stops;
        if (dlg) imageHeldWhenStopped = dlg->m_wavImage != nullptr;
    }
    bool works = true;
    int plays = 0;
    int stops = 0;
    const Byte* playedImage = nullptr;
    std::uint64_t playedSize = 0;
    const CTonvaleDlg* dlg = nullptr;
    std::optional<bool> imageHeldWhenStopped;
};

class Synthesis : public ::testing::Test {
  protected:
    void SetUp() override {
        platform.soundOutput = &sound;
        sound.dlg = &dlg;
        dlg.OnInitDialog();
    }
    void Open(const Bytes& tape) {
        dlg.OpenTape(test::WriteFile(test::TempDir("synthesis") + "/tape.cas", tape));
    }
    // The image of bytes as one tape file of this format, without the loader.
    void Build(TapeFormat format, const Bytes& tape) {
        dlg.m_tapeData = std::make_unique<Byte[]>(tape.size());
        std::copy(tape.begin(), tape.end(), dlg.m_tapeData.get());
        dlg.m_tapeSize = tape.size();
        dlg.m_format = format;
        dlg.m_contentKind = ContentKind::Unidentified;
        dlg.BuildWavImage();
    }
    std::string Duration() {
        return std::string(AsChars(dlg.ControlText(ControlId::DurationLine)));
    }
    void ExpectOneStopSign(const char* text) {
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(AsChars(platform.messages[0].text), text);
        EXPECT_EQ(platform.messages[0].caption, kCaptionHow);
        EXPECT_EQ(platform.messages[0].icon, MessageIcon::StopSign);
    }
    void ClickLnw(bool ticked) {
        platform.SetChecked(ControlId::Lnw, ticked);
        dlg.OnLnw1kHz();
    }

    HeadlessPlatform platform;
    FakeSoundOutput sound;
    CTonvaleDlg dlg{platform};
};

Bytes DemoBasic() {
    return test::Level2Basic('D')
        .Line(10, "CLS")
        .Line(20, "PRINT \"TONVALE\"")
        .Line(30, "GOTO 20")
        .Build();
}

// --- The header --------------------------------------------------------------------------------

TEST_F(Synthesis, HeaderDescribesUnsigned8BitMonoAt22050SamplesPerSecond) {
    Build(TapeFormat::Level2, {0x80});
    const Bytes image = Image(dlg);
    ASSERT_EQ(image.size(), 46u + 372u);
    EXPECT_EQ(Tag(image, 0), "RIFF");
    EXPECT_EQ(Le32(image, 4), 410u);
    EXPECT_EQ(Tag(image, 8), "WAVE");
    EXPECT_EQ(Tag(image, 12), "fmt ");
    EXPECT_EQ(Le32(image, 16), 18u);
    EXPECT_EQ(Le16(image, 20), 1u); // PCM
    EXPECT_EQ(Le16(image, 22), 1u); // one channel
    EXPECT_EQ(Le32(image, 24), 22050u);
    EXPECT_EQ(Le32(image, 28), 22050u);
    EXPECT_EQ(Le16(image, 32), 1u);
    EXPECT_EQ(Le16(image, 34), 8u);
    EXPECT_EQ(Le16(image, 36), 0u);
    EXPECT_EQ(Tag(image, 38), "data");
    EXPECT_EQ(Le32(image, 42), 372u);
    EXPECT_EQ(dlg.m_wavSize, 418u);
}

// --- Level 2 -----------------------------------------------------------------------------------

TEST_F(Synthesis, Level2Byte80hIsOneCellWithBothPulsesThenSevenWithTheClockOnly) {
    Build(TapeFormat::Level2, {0x80});
    const Bytes oneBit =
        Samples({{3, 0xFF}, {3, 0x00}, {16, 0x80}, {3, 0xFF}, {3, 0x00}, {16, 0x80}});
    const Bytes zeroBit = Samples({{3, 0xFF}, {3, 0x00}, {38, 0x80}});
    EXPECT_EQ(Data(dlg), Concat({kTenSilent, oneBit, Repeat(zeroBit, 7), kTenSilent}));
}

// --- Level 1 -----------------------------------------------------------------------------------

TEST_F(Synthesis, Level1CellsAre84SamplesWithTheDataPulseHalfWay) {
    Build(TapeFormat::Level1, {0x40});
    const Bytes oneBit =
        Samples({{3, 0xFF}, {3, 0x00}, {36, 0x80}, {3, 0xFF}, {3, 0x00}, {36, 0x80}});
    const Bytes zeroBit = Samples({{3, 0xFF}, {3, 0x00}, {78, 0x80}});
    EXPECT_EQ(Data(dlg), Concat({kTenSilent, zeroBit, oneBit, Repeat(zeroBit, 6), kTenSilent}));
}

// --- Highspeed ---------------------------------------------------------------------------------

TEST_F(Synthesis, HighspeedFFhIsEightShortCyclesAnd00hEightLongOnes) {
    Build(TapeFormat::Highspeed, {0xFF, 0x00});
    const Bytes shortCycle = Samples({{4, 0x00}, {4, 0xFF}});
    const Bytes longCycle = Samples({{8, 0x00}, {8, 0xFF}});
    // The trailing silence begins with a low half: the falling edge that ends the last bit.
    const Bytes trailer = Samples({{4, 0x00}, {6, 0x80}});
    EXPECT_EQ(Data(dlg),
              Concat({kTenSilent, Repeat(shortCycle, 8), Repeat(longCycle, 8), trailer}));
}

TEST_F(Synthesis, HighspeedImageEndsExactlyAtItsLastSampleWhateverTheLastBytes) {
    // FFh bytes have the shortest groups; their ends come closest to the end of the image.
    for (const Bytes& tape : {Bytes{0xFF}, Bytes{0xFF, 0xFF}, Bytes{0xFF, 0xFF, 0xFF},
                              Bytes{0x00, 0xFF}, Bytes{0xFF, 0x00}, Bytes{0x0F, 0xF0, 0xFF}}) {
        Build(TapeFormat::Highspeed, tape);
        EXPECT_EQ(dlg.m_wavSize, 46 + WavDataLength(TapeFormat::Highspeed, tape));
        const test::Heard heard = test::ListenToCycles(Data(dlg));
        ExpectHeard(heard, tape);
        EXPECT_TRUE(heard.closed); // a Model III hears the last bit end
        EXPECT_EQ(Data(dlg).back(), 0x80);
    }
}

TEST_F(Synthesis, EachFormatPlaysBackItsWholeImageBitForBit) {
    // No leader or sync of its own, no realigning: the file's bits are the signal, shift,
    // noise and Highspeed start bits and all.
    const Bytes level2 = TapeBuilder().Shift(3).Level2File(DemoBasic()).Noise(5).Build();
    Open(level2);
    ASSERT_EQ(dlg.m_format, TapeFormat::Level2);
    ExpectHeard(test::ListenToPulses(Data(dlg), 44), level2);

    const Bytes level1 =
        TapeBuilder().Level1File(test::Level1Basic().Line(10, "PRINT \"HI\"").Build()).Build();
    Open(level1);
    ASSERT_EQ(dlg.m_format, TapeFormat::Level1);
    EXPECT_EQ(dlg.m_wavSize, 46u + level1.size() * 672 + 20);
    ExpectHeard(test::ListenToPulses(Data(dlg), 84), level1);

    const Bytes highspeed = TapeBuilder().HighspeedFile(DemoBasic()).Build();
    Open(highspeed);
    ASSERT_EQ(dlg.m_format, TapeFormat::Highspeed);
    ExpectHeard(test::ListenToCycles(Data(dlg)), highspeed);
}

// --- Playing time ------------------------------------------------------------------------------

struct DurationCase {
    std::uint32_t millis;
    const char* text;
};

void PrintTo(const DurationCase& c, std::ostream* os) {
    *os << c.millis << " ms: \"" << c.text << "\"";
}

class DurationText : public ::testing::TestWithParam<DurationCase> {};

TEST_P(DurationText, RoundsToTheNearestSecondAndSwitchesToMinutesAt49500) {
    TextBuffer text;
    CTonvaleDlg::FormatDuration(text, GetParam().millis);
    EXPECT_EQ(text.Chars(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Synthesis, DurationText,
    ::testing::Values(DurationCase{0, "0 seconds"}, DurationCase{1500, "1 seconds"},
                      DurationCase{1501, "2 seconds"}, DurationCase{49499, "49 seconds"},
                      DurationCase{49500, "0 minutes and 49 seconds"},
                      DurationCase{59501, "1 minutes and 00 seconds"},
                      DurationCase{3723456, "62 minutes and 03 seconds"},
                      // Rounding must not wrap round 32 bits.
                      DurationCase{4294967295u, "71582 minutes and 47 seconds"}));

// --- No tape, no sound ---------------------------------------------------------------------------

TEST_F(Synthesis, NothingLoadedOrAFailedLoadGivesA66ByteImageOfSilence) {
    dlg.BuildWavImage();
    EXPECT_EQ(Image(dlg).size(), 66u);
    EXPECT_EQ(Data(dlg), Samples({{20, 0x80}}));
    EXPECT_EQ(dlg.m_playMillis, 0u);
    EXPECT_EQ(Duration(), "0 seconds");
    EXPECT_TRUE(platform.IsControlEnabled(ControlId::Play));

    // A failed load leaves no tape bytes: empty, whatever the size says.
    dlg.m_tapeData.reset();
    dlg.m_tapeSize = 100000;
    dlg.m_format = TapeFormat::Level1;
    dlg.BuildWavImage();
    EXPECT_EQ(dlg.m_wavSize, 66u);
    EXPECT_EQ(Data(dlg), Samples({{20, 0x80}}));
}

TEST_F(Synthesis, EmptyLevel1CsaveMakesNoSoundAndDisablesPlay) {
    Open(TapeBuilder().Level2File(DemoBasic()).Build());
    ASSERT_TRUE(dlg.m_wavImage);
    Open(TapeBuilder().Level1File(test::Level1EmptyCsave().Rom(test::MadeUpRom()).Build()).Build());
    ASSERT_EQ(dlg.m_contentKind, ContentKind::EmptyLevel1Csave);
    EXPECT_FALSE(dlg.m_wavImage);
    EXPECT_FALSE(platform.IsControlEnabled(ControlId::Play));
    EXPECT_EQ(Duration(), "---");

    // Nothing to play, nothing to save, and the LNW box changes nothing.
    dlg.OnOK();
    EXPECT_EQ(sound.plays, 0);
    EXPECT_EQ(dlg.m_timer, 0u);
    ClickLnw(true);
    EXPECT_EQ(Duration(), "---");
    platform.saveFileName = test::TempDir("synthesis-csave") + "/out.wav";
    dlg.OnSaveWav();
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(AsChars(platform.messages.back().text), "There is no WAV present");
}

TEST_F(Synthesis, EmptyLevel1CsaveBehindAnotherFormatAsksNothingAndKeepsTheDurationLine) {
    const Bytes tape = TapeBuilder()
                           .HighspeedFile(DemoBasic())
                           .Level1File(test::Level1EmptyCsave().Rom(test::MadeUpRom()).Build())
                           .Build();
    Open(TapeBuilder().Level2File(DemoBasic()).Build());
    const std::string shownBefore = Duration();
    Open(tape);
    ASSERT_TRUE(dlg.m_mixedFormats);
    EXPECT_EQ(platform.formatQuestions, 0);
    EXPECT_FALSE(dlg.m_wavImage);
    EXPECT_EQ(Duration(), shownBefore);
}

// --- Mixed formats -------------------------------------------------------------------------------

TEST_F(Synthesis, MixedFormatsAskOnceAndEncodeTheWholeTapeInTheChosenFormat) {
    const Bytes tape = TapeBuilder().Level2File(DemoBasic()).HighspeedFile(DemoBasic()).Build();
    platform.formatAnswer = [] { return TapeFormat::Highspeed; };
    Open(tape);
    EXPECT_EQ(platform.formatQuestions, 1);
    EXPECT_EQ(dlg.m_format, TapeFormat::Highspeed);
    ExpectHeard(test::ListenToCycles(Data(dlg)), tape);
}

TEST_F(Synthesis, MixedFormatsClosedPromptMeansLevel2) {
    const Bytes tape = TapeBuilder().HighspeedFile(DemoBasic()).Level2File(DemoBasic()).Build();
    Open(tape); // the headless prompt answers as its close box does
    EXPECT_EQ(platform.formatQuestions, 1);
    EXPECT_EQ(dlg.m_format, TapeFormat::Level2);
    EXPECT_EQ(dlg.m_wavSize, 46u + tape.size() * 352 + 20);
}

// --- The LNW option ------------------------------------------------------------------------------

TEST_F(Synthesis, Level2ThousandBytesPlayFor16SecondsAndLnwToggledTwiceHalvesThenRestoresThat) {
    Build(TapeFormat::Level2, Bytes(1000, 0x33));
    const Bytes before = Image(dlg);
    EXPECT_EQ(dlg.m_wavSize, 46u + 352020u);
    EXPECT_EQ(dlg.m_playMillis, 15964u);
    EXPECT_EQ(Duration(), "16 seconds");

    ClickLnw(true);
    const Bytes doubled = Image(dlg);
    EXPECT_EQ(Le32(doubled, 24), 44100u);
    EXPECT_EQ(Le32(doubled, 28), 44100u);
    EXPECT_EQ(Duration(), "8 seconds");
    EXPECT_EQ(dlg.m_playMillis, 15964u); // always the 22050 time
    // Only the two rate fields change; the samples stay.
    std::size_t changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i)
        changed += before[i] != doubled[i];
    EXPECT_EQ(changed, 4u); // 22050 = 00005622h and 44100 = 0000AC44h differ in two bytes each

    ClickLnw(false);
    EXPECT_EQ(Image(dlg), before);
    EXPECT_EQ(Duration(), "16 seconds");
}

// --- Too long for a WAV file ---------------------------------------------------------------------

TEST(WavSizeLimit, RiffSizeFieldBoundsTheDataLengthAndSoTheLongestTapePerFormat) {
    const std::uint64_t largest = 0xFFFFFFFFull - 38;
    EXPECT_TRUE(FitsWavSizeFields(largest));
    EXPECT_FALSE(FitsWavSizeFields(largest + 1));
    EXPECT_FALSE(FitsWavSizeFields(0x1'0000'0000ull + 20)); // what 32 bits would wrap to 20
    // Level 1 at 672 samples per byte and Level 2 at 352: the last byte counts that fit.
    EXPECT_TRUE(FitsWavSizeFields(WavDataLength(TapeFormat::Level1, Bytes(6391320))));
    EXPECT_FALSE(FitsWavSizeFields(WavDataLength(TapeFormat::Level1, Bytes(6391321))));
    EXPECT_TRUE(FitsWavSizeFields(WavDataLength(TapeFormat::Level2, Bytes(12201611))));
    EXPECT_FALSE(FitsWavSizeFields(WavDataLength(TapeFormat::Level2, Bytes(12201612))));
    // Highspeed by its table: 00h bytes are the longest, FFh bytes half as long.
    EXPECT_FALSE(FitsWavSizeFields(WavDataLength(TapeFormat::Highspeed, Bytes(33554432, 0x00))));
    EXPECT_TRUE(FitsWavSizeFields(WavDataLength(TapeFormat::Highspeed, Bytes(33554432, 0xFF))));
}

TEST_F(Synthesis, TapeTooLongForAWavFileEndsTheProgramWithAClearMessage) {
    platform.onExit = [](int) {}; // the test goes on where the program would end
    Build(TapeFormat::Level1, Bytes(6391321, 0x00));
    EXPECT_FALSE(dlg.m_wavImage);
    EXPECT_EQ(platform.exitStatus, 1);
    ExpectOneStopSign("Unable to allocate sound buffer (4294967778)!\n"
                      "The tape is too long for a WAV file (4 GB at most).");
}

// --- Playback -----------------------------------------------------------------------------------

class Playback : public Synthesis {
  protected:
    void PlayThousandBytes() { // 15964 ms
        Build(TapeFormat::Level2, Bytes(1000, 0x00));
        dlg.OnOK();
    }
    void Tick(int times) {
        for (int tick = 0; tick < times; ++tick)
            dlg.OnTimer(1);
    }
    std::string PlayText() { return std::string(AsChars(platform.Text(ControlId::Play))); }
    bool LockedOut() {
        return !platform.IsControlEnabled(ControlId::OpenNew) &&
               !platform.IsControlEnabled(ControlId::Lnw);
    }
    void ExpectIdle() {
        EXPECT_EQ(dlg.m_timer, 0u);
        EXPECT_FALSE(platform.timerRunning);
        EXPECT_EQ(PlayText(), "&Play");
        EXPECT_FALSE(LockedOut());
        EXPECT_EQ(platform.progressPos, 0);
    }
};

TEST_F(Playback, PlayHandsOverTheWholeImageLocksOpenAndLnwAndFiftyTicksReturnToIdle) {
    PlayThousandBytes();
    EXPECT_EQ(sound.plays, 1);
    EXPECT_EQ(sound.playedImage, dlg.m_wavImage.get());
    EXPECT_EQ(sound.playedSize, dlg.m_wavSize);
    EXPECT_EQ(dlg.m_timer, 49u);
    EXPECT_EQ(platform.timerInterval, 319u);
    EXPECT_EQ(platform.progressStep, 319);
    EXPECT_EQ(platform.progressMax, 15950);
    EXPECT_EQ(PlayText(), "&Stop");
    EXPECT_TRUE(LockedOut());

    Tick(49);
    EXPECT_EQ(platform.progressPos, 49 * 319);
    EXPECT_EQ(dlg.m_timer, 0u);
    EXPECT_EQ(PlayText(), "&Stop"); // Ending: the last fiftieth still plays
    EXPECT_TRUE(LockedOut());
    Tick(1);
    ExpectIdle();
}

TEST_F(Playback, StopSilencesAtOncePlayWhileEndingStartsAgainAndTheNextTickRestoresIdle) {
    PlayThousandBytes();
    Tick(1);
    dlg.OnOK();
    EXPECT_EQ(sound.stops, 1);
    EXPECT_EQ(dlg.m_timer, 0u);
    dlg.OnOK(); // the button still reads "&Stop", but this is Play again
    EXPECT_EQ(sound.plays, 2);
    EXPECT_EQ(dlg.m_timer, 49u);
    EXPECT_TRUE(platform.timerRunning);
    dlg.OnOK();
    Tick(1);
    ExpectIdle();
}

TEST_F(Playback, LnwTickedBeforeTheBuildDoublesTheRateAndHalvesTheShownTimeAndTheStep) {
    platform.SetChecked(ControlId::Lnw, true);
    PlayThousandBytes();
    EXPECT_EQ(Le32(Image(dlg), 24), 44100u);
    EXPECT_EQ(Le32(Image(dlg), 28), 44100u);
    EXPECT_EQ(dlg.m_playMillis, 15964u); // always the 22050 time
    EXPECT_EQ(Duration(), "8 seconds");
    EXPECT_EQ(platform.timerInterval, 159u);
    EXPECT_EQ(platform.progressMax, 7950);
}

TEST_F(Playback, ImageShorterThan50MillisecondsTicksAtStepZeroAndStillEnds) {
    dlg.BuildWavImage(); // 66 bytes, 0 ms
    dlg.OnOK();
    EXPECT_EQ(platform.timerInterval, 0u);
    EXPECT_EQ(platform.progressMax, 0);
    Tick(50);
    ExpectIdle();
}

TEST_F(Playback, NoTimerMeansNoSoundAndAMessage) {
    platform.timersWork = false;
    Build(TapeFormat::Level2, Bytes(10, 0x00));
    dlg.OnOK();
    EXPECT_EQ(sound.plays, 0);
    ExpectIdle();
    ExpectOneStopSign("Unable to create timer");
}

TEST_F(Playback, NoSoundDeviceShowsTheFailureAndTheFirstTickRestoresIdle) {
    sound.works = false;
    Build(TapeFormat::Level2, Bytes(10, 0x00));
    dlg.OnOK();
    EXPECT_EQ(dlg.m_timer, 0u);
    ExpectOneStopSign("Audio device problem on PlaySound");
    EXPECT_TRUE(platform.timerRunning);
    Tick(1);
    ExpectIdle();
}

TEST_F(Playback, NewBuildStopsTheSoundBeforeTheImageGoesEvenAfterTheCountRanOut) {
    PlayThousandBytes();
    Build(TapeFormat::Level2, Bytes(10, 0x00));
    EXPECT_EQ(sound.stops, 1);
    EXPECT_EQ(sound.imageHeldWhenStopped, true);
    EXPECT_EQ(dlg.m_timer, 0u);

    sound.imageHeldWhenStopped.reset();
    PlayThousandBytes();
    Tick(49); // the count runs out; the last fiftieth still plays
    ASSERT_EQ(dlg.m_timer, 0u);
    const int stopsBefore = sound.stops;
    Build(TapeFormat::Level2, Bytes(10, 0x00));
    EXPECT_EQ(sound.stops, stopsBefore + 1);
    EXPECT_EQ(sound.imageHeldWhenStopped, true);
}

} // namespace
} // namespace tonvale
