// The real window offscreen, against a real sound server: what it shows of the dialog, its
// file dialogs, prompts and messages, the report view and its font, playback, and the start
// from a command line.
#include "WindowDriver.h"

#include "audio/AudioTestSupport.h"
#include "builder/SampleTapes.h"
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

using enum ControlId;

const Bytes kDemo = TapeBuilder().Level2File(DemoBasicProgram()).Build();
// Its first bytes say neither Level 1 nor Level 2: the load asks.
const Bytes kUndecided = TapeBuilder().Level2File(ToBytes("JUST SOME BYTES NOBODY KNOWS")).Build();
// A Level 2 and a Highspeed tape file: the sound can be only one, the load asks.
const Bytes kMixed =
    TapeBuilder().Level2File(DemoBasicProgram()).HighspeedFile(DemoBasicProgram()).Build();

// A file dialog's answer: this file chosen (none: cancelled); meanwhile what it shows.
Answer Choose(const std::string& path, QStringList* shown = nullptr) {
    return [=](QDialog* dialog) {
        auto* files = static_cast<QFileDialog*>(dialog);
        if (shown)
            *shown = files->nameFilters() + files->selectedFiles() << files->directory().path();
        const QFileInfo file(QString::fromStdString(path));
        files->setDirectory(file.path());
        files->selectFile(file.fileName());
        path.empty() ? dialog->reject() : dialog->accept();
    };
}

TEST(Window, StartsIdleShowsItsAboutBoxGrowsTheReportAndClosesWithEscape) {
    WindowUnderTest w;
    EXPECT_EQ(w.window.windowTitle(), "Tonvale 2");
    EXPECT_EQ(w.Rows(), (std::vector<QString>{"<no data>", "status: ", "status: ", "status: "}));
    QStringList texts;
    for (QAbstractButton* button : w.window.findChildren<QAbstractButton*>())
        texts << button->text();
    EXPECT_EQ(texts.join('|'), "&Open new|&Play|&Exit|&Autoplay|&Save|Save &Wav|&About|&LNW 1kHz");
    QStringList about;
    w.modals.Then(Meanwhile(
        [&](QDialog* d) {
            for (QLabel* label : d->findChildren<QLabel*>())
                about << (label->pixmap().isNull() ? label->text() : "icon");
        },
        ClickButton("OK")));
    w.Click(About);
    EXPECT_EQ(about.join('|'),
              "icon|Tonvale Version 2.0|Plays TRS-80 I/III/4 cassettes through "
              "the sound card|Connect the TRS-80 'Ear' input to PC headphone output");
    // The report takes what the window grows by; the corner's buttons move with it.
    const QRect report = w.window.Control(Report)->geometry(),
                exit = w.window.Control(Exit)->geometry();
    w.window.resize(w.window.size() + QSize(300, 200));
    QApplication::processEvents();
    EXPECT_EQ(w.window.Control(Report)->geometry(), report.adjusted(0, 0, 300, 200));
    EXPECT_EQ(w.window.Control(Exit)->geometry(), exit.translated(300, 200));
    QTest::keyClick(&w.window, Qt::Key_Escape);
    EXPECT_FALSE(w.window.isVisible());
}

TEST(Window, ShowsWhatTheDialogHoldsAfterEachOpenAndNothingAfterAFailedOne) {
    const std::string demo = TapeFile("demo.cas", kDemo);
    const std::string odd = TapeFile("a[*]b <b>&c.cas", kDemo);
    WindowUnderTest w;
    QStringList first, second;
    w.modals.Then(Choose(demo, &first));
    w.Click(OpenNew);
    EXPECT_EQ(first.mid(0, 2).join('|'), "Cassette file (*.cas)|All files (*.*)");
    EXPECT_EQ(w.window.windowTitle(), "Tonvale 2 - demo.cas");
    EXPECT_EQ(w.Rows(), RowsOf(Core(demo).dlg));
    w.Drop({odd});
    EXPECT_EQ(w.window.windowHandle()->title(), "Tonvale 2 - a[*]b <b>&c.cas");
    EXPECT_EQ(w.Rows(), RowsOf(Core(odd).dlg));
    w.modals.Then(Choose("", &second));
    w.Click(OpenNew);
    EXPECT_EQ(QDir(second.last()), QFileInfo(QString::fromStdString(odd)).dir()) << "its folder";
    w.modals.Then(PressKey(Qt::Key_Return)).Then(PressKey(Qt::Key_Return));
    w.Drop({demo, odd});
    EXPECT_EQ(w.Rows(), RowsOf(Core(odd).dlg));
    std::filesystem::remove(odd);
    w.Drop({odd});
    EXPECT_EQ(w.Rows(), (std::vector<QString>{"status: ", "status: ", "status: "}));
    EXPECT_FALSE(w.window.Control(Play)->isEnabled());
    ASSERT_EQ(w.modals.seen.size(), 4u);
    EXPECT_EQ(w.modals.seen[0].title, "Open (*.CAS)");
    EXPECT_EQ(w.modals.seen[2].text, "Tonvale can accept\nonly one file at a time");
    EXPECT_EQ(w.modals.seen[2].icon, QMessageBox::Warning);
    EXPECT_EQ(w.modals.seen[3].text, QString::fromStdString(odd) + "\nUnable to open file!");
    EXPECT_EQ(w.modals.seen[3].icon, QMessageBox::Critical);
    EXPECT_EQ(w.modals.seen[3].title, "Tonvale - HOW?");
    EXPECT_TRUE(w.modals.seen[3].plainText);
}

TEST(Window, RefusesEveryOtherCommandWhileALoadWaitsForItsQuestion) {
    const std::string undecided = TapeFile("undecided.cas", kUndecided);
    const std::string other = TapeFile("other.cas", kDemo);
    WindowUnderTest w;
    w.modals.Then(Meanwhile(
        [&](QDialog* question) {
            EXPECT_EQ(question->windowModality(), Qt::ApplicationModal);
            // Nothing that reaches the window now may replace the tape being analysed.
            w.Drop({other});
            for (ControlId id : {OpenNew, Save})
                QMetaObject::invokeMethod(w.window.Control(id), "click");
            w.window.close();
        },
        PressKey(Qt::Key_Return)));
    w.Drop({undecided});
    EXPECT_EQ(w.modals.seen.size(), 1u) << "the question alone";
    EXPECT_EQ(w.Rows(), RowsOf(Core(undecided).dlg));
    EXPECT_TRUE(w.window.isVisible());
}

struct PromptCase {
    const char* name;
    const Bytes* tape; // kUndecided asks for the level, kMixed for the format
    Answer answer;
    TapeFormat chosen;
};

class Prompt : public ::testing::TestWithParam<PromptCase> {};

TEST_P(Prompt, ShowsItsQuestionAndTheAnswerDecidesTheReportAndTheSound) {
    const PromptCase& c = GetParam();
    const std::string path = TapeFile("tape.cas", *c.tape);
    WindowUnderTest w;
    QStringList shown;
    w.modals.Then(Meanwhile(
        [&](QDialog* d) {
            for (QLabel* label : d->findChildren<QLabel*>())
                if (!label->text().isEmpty()) shown << label->text();
            for (QPushButton* button : d->findChildren<QPushButton*>())
                shown << (button->isDefault() ? "default " : "") + button->text();
        },
        c.answer));
    w.Drop({path});
    ASSERT_EQ(w.modals.seen.size(), 1u);
    EXPECT_EQ(w.modals.seen[0].title, "Tonvale - What format?");
    EXPECT_EQ(shown.join('|'),
              c.tape == &kUndecided
                  ? "Level 1 or 2 couldn't be determined\nPlease select the output "
                    "format:|default Level &2|Level &1"
                  : "Multiple \"files\" with different format\nTonvale can only do one at a "
                    "time.\nPlease select the output format:|default Level &2|Level &1|&Highspeed");
    const Core core(path, c.chosen);
    EXPECT_EQ(w.Rows(), RowsOf(core.dlg));
    EXPECT_TRUE(std::ranges::equal(w.window.Dialog().WavBytes(), core.dlg.WavBytes()));
}

const Answer kCloseBox = [](QDialog* d) { d->close(); };
INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, Prompt,
    ::testing::Values(
        PromptCase{"LevelEnter", &kUndecided, PressKey(Qt::Key_Return), TapeFormat::Level2},
        PromptCase{"LevelEscape", &kUndecided, PressKey(Qt::Key_Escape), TapeFormat::Level1},
        PromptCase{"LevelCloseBox", &kUndecided, kCloseBox, TapeFormat::Level2},
        PromptCase{"LevelKey1", &kUndecided, PressKey(Qt::Key_1), TapeFormat::Level1},
        PromptCase{"FormatEscape", &kMixed, PressKey(Qt::Key_Escape), TapeFormat::Highspeed},
        PromptCase{"FormatCloseBox", &kMixed, kCloseBox, TapeFormat::Level2},
        PromptCase{"FormatClick1", &kMixed, ClickButton("Level &1"), TapeFormat::Level1},
        PromptCase{"FormatAltH", &kMixed, PressKey(Qt::Key_H, Qt::AltModifier),
                   TapeFormat::Highspeed}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ReportView, TellsItemViewsOfEveryLoadConsistentlyAndAtOnce) {
    constexpr int kLines = 200'000;
    const std::string noise = TapeFile("noise.cas", TapeBuilder().Noise(16 * kLines).Build());
    const std::string demo = TapeFile("demo.cas", kDemo);
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
    EXPECT_EQ(last.data().toString(), Shown(w.window.Dialog().ReportLine(kLines)));
    // Rows of one height, as wide as the widest line, not selectable.
    const QFontMetrics metrics(view->font());
    EXPECT_EQ(view->visualRect(last).height(), metrics.height());
    const int widest = static_cast<int>(w.window.Dialog().Report().widestLine);
    EXPECT_EQ(last.data(Qt::SizeHintRole).toSize().width(),
              metrics.horizontalAdvance(' ') * widest + 4);
    EXPECT_FALSE(model.flags(last) & Qt::ItemIsSelectable);
    w.Drop({demo});
    EXPECT_EQ(w.Rows(), RowsOf(w.window.Dialog()));
}

// No TRS-80 font installed, or one made for the tests with either character map.
class ReportFont : public ::testing::TestWithParam<const char*> {};

TEST_P(ReportFont, KeepsEveryCellOneWidthAndShowsHighBytesOnlyInTheTrs80Font) {
    const std::string path = TapeFile("high.cas", TapeBuilder().Noise(256).Build());
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
        EXPECT_EQ(w.window.ChosenReportFont().symbolPage, file.contains("symbol"));
        // A cell of 18 pixels, 0.6 of an em of 15 wide; else the system's fixed font.
        EXPECT_EQ(id < 0 ? font : QFont(),
                  id < 0 ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont());
        EXPECT_TRUE(id < 0 || (metrics.height() == 18 && metrics.horizontalAdvance(' ') == 9));
        const QRawFont raw = QRawFont::fromFont(font);
        bool high = false;
        for (const QString& row : w.Rows())
            for (QChar c : row) {
                high |= (c.unicode() & 0xFF) >= 0x80;
                EXPECT_TRUE(id < 0 || raw.supportsCharacter(c)) << std::hex << int{c.unicode()};
            }
        EXPECT_EQ(high, id >= 0) << "without it they show as dots";
    }
    QFontDatabase::removeApplicationFont(id);
}

INSTANTIATE_TEST_SUITE_P(Fonts, ReportFont,
                         ::testing::Values("", "TRS-80-test.ttf", "TRS-80-test-symbol.ttf"));

TEST(Playback, FollowsTheSoundAndGoesIdleWhenTheDeviceGoesAwayAndPlaysAfreshOnceBack) {
    WindowUnderTest w;
    w.Drop({TapeFile("short.cas", ShortTape())});
    w.Click(Lnw);
    EXPECT_EQ(ReadLe32(w.window.Dialog().WavBytes().data() + kWavRateOffset), 44100u);
    auto playing = [&] {
        const bool locked =
            !w.window.Control(OpenNew)->isEnabled() && !w.window.Control(Lnw)->isEnabled();
        EXPECT_EQ(locked, w.Text(Play) == "&Stop");
        return locked;
    };
    QTest::keyClick(w.window.ReportView(), Qt::Key_Return); // Enter off a button plays
    EXPECT_TRUE(playing());
    const int step = static_cast<int>(w.window.Dialog().PlayMillis() / 2 / 50);
    QTimer* timer = w.window.Platform().Timer(1);
    EXPECT_EQ(timer->interval(), step);
    auto* bar = static_cast<QProgressBar*>(w.window.Control(Progress));
    EXPECT_EQ(bar->maximum(), step * 50);
    QSignalSpy ticks(timer, &QTimer::timeout);
    ASSERT_TRUE(ticks.wait());
    EXPECT_EQ(bar->value(), step);
    w.Click(Play); // Stop: idle at the next tick
    ASSERT_TRUE(ticks.wait());
    EXPECT_FALSE(playing());
    EXPECT_EQ(bar->value(), 0);

    w.Click(Play);
    SetSinkPresent(false);
    const bool told = QTest::qWaitFor([&] { return !w.modals.seen.empty(); });
    SetSinkPresent(true);
    ASSERT_TRUE(told);
    EXPECT_EQ(w.modals.seen[0].text, "Audio device problem on PlaySound");
    EXPECT_FALSE(playing());
    EXPECT_FALSE(timer->isActive());
    w.Click(Play);
    EXPECT_TRUE(playing());
    EXPECT_EQ(w.modals.seen.size(), 1u) << "the sound started afresh";
}

TEST(SaveCommands, ProposeTheTapesNameAndWriteWhatTheDialogHolds) {
    const std::string path = TapeFile("DEMO.Cas", kDemo);
    const QString dir = QFileInfo(QString::fromStdString(path)).path();
    WindowUnderTest w;
    w.Drop({path});
    QStringList text, sound;
    w.modals.Then(Choose(path + ".txt", &text)).Then(Choose(path + ".wav", &sound));
    w.Click(Save);
    w.Click(SaveWav);
    EXPECT_EQ(text.mid(0, 3).join('|'), "text file (*.txt)|any file (*.*)|" + dir + "/DEMO.txt");
    EXPECT_EQ(sound.mid(0, 3).join('|'), "wave file (*.wav)|any file (*.*)|" + dir + "/DEMO.wav");
    EXPECT_EQ(ReadFile(path + ".txt"), w.window.Dialog().ComposeReportText());
    EXPECT_TRUE(std::ranges::equal(ReadFile(path + ".wav"), w.window.Dialog().WavBytes()));
}

struct StartCase {
    const char* name;
    std::vector<std::string> arguments; // "TAPE" is the tape's path
    const char* tapeName;
    const Bytes* tape; // kUndecided: a question comes up over the window
    int status;
    const char* title; // once the open is done; empty when the program ended with it
};

class CommandLine : public ::testing::TestWithParam<StartCase> {};

TEST_P(CommandLine, OpensTheTapeOnceTheWindowIsOnScreen) {
    const StartCase& c = GetParam();
    std::vector<std::string> arguments = {"tonvale"};
    for (const std::string& a : c.arguments)
        arguments.push_back(a == "TAPE" ? TapeFile(c.tapeName, *c.tape) : a + "");
    if (c.status != 0) arguments.back() += "-missing*";
    ModalAnswerer modals;
    bool overTheWindow = false;
    modals.Then(Meanwhile(
        [&](QDialog* d) { overTheWindow = d->parentWidget()->windowHandle()->isExposed(); },
        PressKey(Qt::Key_Return)));
    QString title;
    QTimer look; // once the open is done: what the window shows, then close it
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<CTonvaleWindow*>(top);
                window && window->isVisible() && !window->Busy() &&
                window->windowTitle() != "Tonvale 2") {
                title = window->windowTitle();
                EXPECT_EQ(RowsOf(window->Dialog()), RowsOf(Core(window->Dialog().Path()).dlg));
                window->close();
            }
    });
    look.start(10);
    EXPECT_EQ(RunTonvale(arguments), c.status);
    EXPECT_EQ(title, QString::fromUtf8(c.title));
    const bool asks = c.tape == &kUndecided || c.status != 0;
    ASSERT_EQ(modals.seen.size(), asks ? 1u : 0u);
    EXPECT_EQ(overTheWindow, asks);
    if (c.status != 0) {
        EXPECT_EQ(modals.seen[0].text,
                  "Error opening file\n" + QString::fromStdString(arguments.back()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    ::testing::Values(
        StartCase{"PathWithSpaces", {"TAPE"}, "my demo.cas", &kDemo, 0, "Tonvale 2 - my demo.cas"},
        StartCase{"NameNotUtf8", {"TAPE"}, "sp\xE9l.cas", &kDemo, 0, "Tonvale 2 - sp\u00e9l.cas"},
        StartCase{"AfterDoubleDash", {"--", "TAPE"}, "-.cas", &kDemo, 0, "Tonvale 2 - -.cas"},
        StartCase{"AskingALevel", {"TAPE"}, "u.cas", &kUndecided, 0, "Tonvale 2 - u.cas"},
        StartCase{"NotFound", {"TAPE"}, "demo.cas", &kDemo, 1, ""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(CommandLine, AnswersHelpAndVersionWithoutADisplay) {
    for (const char* option : {"--help", "--version"}) {
        QProcess tonvale;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "no-such-platform");
        tonvale.setProcessEnvironment(environment);
        tonvale.start(TONVALE_WINDOW, {option});
        ASSERT_TRUE(tonvale.waitForFinished(60000));
        EXPECT_EQ(tonvale.exitCode(), 0) << option;
        EXPECT_TRUE(tonvale.readAllStandardOutput().startsWith(
            option[2] == 'h' ? "Usage: tonvale [TAPE]\n" : "tonvale " TONVALE_VERSION "\n"));
    }
}

} // namespace
} // namespace tonvale::test
