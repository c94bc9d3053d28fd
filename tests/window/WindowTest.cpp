// The real window offscreen, against a real sound server: what it shows of the dialog, its
// file dialogs, prompts and messages, the report view and its font, playback, and the start
// from a command line.
#include "WindowDriver.h"

#include "audio/AudioTestSupport.h"
#include "builder/SampleTapes.h"
#include "platform/qt/window/FormatPrompts.h"
#include "platform/qt/window/ReportModel.h"
#include "platform/qt/window/RunTonvale.h"

#include <QAbstractItemModelTester>
#include <QFileDialog>
#include <QFontDatabase>
#include <QProgressBar>
#include <QPushButton>
#include <QRawFont>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

#include <filesystem>

namespace tonvale::test {
namespace {

Bytes Demo() {
    return TapeBuilder().Level2File(DemoBasicProgram()).Build();
}
// Its first bytes say neither Level 1 nor Level 2: the load asks.
Bytes Undecided() {
    return TapeBuilder().Level2File(ToBytes("JUST SOME BYTES NO DECODER KNOWS")).Build();
}
// A Level 2 and a Highspeed tape file: the sound can only be one format, the load asks.
Bytes Mixed() {
    return TapeBuilder().Level2File(DemoBasicProgram()).HighspeedFile(DemoBasicProgram()).Build();
}

std::vector<QString> StatusLines(const WindowUnderTest& w) {
    return {w.Text(ControlId::FileLine), w.Text(ControlId::DurationLine),
            w.Text(ControlId::SummaryLine)};
}
std::vector<QString> StatusLines(const CTonvaleDlg& dlg) {
    return {Shown(dlg.ControlText(ControlId::FileLine)),
            Shown(dlg.ControlText(ControlId::DurationLine)),
            Shown(dlg.ControlText(ControlId::SummaryLine))};
}

ModalAnswerer::Answer Choose(const std::string& path) {
    return [path](QDialog* dialog) {
        static_cast<QFileDialog*>(dialog)->selectFile(QString::fromStdString(path));
        dialog->accept();
    };
}

TEST(Window, StartsWithThePlaceholderKeepsItsArrangementAndClosesWithEscape) {
    WindowUnderTest w;
    EXPECT_EQ(w.window.windowTitle(), "Tonvale 2");
    EXPECT_EQ(w.Rows(), std::vector<QString>{"<no data>"});
    const std::pair<ControlId, const char*> texts[] = {
        {ControlId::OpenNew, "&Open new"},  {ControlId::Play, "&Play"},
        {ControlId::Exit, "&Exit"},         {ControlId::Save, "&Save"},
        {ControlId::SaveWav, "Save &Wav"},  {ControlId::About, "&About"},
        {ControlId::Autoplay, "&Autoplay"}, {ControlId::Lnw, "&LNW 1kHz"}};
    for (const auto& [id, text] : texts)
        EXPECT_EQ(w.Text(id), text);
    EXPECT_EQ(StatusLines(w), std::vector<QString>(3));

    QStringList about;
    w.modals.Then(Meanwhile(
        [&](QDialog* dialog) {
            for (QLabel* label : dialog->findChildren<QLabel*>())
                about << (label->pixmap().isNull() ? label->text() : "icon");
        },
        ClickButton("OK")));
    w.Click(ControlId::About);
    EXPECT_EQ(about, QStringList({"icon", "Tonvale Version 2.0",
                                  "Plays TRS-80 I/III/4 cassettes through the sound card",
                                  "Connect the TRS-80 'Ear' input to PC headphone output"}));

    // The report takes what the window grows by; the buttons at the corner move with it.
    auto place = [&](ControlId id) { return w.window.Control(id)->geometry(); };
    const QRect report = place(ControlId::Report), exit = place(ControlId::Exit);
    w.window.resize(w.window.size() + QSize(300, 200));
    QApplication::processEvents();
    EXPECT_EQ(place(ControlId::Report), report.adjusted(0, 0, 300, 200));
    EXPECT_EQ(place(ControlId::Exit), exit.translated(300, 200));
    QTest::keyClick(&w.window, Qt::Key_Escape);
    EXPECT_FALSE(w.window.isVisible());
}

TEST(Window, ShowsWhatTheDialogHoldsAfterEachOpenAndNothingAfterAFailedOne) {
    const std::string dir = TestDir();
    std::filesystem::create_directories(dir + "/b");
    const std::string demo = TapeFile(dir, "demo.cas", Demo());
    const std::string odd = TapeFile(dir + "/b", "a[*]b <b>&c.cas",
                                     TapeBuilder().Level2File(DemoSystemProgram()).Build());
    WindowUnderTest w;
    auto expectShown = [&](const std::string& path) {
        const Core core(path);
        EXPECT_EQ(w.Rows(), RowsOf(core.dlg));
        EXPECT_EQ(StatusLines(w), StatusLines(core.dlg));
    };
    QStringList filters;
    QString startedIn;
    w.modals.Then(Meanwhile(
        [&](QDialog* d) { filters = static_cast<QFileDialog*>(d)->nameFilters(); }, Choose(demo)));
    w.Click(ControlId::OpenNew);
    EXPECT_EQ(filters, QStringList({"Cassette file (*.cas)", "All files (*.*)"}));
    EXPECT_EQ(w.window.windowTitle(), "Tonvale 2 - demo.cas");
    expectShown(demo);

    w.Drop({odd});
    EXPECT_EQ(w.window.windowHandle()->title(), "Tonvale 2 - a[*]b <b>&c.cas");
    expectShown(odd);
    w.modals.Then(
        Meanwhile([&](QDialog* d) { startedIn = static_cast<QFileDialog*>(d)->directory().path(); },
                  PressKey(Qt::Key_Escape)));
    w.Click(ControlId::OpenNew);
    EXPECT_EQ(QDir(startedIn), QDir(QString::fromStdString(dir + "/b"))) << "the tape's folder";
    w.modals.Then(PressKey(Qt::Key_Return));
    w.Drop({demo, odd});
    expectShown(odd);

    std::filesystem::remove(odd);
    w.modals.Then(PressKey(Qt::Key_Return));
    w.Drop({odd});
    EXPECT_EQ(w.Rows(), std::vector<QString>());
    EXPECT_EQ(StatusLines(w), std::vector<QString>(3));
    EXPECT_FALSE(w.Enabled(ControlId::Play));

    ASSERT_EQ(w.modals.seen.size(), 4u);
    EXPECT_EQ(w.modals.seen[0].title, "Open (*.CAS)");
    const ModalAnswerer::Seen& refused = w.modals.seen[2];
    EXPECT_EQ(refused.text, "Tonvale can accept\nonly one file at a time");
    EXPECT_EQ(refused.title, "Tonvale - HOW?");
    EXPECT_EQ(refused.icon, QMessageBox::Warning);
    const ModalAnswerer::Seen& failed = w.modals.seen[3];
    EXPECT_EQ(failed.text, QString::fromStdString(odd) + "\nUnable to open file!");
    EXPECT_EQ(failed.title, "Tonvale - HOW?");
    EXPECT_EQ(failed.icon, QMessageBox::Critical);
    EXPECT_TRUE(failed.plainText);
}

TEST(Window, RefusesEveryOtherCommandWhileALoadWaitsForItsQuestion) {
    const std::string dir = TestDir();
    const std::string undecided = TapeFile(dir, "undecided.cas", Undecided());
    const std::string other = TapeFile(dir, "other.cas", Demo());
    WindowUnderTest w;
    bool busy = false;
    w.modals.Then(Meanwhile(
        [&](QDialog*) {
            busy = w.window.Busy();
            // Nothing that reaches the window now may replace the tape being analysed.
            w.Drop({other});
            for (ControlId id : {ControlId::OpenNew, ControlId::Save})
                QMetaObject::invokeMethod(w.window.Control(id), "click");
            w.window.close();
        },
        PressKey(Qt::Key_Return)));
    w.Drop({undecided});
    EXPECT_TRUE(busy);
    ASSERT_EQ(w.modals.seen.size(), 1u) << "the question alone";
    EXPECT_TRUE(w.modals.seen[0].applicationModal);
    EXPECT_EQ(w.Rows(), RowsOf(Core(undecided).dlg));
    EXPECT_TRUE(w.window.isVisible());
}

struct PromptCase {
    const char* name;
    bool level; // the Level question, else the format question
    ModalAnswerer::Answer answer;
    TapeFormat chosen;
};

class Prompt : public ::testing::TestWithParam<PromptCase> {};

TEST_P(Prompt, AnswerDecidesTheReportAndTheSound) {
    const PromptCase& c = GetParam();
    const std::string path = TapeFile(TestDir(), "tape.cas", c.level ? Undecided() : Mixed());
    WindowUnderTest w;
    w.modals.Then(c.answer);
    w.Drop({path});
    ASSERT_EQ(w.modals.seen.size(), 1u);
    EXPECT_EQ(w.modals.seen[0].className,
              c.level ? "tonvale::CLevelChoiceDlg" : "tonvale::CFormatChoiceDlg");
    const Core core(path, c.chosen);
    EXPECT_EQ(w.Rows(), RowsOf(core.dlg));
    EXPECT_TRUE(std::ranges::equal(w.Dialog().WavBytes(), core.dlg.WavBytes()));
}

constexpr auto kL1 = TapeFormat::Level1, kL2 = TapeFormat::Level2, kHs = TapeFormat::Highspeed;
INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, Prompt,
    ::testing::Values(PromptCase{"LevelEnter", true, PressKey(Qt::Key_Return), kL2},
                      PromptCase{"LevelEscape", true, PressKey(Qt::Key_Escape), kL1},
                      PromptCase{"LevelCloseBox", true, CloseBox(), kL2},
                      PromptCase{"LevelClick1", true, ClickButton("Level &1"), kL1},
                      PromptCase{"LevelKey1", true, PressKey(Qt::Key_1), kL1},
                      PromptCase{"LevelAltKey1", true, PressKey(Qt::Key_1, Qt::AltModifier), kL1},
                      PromptCase{"FormatEnter", false, PressKey(Qt::Key_Return), kL2},
                      PromptCase{"FormatEscape", false, PressKey(Qt::Key_Escape), kHs},
                      PromptCase{"FormatCloseBox", false, CloseBox(), kL2},
                      PromptCase{"FormatClick1", false, ClickButton("Level &1"), kL1},
                      PromptCase{"FormatKeyH", false, PressKey(Qt::Key_H), kHs},
                      PromptCase{"FormatAltKeyH", false, PressKey(Qt::Key_H, Qt::AltModifier),
                                 kHs}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Prompt, AsksWithItsCaptionTextAndButtonsTheFirstTheDefault) {
    CLevelChoiceDlg level;
    CFormatChoiceDlg format;
    const std::tuple<QDialog*, QString, QStringList> looks[] = {
        {&level,
         "Level 1 or 2 couldn't be determined\nPlease select the output format:",
         {"Level &2", "Level &1"}},
        {&format,
         "Multiple \"files\" with different format\nTonvale can only do one at a time.\n"
         "Please select the output format:",
         {"Level &2", "Level &1", "&Highspeed"}}};
    for (const auto& [dialog, question, buttons] : looks) {
        EXPECT_EQ(dialog->windowTitle(), "Tonvale - What format?");
        EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
        QStringList texts, shown;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (!label->text().isEmpty()) texts << label->text();
        QList<QPushButton*> pushButtons = dialog->findChildren<QPushButton*>();
        std::ranges::sort(pushButtons, {}, &QWidget::x);
        for (QPushButton* button : pushButtons)
            shown << (button->isDefault() ? "default " : "") + button->text();
        EXPECT_EQ(texts, QStringList{question});
        EXPECT_EQ(shown, QStringList{"default " + buttons.join("|")}.join("|").split("|"));
    }
}

TEST(ReportView, TellsItemViewsOfEveryLoadConsistentlyAndAtOnce) {
    constexpr int kLines = 200'000;
    const std::string dir = TestDir();
    const std::string noise = TapeFile(dir, "noise.cas", TapeBuilder().Noise(16 * kLines).Build());
    const std::string demo = TapeFile(dir, "demo.cas", Demo());
    WindowUnderTest w;
    CReportModel& model = w.window.ReportModel();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    w.Drop({noise});
    // The description line and one dump line per 16 bytes, told in one go once emptied.
    ASSERT_EQ(model.rowCount(), kLines + 1);
    EXPECT_LE(inserted.count() + reset.count(), 2);
    QListView* view = w.window.ReportView();
    view->scrollToBottom();
    QApplication::processEvents();
    const QModelIndex last = model.index(kLines, 0);
    EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(last)));
    EXPECT_EQ(last.data().toString(), Shown(w.Dialog().ReportLine(kLines)));
    // Rows of one height, as wide as the widest line, not selectable.
    const QFontMetrics metrics(view->font());
    EXPECT_EQ(view->visualRect(model.index(0, 0)).height(), metrics.height());
    EXPECT_EQ(last.data(Qt::SizeHintRole).toSize().width(),
              metrics.horizontalAdvance(' ') * static_cast<int>(w.Dialog().Report().widestLine) +
                  4);
    EXPECT_FALSE(model.flags(last) & Qt::ItemIsSelectable);

    w.Drop({demo});
    EXPECT_EQ(w.Rows(), RowsOf(w.Dialog()));
    std::filesystem::remove(demo);
    w.modals.Then(PressKey(Qt::Key_Return));
    w.Drop({demo});
    EXPECT_EQ(model.rowCount(), 0);
}

// The report font: none installed, or a "TRS-80" font made for the tests with either map.
class ReportFont : public ::testing::TestWithParam<const char*> {};

TEST_P(ReportFont, DrawsEveryCellOneWidthAndHighBytesOnlyWithTheTrs80Font) {
    const std::string path = TapeFile(TestDir(), "high.cas", TapeBuilder().Noise(256).Build());
    const QString file = GetParam();
    const int id =
        file.isEmpty()
            ? -1
            : QFontDatabase::addApplicationFont(QStringLiteral(TONVALE_TEST_FONT_DIR "/") + file);
    {
        WindowUnderTest w;
        w.Drop({path});
        const QFont font = w.window.ReportView()->font();
        const QFontMetrics metrics(font);
        for (QChar c : QStringLiteral("iW.#"))
            EXPECT_EQ(metrics.horizontalAdvance(c), metrics.horizontalAdvance(' '));
        EXPECT_EQ(w.window.ChosenReportFont().trs, id >= 0);
        EXPECT_EQ(w.window.ChosenReportFont().symbolPage, file.contains("symbol"));
        if (id < 0) {
            EXPECT_EQ(font, QFontDatabase::systemFont(QFontDatabase::FixedFont));
        } else { // a cell of 18 pixels, 0.6 of an em of 15 wide
            EXPECT_EQ(metrics.height(), 18);
            EXPECT_EQ(metrics.horizontalAdvance(' '), 9);
        }
        const QRawFont raw = QRawFont::fromFont(font);
        bool high = false;
        for (const QString& row : w.Rows())
            for (QChar c : row) {
                high |= (c.unicode() & 0xFF) >= 0x80;
                EXPECT_TRUE(id < 0 || raw.supportsCharacter(c)) << std::hex << int{c.unicode()};
            }
        EXPECT_EQ(high, id >= 0) << "without it they show as dots";
    }
    if (id >= 0) QFontDatabase::removeApplicationFont(id);
}

INSTANTIATE_TEST_SUITE_P(Fonts, ReportFont,
                         ::testing::Values("", "TRS-80-test.ttf", "TRS-80-test-symbol.ttf"));

TEST(Playback, FollowsTheSoundAndGoesIdleWhenTheDeviceGoesAwayAndPlaysAfreshOnceBack) {
    const std::string path = TapeFile(TestDir(), "short.cas", ShortTape());
    WindowUnderTest w;
    w.Drop({path});
    w.Click(ControlId::Lnw);
    EXPECT_EQ(ReadLe32(w.Dialog().WavBytes().data() + kWavRateOffset), 44100u);
    auto expectPlaying = [&](bool playing) {
        EXPECT_EQ(w.Text(ControlId::Play), playing ? "&Stop" : "&Play");
        EXPECT_EQ(w.Enabled(ControlId::OpenNew), !playing);
        EXPECT_EQ(w.Enabled(ControlId::Lnw), !playing);
    };
    QTest::keyClick(w.window.ReportView(), Qt::Key_Return); // Enter off a button plays
    expectPlaying(true);
    const int step = static_cast<int>(w.Dialog().PlayMillis() / 2 / 50);
    QTimer* timer = w.window.Platform().Timer(1);
    ASSERT_TRUE(timer && timer->isActive());
    EXPECT_EQ(timer->interval(), step);
    auto* bar = static_cast<QProgressBar*>(w.window.Control(ControlId::Progress));
    EXPECT_EQ(bar->maximum(), step * 50);
    QSignalSpy ticks(timer, &QTimer::timeout);
    ASSERT_TRUE(ticks.wait());
    EXPECT_EQ(bar->value(), step);
    w.Click(ControlId::Play); // Stop: idle at the next tick
    ASSERT_TRUE(ticks.wait());
    expectPlaying(false);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_TRUE(w.modals.seen.empty());

    w.modals.Then(PressKey(Qt::Key_Return));
    w.Click(ControlId::Play);
    expectPlaying(true);
    SetSinkPresent(false);
    const bool told = QTest::qWaitFor([&] { return !w.modals.seen.empty(); });
    SetSinkPresent(true);
    ASSERT_TRUE(told);
    EXPECT_EQ(w.modals.seen[0].text, "Audio device problem on PlaySound");
    EXPECT_EQ(w.modals.seen[0].icon, QMessageBox::Critical);
    expectPlaying(false);
    EXPECT_FALSE(timer->isActive());
    w.Click(ControlId::Play);
    expectPlaying(true);
    EXPECT_EQ(w.modals.seen.size(), 1u) << "the sound started afresh";
}

TEST(SaveCommands, ProposeTheTapesNameAndWriteWhatTheDialogHolds) {
    const std::string dir = TestDir();
    const std::string path = TapeFile(dir, "DEMO.Cas", Demo());
    WindowUnderTest w;
    w.Drop({path});
    std::vector<QStringList> asked;
    auto answer = [&](const std::string& target) {
        return Meanwhile(
            [&](QDialog* d) {
                auto* files = static_cast<QFileDialog*>(d);
                asked.push_back(files->selectedFiles() + files->nameFilters());
            },
            Choose(target));
    };
    w.modals.Then(answer(dir + "/report.txt")).Then(answer(dir + "/sound.wav"));
    w.Click(ControlId::Save);
    w.Click(ControlId::SaveWav);
    const QString d = QString::fromStdString(dir);
    EXPECT_EQ(asked,
              (std::vector<QStringList>{{d + "/DEMO.txt", "text file (*.txt)", "any file (*.*)"},
                                        {d + "/DEMO.wav", "wave file (*.wav)", "any file (*.*)"}}));
    EXPECT_EQ(ReadFile(dir + "/report.txt"), w.Dialog().ComposeReportText());
    EXPECT_TRUE(std::ranges::equal(ReadFile(dir + "/sound.wav"), w.Dialog().WavBytes()));
}

struct StartCase {
    const char* name;
    std::function<std::vector<std::string>(const std::string& dir)> arguments;
    int status;
    const char* title; // once the open is done; empty when the program ended with it
    bool asks;         // a message or a question comes up over the window
};

class CommandLine : public ::testing::TestWithParam<StartCase> {};

TEST_P(CommandLine, OpensTheTapeOnceTheWindowIsOnScreen) {
    const StartCase& c = GetParam();
    std::vector<std::string> arguments = c.arguments(TestDir());
    arguments.insert(arguments.begin(), "tonvale");
    ModalAnswerer modals;
    bool overTheWindow = false;
    modals.Then(Meanwhile(
        [&](QDialog* d) {
            auto* window = qobject_cast<CTonvaleWindow*>(d->parentWidget());
            overTheWindow = window && window->windowHandle()->isExposed();
        },
        PressKey(Qt::Key_Return)));
    QString title;
    QTimer look; // once the open is done: what the window shows, then close it
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<CTonvaleWindow*>(top);
            if (!window || !window->isVisible() || window->Busy() ||
                window->windowTitle() == "Tonvale 2")
                continue;
            title = window->windowTitle();
            EXPECT_EQ(RowsOf(window->Dialog()), RowsOf(Core(window->Dialog().Path()).dlg));
            window->close();
        }
    });
    look.start(10);
    EXPECT_EQ(RunTonvale(arguments), c.status);
    EXPECT_EQ(title, QString::fromUtf8(c.title));
    ASSERT_EQ(modals.seen.size(), c.asks ? 1u : 0u);
    EXPECT_EQ(overTheWindow, c.asks);
    if (c.status == 1) {
        EXPECT_EQ(modals.seen[0].text,
                  "Error opening file\n" + QString::fromStdString(arguments.back()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    ::testing::Values(
        StartCase{"PathWithSpaces",
                  [](const std::string& dir) {
                      std::filesystem::create_directories(dir + "/with spaces");
                      return std::vector{TapeFile(dir + "/with spaces", "my demo.cas", Demo())};
                  },
                  0, "Tonvale 2 - my demo.cas", false},
        StartCase{"NameNotUtf8",
                  [](const std::string& dir) {
                      return std::vector{TapeFile(dir, "sp\xE9l.cas", Demo())}; // Latin-1
                  },
                  0, "Tonvale 2 - sp\u00e9l.cas", false},
        StartCase{"AfterDoubleDash",
                  [](const std::string& dir) {
                      return std::vector<std::string>{"--", TapeFile(dir, "demo.cas", Demo())};
                  },
                  0, "Tonvale 2 - demo.cas", false},
        StartCase{"AskingALevel",
                  [](const std::string& dir) {
                      return std::vector{TapeFile(dir, "undecided.cas", Undecided())};
                  },
                  0, "Tonvale 2 - undecided.cas", true},
        StartCase{"NotFound",
                  [](const std::string& dir) { return std::vector{dir + "/missing*.cas"}; }, 1, "",
                  true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(CommandLine, AnswersHelpAndVersionWithoutADisplay) {
    const std::pair<const char*, const char*> answers[] = {
        {"--help", "Usage: tonvale [TAPE]\n"}, {"--version", "tonvale " TONVALE_VERSION "\n"}};
    for (const auto& [option, start] : answers) {
        QProcess tonvale;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "no-such-platform");
        tonvale.setProcessEnvironment(environment);
        tonvale.start(TONVALE_WINDOW, {option});
        ASSERT_TRUE(tonvale.waitForFinished(60000));
        EXPECT_EQ(tonvale.exitCode(), 0) << option;
        EXPECT_TRUE(tonvale.readAllStandardOutput().startsWith(start)) << option;
    }
}

} // namespace
} // namespace tonvale::test
