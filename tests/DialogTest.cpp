// What the dialog itself does, through the headless platform: the open chain and what a failed
// open leaves, the command line and dropped files, playback with its timer and progress bar,
// the LNW switch, and saving through SafeFile. The reports themselves are the golden test's.
#include "app/SafeFile.h"
#include "app/TonvaleDlg.h"
#include "builder/SampleTapes.h"
#include "builder/TestFiles.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tape/TapeImage.h"
#include "tape/TapeImageWriter.h"
#include "writer/Level1Listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

namespace tonvale {
namespace {

namespace fs = std::filesystem;

std::string Str(ByteView bytes) {
    return std::string(AsChars(bytes));
}

// The sound output: remembers what it was asked, and whether the image was still there when
// it was stopped.
struct FakeSound : HeadlessPlatform {
    bool PlaySound(const Byte* image, std::uint64_t size) override {
        ++plays;
        played = {image, static_cast<std::size_t>(size)};
        return works;
    }
    void StopSound() override {
        ++stops;
        imageHeldAtStop = dlg && dlg->WavBytes().data() == played.data() && !played.empty();
    }
    bool works = true;
    int plays = 0, stops = 0;
    ByteView played;
    const CTonvaleDlg* dlg = nullptr;
    bool imageHeldAtStop = false;
};

// A Level 2 tape of exactly 1000 bytes: 15964 ms of sound, progress steps of 319 ms.
const Bytes kThousand = TapeImageWriter().File(TapeFormat::Level2, Bytes(743, 'x')).Image();

class Dialog : public ::testing::Test {
  protected:
    void SetUp() override {
        platform.soundOutput = &sound;
        platform.onExit = [](int) {};
        sound.dlg = &dlg;
        dlg.OnStart();
    }
    void Open(const Bytes& image, const std::string& name = "GAME.CAS") {
        dlg.OpenTape(test::WriteFile(dir + "/" + name, image));
    }
    // Exactly one message, which is then forgotten.
    void ExpectMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(Str(platform.messages[0].text), text);
        EXPECT_TRUE(platform.messages[0].caption == caption && platform.messages[0].icon == icon);
        platform.messages.clear();
    }
    std::string Shown(ControlId id) { return Str(platform.Text(id)); }
    void Tick(int times) {
        for (int i = 0; i < times; ++i)
            dlg.OnProgressTick(1);
    }
    void ExpectIdle() {
        EXPECT_FALSE(dlg.Playing());
        EXPECT_FALSE(platform.timerRunning);
        EXPECT_EQ(Shown(ControlId::Play), "&Play");
        EXPECT_TRUE(platform.IsControlEnabled(ControlId::OpenNew) &&
                    platform.IsControlEnabled(ControlId::Lnw));
        EXPECT_EQ(platform.progressPos, 0);
    }
    // The state of a failed open: nothing of an earlier tape shown, saved or played.
    void ExpectNothingLoaded() {
        EXPECT_FALSE(dlg.Loaded() || dlg.Playing());
        EXPECT_TRUE(dlg.ReportLineCount() == 0 && dlg.WavBytes().empty());
        EXPECT_FALSE(platform.IsControlEnabled(ControlId::Play) ||
                     platform.IsControlEnabled(ControlId::SaveCas));
        for (ControlId id : {ControlId::FileLine, ControlId::DurationLine, ControlId::SummaryLine})
            EXPECT_TRUE(dlg.ControlText(id).empty() && Shown(id).empty()) << int(id);
        platform.saveFileName = dir + "/never";
        dlg.OnSave();
        ExpectMessage("There is no CAS loaded yet", kCaptionWhatNot, MessageIcon::Exclamation);
        dlg.OnSaveWav();
        ExpectMessage("There is no WAV present", kCaptionWhatNot, MessageIcon::Exclamation);
        dlg.OnSaveCas();
        EXPECT_EQ(platform.lastProposedName, "");
        EXPECT_FALSE(fs::exists(dir + "/never"));
    }
    void Lnw(bool ticked) {
        platform.SetChecked(ControlId::Lnw, ticked);
        dlg.OnLnwToggled();
    }

    std::string dir = test::TempDir("dialog");
    HeadlessPlatform platform;
    FakeSound sound;
    CTonvaleDlg dlg{platform};
};

// Quotes are part of the name; a name that is no file may hold wildcards.
TEST_F(Dialog, OpensTheCommandLineArgumentAsGivenOrItsFirstMatchOrEndsWithStatus1) {
    for (const char* name : {"zork.cas", "adventure.cas"})
        test::WriteFile(dir + "/" + name, kThousand);
    const std::string quoted = "\"" + dir + "/zork.cas\"";
    dlg.OnOpenCommandLine(quoted);
    EXPECT_EQ(platform.exitStatus, 1);
    ExpectMessage("Error opening file\n" + quoted, kCaptionWhat, MessageIcon::Exclamation);
    platform.exitStatus.reset();
    std::vector<std::pair<std::string, std::string>> opened = {
        {dir + "/*.cas", dir + "/adventure.cas"}};
#if !defined(_WIN32)
    // A name Windows keeps out: the name itself before any match.
    opened.push_back({test::WriteFile(dir + "/x*y?.cas", kThousand), dir + "/x*y?.cas"});
    test::WriteFile(dir + "/x*y!.cas", kThousand); // a match that sorts first
#endif
    for (auto& [argument, path] : opened) {
        dlg.OnOpenCommandLine(argument);
        EXPECT_FALSE(platform.exitStatus) << argument;
        EXPECT_EQ(dlg.Path(), path);
        EXPECT_TRUE(dlg.Loaded()) << argument;
    }
}

TEST_F(Dialog, PlaysTheWholeImageAndFollowsItInFiftyTicks) {
    platform.SetChecked(ControlId::Autoplay, true);
    Open(kThousand);
    EXPECT_EQ(sound.plays, 1);
    EXPECT_EQ(sound.played.data(), dlg.WavBytes().data());
    EXPECT_EQ(sound.played.size(), dlg.WavBytes().size());
    EXPECT_EQ(platform.timerInterval, 319u);
    EXPECT_EQ(platform.progressMax, 15950);
    EXPECT_EQ(Shown(ControlId::Play), "&Stop");
    EXPECT_FALSE(platform.IsControlEnabled(ControlId::OpenNew) ||
                 platform.IsControlEnabled(ControlId::Lnw));
    Tick(49);
    EXPECT_EQ(platform.progressPos, 49 * 319);
    EXPECT_EQ(Shown(ControlId::Play), "&Stop"); // the last fiftieth still plays
    Tick(1);
    ExpectIdle();

    // Stop silences at once; Play before the next tick starts again.
    dlg.OnPlay();
    Tick(3);
    dlg.OnPlay();
    EXPECT_EQ(sound.stops, 1);
    EXPECT_FALSE(dlg.Playing());
    dlg.OnPlay();
    EXPECT_EQ(sound.plays, 3);
    EXPECT_TRUE(dlg.Playing());
    platform.openFileName = test::WriteFile(dir + "/chosen.cas", kThousand);
    dlg.OnOpenNew(); // nothing is opened while playing
    dlg.OnDropFiles({platform.openFileName.value()});
    EXPECT_EQ(dlg.Path(), dir + "/GAME.CAS");
    Open(kThousand, "OTHER.CAS"); // a new image stops the sound before the old one goes
    EXPECT_EQ(sound.stops, 2);
    EXPECT_TRUE(sound.imageHeldAtStop);
}

TEST_F(Dialog, TellsOfAMissingTimerOrSoundDeviceAndGoesBackToIdle) {
    Open(kThousand);
    platform.timersWork = false;
    dlg.OnPlay();
    ExpectMessage("Unable to create timer", kCaptionHow, MessageIcon::StopSign);
    EXPECT_EQ(sound.plays, 0);
    ExpectIdle();

    platform.timersWork = true;
    sound.works = false;
    dlg.OnPlay();
    ExpectMessage("Audio device problem on PlaySound", kCaptionHow, MessageIcon::StopSign);
    EXPECT_TRUE(platform.timerRunning);
    Tick(1);
    ExpectIdle();

    sound.works = true;
    dlg.OnPlay();
    dlg.OnSoundEnded(false); // played out: the ticks end it
    EXPECT_TRUE(dlg.Playing());
}

TEST_F(Dialog, EndsWithAClearMessageWhenTheTapeIsTooLongForAWavFile) {
    Bytes image =
        TapeImageWriter().File(TapeFormat::Level1, *Level1BasicFromListing("10 END").value).Image();
    image.resize(6391321); // 672 samples a byte: past the 4 GB of a WAV file
    Open(image);
    EXPECT_EQ(platform.exitStatus, 1);
    ExpectMessage("Unable to allocate sound buffer (4294967778)!\n"
                  "The tape is too long for a WAV file (4 GB at most).",
                  kCaptionHow, MessageIcon::StopSign);
    EXPECT_TRUE(dlg.WavBytes().empty());
}

// --- Recordings ------------------------------------------------------------------------------

// The demo SYSTEM tape and its own sound, as a recording holds it.
const Bytes kDemoSystem = test::ReadFile(TONVALE_SOURCE_DIR "/examples/demo-system.cas");
Bytes DemoSound() {
    const WavImage sound = BuildWavImage(TapeFormat::Level2, kDemoSystem);
    return Bytes(sound.View().begin(), sound.View().end());
}

// Its report and tape are those of tonvale-cli rescue (the command line's tests); here what
// the dialog adds: the progress of the rescue, the name proposed for the tape, the Save CAS
// button only for a recording.
TEST_F(Dialog, RescuesARecordingShowingItsProgressAndSavesItsTape) {
    const std::string recording = test::WriteFile(dir + "/side-a.Wav", DemoSound());
    dlg.OpenTape(recording);
#if !TONVALE_RECORDING
    ExpectMessage(recording + "\nReading recordings is not built into this program", kCaptionHow,
                  MessageIcon::StopSign);
    ExpectNothingLoaded();
#else
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(Str(platform.Title()), "Tonvale 2 - side-a.Wav");
    EXPECT_TRUE(!platform.progressShown.empty() && platform.progressShown.back() == 1000);
    EXPECT_EQ(platform.progressPos, 0);
    platform.saveFileName = dir + "/copy.cas";
    dlg.OnSaveCas();
    EXPECT_EQ(platform.lastProposedName, dir + "/side-a.cas");
    EXPECT_EQ(test::ReadFile(dir + "/copy.cas"), kDemoSystem);
    dlg.OpenTape(dir + "/copy.cas");
    EXPECT_FALSE(platform.IsControlEnabled(ControlId::SaveCas));
#endif
}

// A tape or a recording, then a file that cannot be opened or read: the reader's own message
// (its refusals are the recording reader's test), or that no tape was found (nothing asked about
// an empty tape); the state of any failed open, the sound stopped before its image went.
TEST_F(Dialog, AFailedOpenIsToldAndForgetsEverythingOfTheTapeBefore) {
    Bytes silence = DemoSound();
    std::fill(silence.begin() + kWavHeaderSize, silence.end(), Byte{128});
    std::vector<std::pair<std::string, std::string>> unopened = {
        {dir + "/missing.cas", "Unable to open file!"},
        {dir, "Unable to open file!"},
        {test::WriteFile(dir + "/noise.wav", ToBytes("not a sound at all")),
         "not a recording that can be read: "},
        {test::WriteFile(dir + "/silence.wav", silence), "no tape file found"}};
#if defined(_WIN32)
    std::string tooLong = dir + "/GAME.CAS";
    while (tooLong.size() <= kMaxPath)
        tooLong.insert(dir.size(), "/."); // the file under a name too long for a path buffer
    unopened.push_back({tooLong, "Unable to open file!"});
#endif
    for (auto [path, says] : unopened) {
        const bool recording = path.ends_with(".wav");
        dlg.OpenTape(test::WriteFile(dir + (recording ? "/side-a.wav" : "/GAME.CAS"),
                                     recording ? DemoSound() : test::SampleTapes()[0].image));
        dlg.OnPlay();
        platform.messages.clear(); // a build that reads no recordings tells of this one too
        dlg.OpenTape(path);
#if !TONVALE_RECORDING
        if (recording) says = "Reading recordings is not built into this program";
#endif
        ASSERT_EQ(platform.messages.size(), 1u) << path;
        const std::string told = Str(platform.messages[0].text);
        EXPECT_EQ(told.rfind((path + "\n" + says).substr(0, TextBuffer::kCapacity), 0), 0u) << told;
        ExpectMessage(told, kCaptionHow, MessageIcon::StopSign);
        ExpectNothingLoaded();
    }
    EXPECT_TRUE(sound.imageHeldAtStop);
    EXPECT_EQ(platform.levelQuestions + platform.formatQuestions, 0);
}

// --- Saving ---------------------------------------------------------------------------------

// Takes every byte but cannot get them onto the disk.
struct FailingFlush : FileLayer {
    bool Flush(std::FILE*) override { return false; }
};

std::set<std::string> FilesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// LNW doubles the rate in the header and halves the time shown, and the image saved is the one
// shown. The names proposed and what is saved under a name chosen are the window's test's, a
// disk that fills up part-way the command line's; here a cancel, a name that cannot be written,
// a write that fails, and a target's permissions and links kept.
TEST_F(Dialog, SavesTheLnwImageAsShownAndTellsOfWhatFailsLeavingEarlierFilesAsTheyWere) {
    Open(kThousand, "TAPE.Cas");
    const Bytes before(dlg.WavBytes().begin(), dlg.WavBytes().end());
    EXPECT_EQ(Shown(ControlId::DurationLine), "16 seconds");
    Lnw(true);
    EXPECT_EQ(ReadLe32(dlg.WavBytes().data() + 28), 44100u);
    Bytes after(dlg.WavBytes().begin(), dlg.WavBytes().end());
    SetWavRate(after.data(), false);
    EXPECT_TRUE(after == before); // only the two rate fields changed
    EXPECT_EQ(Shown(ControlId::DurationLine), "8 seconds");
    platform.saveFileName = dir + "/copy";
    dlg.OnSaveWav();
    EXPECT_EQ(ReadLe32(test::ReadFile(dir + "/copy").data() + 24), 44100u);
    EXPECT_TRUE(platform.messages.empty());
    Lnw(false);
    EXPECT_TRUE(Bytes(dlg.WavBytes().begin(), dlg.WavBytes().end()) == before);
    EXPECT_EQ(Shown(ControlId::DurationLine), "16 seconds");

    platform.saveFileName.reset(); // cancelled
    dlg.OnSave();
    dlg.OnSaveWav();
    EXPECT_EQ(FilesIn(dir), (std::set<std::string>{"TAPE.Cas", "copy"}));

    platform.saveFileName = dir; // a directory cannot be replaced
    dlg.OnSaveWav();
    ExpectMessage("Error opening file", kCaptionWhatNot, MessageIcon::Exclamation);
    platform.saveFileName = dir + "/missing/report.txt";
    dlg.OnSave();
    ExpectMessage("Error opening file", kCaptionWhatNot, MessageIcon::Exclamation);

    test::WriteFile(dir + "/out.wav", ToBytes("an earlier recording"));
    test::WriteFile(dir + "/out.txt", ToBytes("an earlier report"));
    {
        FailingFlush flushing;
        ScopedFileLayer failing(flushing);
        platform.saveFileName = dir + "/out.wav";
        dlg.OnSaveWav();
        ExpectMessage(kWriteFailedText, kCaptionWhatNot, MessageIcon::Exclamation);
        platform.saveFileName = dir + "/out.txt";
        dlg.OnSave();
        ExpectMessage(kWriteFailedText, kCaptionWhatNot, MessageIcon::Exclamation);
    }
    EXPECT_EQ(Str(test::ReadFile(dir + "/out.wav")), "an earlier recording");
    EXPECT_EQ(Str(test::ReadFile(dir + "/out.txt")), "an earlier report");
    EXPECT_EQ(FilesIn(dir), (std::set<std::string>{"TAPE.Cas", "copy", "out.wav", "out.txt"}));

#if !defined(_WIN32) // a symbolic link takes a privilege on Windows
    const std::string real = test::WriteFile(dir + "/real.wav", ToBytes("old"));
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(real, perms);
    fs::create_symlink(real, dir + "/link.wav");
    platform.saveFileName = dir + "/link.wav";
    dlg.OnSaveWav();
    EXPECT_TRUE(fs::is_symlink(dir + "/link.wav"));
    EXPECT_EQ(test::ReadFile(real).size(), dlg.WavBytes().size());
    EXPECT_EQ(fs::status(real).permissions(), perms);
#endif
}

} // namespace
} // namespace tonvale
