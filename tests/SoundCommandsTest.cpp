// tonvale-cli wav as a user runs it: a real process, real files, its exit status. (play needs a
// sound server: tests/audio.)
#include "CliRunner.h"
#include "app/TonvaleDlg.h"
#include "builder/Level1Builder.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sound/WavImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tonvale {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::Quote;
using test::RunCli;

Bytes Program(Byte name) {
    return test::Level2Basic(name).Line(10, "PRINT \"WAV\"").Line(20, "GOTO 10").Build();
}

class WavCommand : public ::testing::Test {
  protected:
    void SetUp() override { dir = test::TempDir("wav-command"); }
    std::string Tape(const std::string& name, const Bytes& image) {
        return test::WriteFile(dir + "/" + name, image);
    }
    // What the window would build and show for the same tape and answers.
    struct Window {
        Bytes image;
        std::string duration;
    };
    Window InWindow(const std::string& tape, bool lnw = false,
                    TapeFormat format = TapeFormat::Level2) {
        HeadlessPlatform platform;
        platform.SetChecked(ControlId::Lnw, lnw);
        platform.formatAnswer = [format] { return format; };
        CTonvaleDlg dlg(platform);
        dlg.OnInitDialog();
        dlg.OpenTape(tape);
        return {Bytes(dlg.m_wavImage.get(), dlg.m_wavImage.get() + dlg.m_wavSize),
                std::string(AsChars(dlg.ControlText(ControlId::DurationLine)))};
    }
    std::string dir;
};

TEST_F(WavCommand, WritesTheWindowsImageUnderTheProposedName) {
    const std::string tape = Tape("GAME.CAS", test::TapeBuilder().Level2File(Program('G')).Build());
    const CliRun run = RunCli("wav " + Quote(tape));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadFile(dir + "/GAME.wav"), InWindow(tape).image);
    EXPECT_EQ(run.err, dir + "/GAME.wav: " + InWindow(tape).duration + "\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(WavCommand, OutputNameIsUsedAsGivenAndLnwDoublesTheRate) {
    const std::string tape = Tape("game.bin", test::TapeBuilder().Level2File(Program('G')).Build());
    const CliRun run = RunCli("wav --lnw -o " + Quote(dir + "/fast") + " " + Quote(tape));
    EXPECT_EQ(run.status, 0) << run.err;
    const Bytes saved = test::ReadFile(dir + "/fast");
    EXPECT_EQ(saved, InWindow(tape, true).image);
    ASSERT_GE(saved.size(), kWavHeaderSize);
    EXPECT_EQ(ReadLe32(saved.data() + kWavRateOffset), 44100u);
    EXPECT_EQ(run.err, dir + "/fast: " + InWindow(tape, true).duration + "\n");
    EXPECT_FALSE(fs::exists(dir + "/game.bin.wav"));
}

TEST_F(WavCommand, FormatOptionAnswersTheMixedFormatsQuestion) {
    const std::string tape =
        Tape("mixed.cas",
             test::TapeBuilder().Level2File(Program('A')).HighspeedFile(Program('B')).Build());
    EXPECT_EQ(RunCli("wav --format H -o " + Quote(dir + "/h.wav") + " " + Quote(tape)).status, 0);
    EXPECT_EQ(test::ReadFile(dir + "/h.wav"), InWindow(tape, false, TapeFormat::Highspeed).image);
    // Unasked and not on a terminal: as the prompt's close box, Level 2.
    EXPECT_EQ(RunCli("wav -o " + Quote(dir + "/2.wav") + " " + Quote(tape)).status, 0);
    EXPECT_EQ(test::ReadFile(dir + "/2.wav"), InWindow(tape).image);
    EXPECT_NE(test::ReadFile(dir + "/h.wav"), test::ReadFile(dir + "/2.wav"));
}

TEST_F(WavCommand, EmptyLevel1CsaveHasNoWavImage) {
    const Bytes csave = test::Level1EmptyCsave().Rom(test::MadeUpRom()).Build();
    const std::string tape = Tape("csave.cas", test::TapeBuilder().Level1File(csave).Build());
    const CliRun run = RunCli("wav " + Quote(tape));
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "tonvale-cli wav: no WAV image: the tape ends in a Level 1 empty CSAVE, "
                       "which can't be CLOAD'ed\n");
    EXPECT_FALSE(fs::exists(dir + "/csave.wav"));
}

TEST_F(WavCommand, TapeTooLongForAWavFileSaysWhyAndWritesNothing) {
    // A Level 1 program and then 6.4 million bytes of blank tape: at 672 samples a byte the
    // sound would pass the 4 GB a WAV file can count.
    const Bytes program = test::Level1Basic().Line(10, "PRINT \"LONG\"").Build();
    const std::string tape =
        Tape("long.cas", test::TapeBuilder().Level1File(program).Leader(6'400'000).Build());
    const CliRun run = RunCli("wav " + Quote(tape));
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("The tape is too long for a WAV file (4 GB at most).\n"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(dir + "/long.wav"));
}

TEST_F(WavCommand, DamagedTapeIsStillWrittenButSaysSoInTheStatus) {
    const std::string tape = Tape("noise.cas", test::TapeBuilder().Noise(100).Build());
    const CliRun run = RunCli("wav " + Quote(tape));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(test::ReadFile(dir + "/noise.wav").size(), 66u); // no leader found: silence
}

TEST_F(WavCommand, RefusesWhatItCannotDo) {
    const std::string tape = Tape("t.cas", test::TapeBuilder().Level2File(Program('T')).Build());
    EXPECT_EQ(RunCli("wav").status, 2);
    EXPECT_EQ(RunCli("wav " + Quote(tape) + " " + Quote(tape)).status, 2);
    EXPECT_EQ(RunCli("wav --format 3 " + Quote(tape)).status, 2);
    EXPECT_EQ(RunCli("wav --trs-font " + Quote(tape)).status, 2);
    EXPECT_EQ(RunCli("wav " + Quote(dir + "/missing.cas")).status, 2);

    const CliRun unwritable =
        RunCli("wav -o " + Quote(dir + "/no/such/dir.wav") + " " + Quote(tape));
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_EQ(unwritable.err, "tonvale-cli wav: Error opening file " + dir + "/no/such/dir.wav\n");
}

} // namespace
} // namespace tonvale
