// Play and Stop in the window against a real sound server, the progress bar tick by tick, the
// LNW box, and the two save commands compared with what the core writes by itself.
#include "WindowDriver.h"

#include "builder/SampleTapes.h"
#include "builder/SystemTapeBuilder.h"
#include "builder/TapeBuilder.h"

#include <QAudioDevice>
#include <QListView>
#include <QMediaDevices>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

constexpr int kTicks = 50;

// About a second of sound: a short leader and a SYSTEM tape of a few bytes.
Bytes ShortTape() {
    const Bytes code = {0xC3, 0x00, 0x70}; // JP 7000h
    return TapeBuilder()
        .Level2File(SystemTape("SHORT").Block(0x7000, code).Transfer(0x7000).Build(), 32)
        .Build();
}

Bytes DemoTape() {
    return TapeBuilder().Level2File(DemoBasicProgram()).Build();
}

std::uint32_t Le32(const Bytes& bytes, std::size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

Bytes WavOf(CTonvaleDlg& dlg) {
    return Bytes(dlg.m_wavImage.get(), dlg.m_wavImage.get() + dlg.m_wavSize);
}

class Playback : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QMediaDevices::audioOutputs().isEmpty())
            GTEST_SKIP() << "no sound device: run through scripts/with-sound-server";
        dir = TestDir();
        tape = TapeFile(dir, "short.cas", ShortTape());
        w.Drop({tape});
        ASSERT_TRUE(w.Dialog().m_wavImage);
    }

    QProgressBar* Bar() {
        return static_cast<QProgressBar*>(w.Window().Control(ControlId::Progress));
    }
    QTimer* Timer() { return w.Window().Platform().Timer(1); }
    // The next tick of the playback timer, once the window has handled it.
    void NextTick() {
        ASSERT_TRUE(Timer() && Timer()->isActive());
        QSignalSpy tick(Timer(), &QTimer::timeout);
        ASSERT_TRUE(tick.wait(10000));
    }
    void ExpectPlaying() {
        EXPECT_EQ(w.Text(ControlId::Play), "&Stop");
        EXPECT_FALSE(w.Enabled(ControlId::OpenNew));
        EXPECT_FALSE(w.Enabled(ControlId::Lnw));
    }
    void ExpectIdle() {
        EXPECT_EQ(w.Dialog().m_timer, 0u);
        EXPECT_EQ(w.Text(ControlId::Play), "&Play");
        EXPECT_TRUE(w.Enabled(ControlId::OpenNew));
        EXPECT_TRUE(w.Enabled(ControlId::Lnw));
        EXPECT_EQ(Bar()->value(), 0);
        EXPECT_FALSE(Timer() && Timer()->isActive());
    }

    WindowUnderTest w;
    std::string dir;
    std::string tape;
};

TEST_F(Playback, StartsWithTheBarsRangeAndLocksOpeningUntilStopped) {
    const int step = static_cast<int>(w.Dialog().m_playMillis / kTicks);
    ASSERT_GT(step, 10) << "the tape plays long enough to tell the ticks apart";
    w.Click(ControlId::Play);
    ExpectPlaying();
    EXPECT_EQ(w.Dialog().m_timer, 49u);
    EXPECT_EQ(w.Window().Platform().ProgressMaximum(), step * kTicks);
    EXPECT_EQ(Bar()->maximum(), step * kTicks);
    EXPECT_EQ(Timer()->interval(), step);
    EXPECT_EQ(w.modals.Unexpected(), 0) << "the sound started";

    NextTick();
    EXPECT_EQ(Bar()->value(), step);
    EXPECT_EQ(w.Dialog().m_timer, 48u);

    // Opening is locked: a drop is ignored, the button is off.
    const std::string other = TapeFile(dir, "demo.cas", DemoTape());
    w.Drop({other});
    EXPECT_EQ(w.Title(), "Tonvale 2 - short.cas");

    w.Click(ControlId::Play); // "&Stop"
    EXPECT_EQ(w.Dialog().m_timer, 0u);
    ExpectPlaying(); // until the next tick
    NextTick();
    ExpectIdle();
}

TEST_F(Playback, FillsTheBarInFortyNineTicksAndGoesIdleAtTheFiftieth) {
    const int step = static_cast<int>(w.Dialog().m_playMillis / kTicks);
    w.Click(ControlId::Play);
    for (int tick = 1; tick < kTicks; ++tick)
        NextTick();
    EXPECT_EQ(Bar()->value(), 49 * step);
    EXPECT_EQ(w.Dialog().m_timer, 0u);
    ExpectPlaying(); // the last fiftieth
    NextTick();
    ExpectIdle();
}

TEST_F(Playback, PlaysAndStopsWithEnterWhereverTheFocusIsNotOnAButton) {
    w.Window().ReportView()->setFocus();
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Dialog().m_timer, 49u);
    ExpectPlaying();
    w.Key(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(w.Dialog().m_timer, 0u);
    NextTick();
    ExpectIdle();
}

TEST_F(Playback, PlaysRightAfterTheOpenWithAutoplayTicked) {
    w.Click(ControlId::Autoplay);
    ASSERT_TRUE(w.Checked(ControlId::Autoplay));
    w.OpenThroughDialog(tape);
    EXPECT_EQ(w.Dialog().m_timer, 49u);
    ExpectPlaying();
}

TEST_F(Playback, HalvesTheBarsRangeWithTheLnwBoxTicked) {
    w.Click(ControlId::Lnw);
    const int step = static_cast<int>(w.Dialog().m_playMillis / 2 / kTicks);
    w.Click(ControlId::Play);
    EXPECT_EQ(w.Window().Platform().ProgressMaximum(), step * kTicks);
    EXPECT_EQ(Timer()->interval(), std::max(step, 10));
}

TEST(LnwBox, SwitchesTheRateAndTheDurationAndTogglesBackExactly) {
    const std::string path = TapeFile(TestDir(), "demo.cas", DemoTape());
    WindowUnderTest w;
    w.Drop({path});
    const Bytes before = WavOf(w.Dialog());
    const QString duration = w.Text(ControlId::DurationLine);
    EXPECT_EQ(Le32(before, 24), 22050u);
    EXPECT_EQ(Le32(before, 28), 22050u);

    w.Click(ControlId::Lnw);
    const Bytes doubled = WavOf(w.Dialog());
    EXPECT_EQ(Le32(doubled, 24), 44100u);
    EXPECT_EQ(Le32(doubled, 28), 44100u);
    EXPECT_EQ(doubled, CoreOutputFor(path, true).wavImage);
    EXPECT_NE(w.Text(ControlId::DurationLine), duration);
    EXPECT_EQ(w.Text(ControlId::DurationLine), CoreOutputFor(path, true).durationLine);

    w.Click(ControlId::Lnw);
    EXPECT_EQ(WavOf(w.Dialog()), before);
    EXPECT_EQ(w.Text(ControlId::DurationLine), duration);
}

TEST(SaveCommands, WriteTheReportAndTheWavImageAsTheCoreDoes) {
    const std::string dir = TestDir();
    const std::string path = TapeFile(dir, "DEMO.Cas", DemoTape());
    WindowUnderTest w;
    w.Drop({path});

    w.fileAnswers.push_back(dir + "/report.txt");
    w.Click(ControlId::Save);
    ASSERT_EQ(w.fileRequests.size(), 1u);
    const QtPlatform::FileDialogRequest& text = w.fileRequests[0];
    EXPECT_TRUE(text.save);
    EXPECT_EQ(text.title, "");
    EXPECT_EQ(text.proposedName, dir + "/DEMO.txt");
    ASSERT_EQ(text.filters.size(), 2u);
    EXPECT_EQ(text.filters[0].label, "text file (*.txt)");
    EXPECT_EQ(text.filters[0].pattern, "*.TXT");
    EXPECT_EQ(text.filters[1].label, "any file (*.*)");
    EXPECT_EQ(ReadFile(dir + "/report.txt"), CoreOutputFor(path).reportText);

    w.Click(ControlId::Lnw);
    w.fileAnswers.push_back(dir + "/sound");
    w.Click(ControlId::SaveWav);
    ASSERT_EQ(w.fileRequests.size(), 2u);
    EXPECT_EQ(w.fileRequests[1].proposedName, dir + "/DEMO.wav");
    EXPECT_EQ(w.fileRequests[1].filters[0].pattern, "*.WAV");
    EXPECT_EQ(ReadFile(dir + "/sound"), CoreOutputFor(path, true).wavImage);
    EXPECT_EQ(w.modals.Unexpected(), 0);
}

TEST(SaveCommands, SayWhenTheFileCannotBeCreatedAndAreSilentOnCancel) {
    const std::string dir = TestDir();
    const std::string path = TapeFile(dir, "demo.cas", DemoTape());
    WindowUnderTest w;
    w.Drop({path});

    w.fileAnswers.push_back(std::nullopt);
    w.Click(ControlId::Save);
    EXPECT_TRUE(w.modals.seen.empty());

    w.modals.Then(PressKey(Qt::Key_Return)).Then(PressKey(Qt::Key_Return));
    w.fileAnswers.push_back(dir + "/no such folder/report.txt");
    w.Click(ControlId::Save);
    w.fileAnswers.push_back(dir + "/no such folder/sound.wav");
    w.Click(ControlId::SaveWav);
    ASSERT_EQ(w.modals.seen.size(), 2u);
    for (const ModalAnswerer::Seen& seen : w.modals.seen) {
        EXPECT_TRUE(seen.text.startsWith("Error opening file")) << seen.text.toStdString();
        EXPECT_EQ(seen.title, "Tonvale - WHAT!");
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
    }
}

} // namespace
} // namespace tonvale::test
