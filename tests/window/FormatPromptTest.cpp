// The two questions a load may ask, answered in every way a person can: Enter, Escape, the
// close box, a click, and the mnemonics with and without Alt.
#include "WindowDriver.h"

#include "builder/SampleTapes.h"
#include "builder/TapeBuilder.h"
#include "platform/qt/window/FormatPrompts.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

struct PromptCase {
    const char* name;
    ModalAnswerer::Answer answer;
    TapeFormat chosen;
};

void PrintTo(const PromptCase& c, std::ostream* out) {
    *out << c.name;
}

// A tape file whose first bytes say neither Level 1 nor Level 2.
Bytes UndecidedTape() {
    return TapeBuilder().Level2File(ToBytes("JUST SOME BYTES NO DECODER KNOWS")).Build();
}

// A Level 2 tape file and a Highspeed one on the same tape: the sound can only be one.
Bytes MixedTape() {
    return TapeBuilder().Level2File(DemoBasicProgram()).HighspeedFile(DemoBasicProgram()).Build();
}

class LevelQuestion : public ::testing::TestWithParam<PromptCase> {};

TEST_P(LevelQuestion, DecidesTheTapeFilesLevel) {
    const std::string path = TapeFile(TestDir(), "undecided.cas", UndecidedTape());
    WindowUnderTest w;
    w.modals.Then(GetParam().answer);
    w.Drop({path});

    ASSERT_EQ(w.modals.seen.size(), 1u);
    EXPECT_EQ(w.modals.seen[0].className, "tonvale::CLevelChoiceDlg");
    EXPECT_EQ(w.AllRows(), CoreOutputFor(path, false, GetParam().chosen).rows);
    EXPECT_EQ(w.Text(ControlId::FileLine), CoreOutputFor(path, false, GetParam().chosen).fileLine);
    EXPECT_EQ(w.Dialog().m_format, GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, LevelQuestion,
    ::testing::Values(PromptCase{"Enter", PressKey(Qt::Key_Return), TapeFormat::Level2},
                      PromptCase{"Escape", PressKey(Qt::Key_Escape), TapeFormat::Level1},
                      PromptCase{"CloseBox", CloseBox(), TapeFormat::Level2},
                      PromptCase{"ClickLevel1", ClickButton("Level &1"), TapeFormat::Level1},
                      PromptCase{"ClickLevel2", ClickButton("Level &2"), TapeFormat::Level2},
                      PromptCase{"Key1", PressKey(Qt::Key_1), TapeFormat::Level1},
                      PromptCase{"Key2", PressKey(Qt::Key_2), TapeFormat::Level2},
                      PromptCase{"AltKey1", PressKey(Qt::Key_1, Qt::AltModifier),
                                 TapeFormat::Level1}),
    [](const auto& test) { return std::string(test.param.name); });

class FormatQuestion : public ::testing::TestWithParam<PromptCase> {};

TEST_P(FormatQuestion, ChoosesTheFormatOfTheSound) {
    const std::string path = TapeFile(TestDir(), "mixed.cas", MixedTape());
    WindowUnderTest w;
    w.modals.Then(GetParam().answer);
    w.Drop({path});

    ASSERT_EQ(w.modals.seen.size(), 1u);
    EXPECT_EQ(w.modals.seen[0].className, "tonvale::CFormatChoiceDlg");
    EXPECT_EQ(w.Dialog().m_format, GetParam().chosen);
    const Bytes wav(w.Dialog().m_wavImage.get(),
                    w.Dialog().m_wavImage.get() + w.Dialog().m_wavSize);
    EXPECT_EQ(wav, CoreOutputFor(path, false, GetParam().chosen).wavImage);
}

INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, FormatQuestion,
    ::testing::Values(
        PromptCase{"Enter", PressKey(Qt::Key_Return), TapeFormat::Level2},
        PromptCase{"Escape", PressKey(Qt::Key_Escape), TapeFormat::Highspeed},
        PromptCase{"CloseBox", CloseBox(), TapeFormat::Level2},
        PromptCase{"ClickLevel1", ClickButton("Level &1"), TapeFormat::Level1},
        PromptCase{"ClickHighspeed", ClickButton("&Highspeed"), TapeFormat::Highspeed},
        PromptCase{"Key1", PressKey(Qt::Key_1), TapeFormat::Level1},
        PromptCase{"KeyH", PressKey(Qt::Key_H), TapeFormat::Highspeed},
        PromptCase{"AltKeyH", PressKey(Qt::Key_H, Qt::AltModifier), TapeFormat::Highspeed}),
    [](const auto& test) { return std::string(test.param.name); });

// What each question shows: its caption, its text line by line, its buttons in order with the
// default one first.
struct Appearance {
    QString caption;
    QString question;
    QStringList buttons;
    QString defaultButton;
};

Appearance Look(QDialog& dialog) {
    Appearance shown;
    shown.caption = dialog.windowTitle();
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (!label->text().isEmpty()) shown.question = label->text();
    QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    for (QPushButton* button : buttons) {
        shown.buttons.push_back(button->text());
        if (button->isDefault()) shown.defaultButton = button->text();
    }
    return shown;
}

TEST(FormatQuestions, AskWithTheirCaptionTextAndButtons) {
    CLevelChoiceDlg level;
    const Appearance l = Look(level);
    EXPECT_EQ(l.caption, "Tonvale - What format?");
    EXPECT_EQ(l.question, "Level 1 or 2 couldn't be determined\nPlease select the output format:");
    EXPECT_EQ(l.buttons, QStringList({"Level &2", "Level &1"}));
    EXPECT_EQ(l.defaultButton, "Level &2");
    EXPECT_EQ(level.windowModality(), Qt::ApplicationModal);

    CFormatChoiceDlg format;
    const Appearance f = Look(format);
    EXPECT_EQ(f.caption, "Tonvale - What format?");
    EXPECT_EQ(f.question, "Multiple \"files\" with different format\nTonvale can only do one at "
                          "a time.\nPlease select the output format:");
    EXPECT_EQ(f.buttons, QStringList({"Level &2", "Level &1", "&Highspeed"}));
    EXPECT_EQ(f.defaultButton, "Level &2");
    EXPECT_EQ(format.windowModality(), Qt::ApplicationModal);
}

} // namespace
} // namespace tonvale::test
