// The real window offscreen, against a real sound server: what it shows of its dialog, its
// file dialogs, prompts and messages, the report view and its font, playback, and the start
// from a command line.
#include "WindowDriver.h"

#include "audio/AudioTestSupport.h"
#include "builder/Damage.h"
#include "builder/SampleTapes.h"
#include "platform/qt/picture/TapePicture.h"
#include "platform/qt/window/LiveStrip.h"
#include "platform/qt/window/ReportModel.h"
#include "platform/qt/window/RunTonvale.h"
#include "platform/qt/window/TapeView.h"
#if TONVALE_RECORDING
#include "recording/RecordingFile.h"
#include "rescue/Rescue.h"
#endif
#include "tape/TapeImageWriter.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

#include <filesystem>
#include <numeric>

namespace tonvale::test {
namespace {

using enum ControlId;
constexpr TapeFormat kLevel2 = TapeFormat::Level2;
const Bytes kDemo = TapeImageWriter().File(kLevel2, DemoBasicProgram()).Image();
// Its first bytes say neither Level 1 nor Level 2: the load asks.
const Bytes kUndecided =
    TapeImageWriter().File(kLevel2, ToBytes("JUST SOME BYTES NOBODY KNOWS")).Image();
// A Level 2 and a Highspeed tape file: the sound can be only one, the load asks.
const Bytes kMixed = TapeImageWriter()
                         .File(kLevel2, DemoBasicProgram())
                         .File(TapeFormat::Highspeed, DemoBasicProgram())
                         .Image();

// A file dialog's answer: this file (none: cancel); meanwhile what it shows.
Answer Choose(const std::string& path, QStringList* shown = nullptr) {
    return [=](QDialog* dialog) {
        auto* files = static_cast<QFileDialog*>(dialog);
        if (shown)
            *shown = files->nameFilters() + files->selectedFiles() << files->directory().path();
        files->setDirectory(QFileInfo(QString::fromStdString(path)).path());
        files->selectFile(QFileInfo(QString::fromStdString(path)).fileName());
        path.empty() ? dialog->reject() : dialog->accept();
    };
}
// A look at a dialog's texts and buttons, the default one marked.
std::function<void(QDialog*)> Look(QStringList& texts) {
    return [&](QDialog* dialog) {
        for (QLabel* label : dialog->findChildren<QLabel*>())
            texts << (label->pixmap().isNull() ? label->text() : "icon");
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            texts << (button->isDefault() ? "*" : "") + button->text();
    };
}

TEST(Window, ShowsItsDialogsLinesAfterEachOpenNoneAfterAFailedOneAndSavesThem) {
    const std::string demo = TapeFile("demo.cas", kDemo), odd = TapeFile("a[*]b <b>&c.CAS", kDemo);
    WindowUnderTest w;
    EXPECT_EQ(w.window.windowTitle(), "Tonvale 2");
    EXPECT_EQ(Lines(w.window).join('|'), "<no data>|||");
    QStringList about, first, second, text, sound;
    for (QAbstractButton* button : w.window.findChildren<QAbstractButton*>())
        about << button->text();
    w.modals.Then(PressKey(Qt::Key_Return, {}, Look(about)));
    w.Click(About);
    EXPECT_EQ(about.join('|'),
              "&Open new|&Play|&Exit|&Record|&Autoplay|&Save|Save &Wav|Save &CAS|&About|"
              "&LNW 1kHz|&Tape view|icon|Tonvale Version 2.0|Plays TRS-80 I/III/4 cassettes "
              "through the sound card|Connect the TRS-80 'Ear' input to PC "
              "headphone output|*OK");
    w.modals.Then(Choose(demo, &first));
    w.Click(OpenNew);
    EXPECT_EQ(first.mid(0, 3).join('|'),
              "Cassette file (*.cas)|Recordings (*.wav *.flac *.aif *.aiff)|All files (*.*)");
    EXPECT_EQ(w.window.windowTitle(), "Tonvale 2 - demo.cas");
    EXPECT_EQ(Lines(w.window), Lines(w.window, false));
    w.Drop({odd});
    EXPECT_EQ(w.window.windowHandle()->title(), "Tonvale 2 - a[*]b <b>&c.CAS");
    const QStringList shown = Lines(w.window);
    EXPECT_EQ(shown, Lines(w.window, false));
    w.modals.Then(Choose("", &second)).Then(PressKey(Qt::Key_Return));
    w.Click(OpenNew);
    EXPECT_EQ(QDir(second.last()), QFileInfo(QString::fromStdString(odd)).dir()) << "its folder";
    w.Drop({demo, odd});
    EXPECT_EQ(Lines(w.window), shown);
    w.modals.Then(Choose(odd + ".txt", &text)).Then(Choose(odd + ".wav", &sound));
    w.Click(Save);
    w.Click(SaveWav);
    const QString named = QString::fromStdString(odd).chopped(4);
    EXPECT_EQ(text.mid(0, 3).join('|'), "text file (*.txt)|any file (*.*)|" + named + ".txt");
    EXPECT_EQ(sound.mid(0, 3).join('|'), "wave file (*.wav)|any file (*.*)|" + named + ".wav");
    EXPECT_EQ(ReadFile(odd + ".txt"), w.Dialog().ComposeReportText());
    EXPECT_TRUE(std::ranges::equal(ReadFile(odd + ".wav"), w.Dialog().WavBytes()));
    std::filesystem::remove(odd);
    w.Drop({odd});
    EXPECT_EQ(Lines(w.window).join('|'), "||");
    EXPECT_FALSE(w.window.Control(Play)->isEnabled());
    EXPECT_EQ(w.modals.seen.join('\n'),
              "About Tonvale\nOpen (*.CAS)\nOpen (*.CAS)\nTonvale - "
              "HOW?|Tonvale can accept\nonly one file at a time\nSave As\nSave As\n"
              "Tonvale - HOW?|" +
                  QString::fromStdString(odd) + "\nUnable to open file!|stop");
    QTest::keyClick(&w.window, Qt::Key_Escape);
    EXPECT_FALSE(w.window.isVisible());
}

#if TONVALE_RECORDING
// Record: the tape played into a sink of the test's own, recorded from its monitor; the tape
// files and the quality show as the sound comes, Stop saves the FLAC and the CAS beside it, and
// the window opens the recording, whose rescue is that tape. The tape view follows it meanwhile.
TEST(Window, RecordsFromTheChosenInputShowingTapeFilesAndQualityThenOpensTheRecording) {
    CaptureSink sink;
    ASSERT_TRUE(sink.Ready());
    const std::string dir = TempDir("window-record");
    const std::string wav = TapeFile("played.wav", BuildWavImage(kLevel2, kDemo).View());
    WindowUnderTest w;
    w.Drop({TapeFile("before.cas", kDemo)});
    QTest::mouseClick(Button(&w.window, "&Tape view"), Qt::LeftButton);
    CTapeView* view = w.window.TapeView();
    view->ShowStretch(0, 6); // the width the recording is followed at
    QStringList lines;
    QString quality;
    int loudest = 0;
    double stripFrom = -1, stripTo = 0, endedAt = 0, viewFrom = 0, viewTo = 0, newest = 0;
    std::vector<TimedTapeFile> shown;
    QImage during, overview;
    w.modals.Then([&](QDialog* record) {
        auto* inputs = record->findChild<QComboBox*>();
        EXPECT_EQ(inputs->itemText(0), "Default input");
        inputs->setCurrentIndex(inputs->findData(QStringLiteral("tape_in")));
        auto* list = record->findChild<QListWidget*>();
        auto* meter = record->findChild<QProgressBar*>();
        auto* strip = record->findChild<CLiveStrip*>();
        auto button = [record](const char* text) { return Button(record, text); };
        QTest::mouseClick(button("&Start"), Qt::LeftButton); // asks for the file's name
        ASSERT_TRUE(button("&Stop"));
        QProcess player;
        player.start("paplay", {"--device=capture_sink", QString::fromStdString(wav)});
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                loudest = std::max(loudest, meter->value());
                if (stripFrom < 0 && strip->Tape()->Seconds() > 0) stripFrom = strip->From();
                if (newest == 0 && strip->Tape()->Seconds() > 7 && view->Live() == strip->Tape()) {
                    viewFrom = view->From(), viewTo = view->To();
                    newest = strip->Tape()->Seconds();
                    during = view->OverviewStrip()->grab().toImage();
                }
                for (QLabel* label : record->findChildren<QLabel*>())
                    if (label->text().contains("cells sure")) quality = label->text();
                return player.state() == QProcess::NotRunning;
            },
            60000));
        QTest::qWait(1500); // the capture runs a little behind the sink
        // Pure silence does not end a tape file; Stop does.
        QTest::mouseClick(button("&Stop"), Qt::LeftButton);
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        stripTo = strip->To();
        shown = strip->Tape()->Timeline().Files();
        endedAt = strip->Tape()->Seconds();
        EXPECT_EQ(view->To(), endedAt);
        overview = view->OverviewStrip()->grab().toImage();
        QTest::mouseClick(button("&Close"), Qt::LeftButton);
    });
    w.modals.Then(Choose(dir + "/side-a.flac"));
    QTest::mouseClick(Button(&w.window, "&Record"), Qt::LeftButton);

    EXPECT_EQ(w.modals.seen.mid(0, 2).join('|'), "Record|Record to");
    EXPECT_GT(loudest, 80) << "the meter follows the pulses";
    EXPECT_TRUE(
        quality.contains(QRegularExpression("^Signal at .*: 100% of \\d+ cells sure, pulses")))
        << quality.toStdString();
    EXPECT_EQ(lines
                  .filter(QRegularExpression(
                      "^Tape file 1 ended at .*: Level 2 BASIC named 'T' ok \\(rescue: ok\\)$"))
                  .size(),
              1)
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines.back().toStdString(), "Tape saved as " + dir + "/side-a.cas");
    // The sound scrolled by up to its newest sample, and the tape file lies on it, ok.
    EXPECT_EQ(stripFrom, 0);
    EXPECT_EQ(stripTo, endedAt);
    EXPECT_GT(stripTo, 9) << "the whole tape went by";
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].verdict, Verdict::Ok);
    EXPECT_GT(shown[0].endSeconds, stripTo - CLiveStrip::kShownSeconds);
    // The window opened the recording: the rescue's tape is the one saved.
    EXPECT_TRUE(Lines(w.window).indexOf(QRegularExpression("^Rescue: 1 tape file in .*")) > 0);
    EXPECT_TRUE(w.window.Control(SaveCas)->isEnabled());
    std::string failure;
    const auto flac = RecordingFile::Open(dir + "/side-a.flac", Channel::Stronger, failure);
    ASSERT_TRUE(flac) << failure;
    const RescueResult rescued = RescueRecording(*flac);
    EXPECT_EQ(rescued.image, ReadFile(dir + "/side-a.cas"));
    EXPECT_EQ(shown[0].bytes, rescued.files.at(0).data.size());
    EXPECT_EQ(shown[0].startSeconds, rescued.files.at(0).byteSeconds.at(0));
    // The tape view scrolled with the sound at the width zoomed to; its overview showed the
    // tape file ended, ok, over the seconds recorded. Then it showed the recording opened.
    ASSERT_GT(newest, 0) << "the view followed the recording";
    EXPECT_EQ(viewTo, newest);
    EXPECT_NEAR(viewTo - viewFrom, 6, 1e-9);
    EXPECT_LT(qGray(during.pixel(static_cast<int>(viewFrom / newest * during.width()),
                                 during.height() / 2)),
              128)
        << "the stretch shown, outlined over the seconds recorded so far";
    const double quarter =
        shown[0].startSeconds + (shown[0].endSeconds - shown[0].startSeconds) / 4;
    EXPECT_EQ(overview.pixelColor(static_cast<int>(quarter / endedAt * overview.width()),
                                  overview.height() / 2),
              picture::kOk);
    EXPECT_EQ(view->Live(), nullptr);
    EXPECT_EQ(view->From(), 0);
    EXPECT_EQ(view->To(), w.Dialog().Timeline()->Seconds());
    EXPECT_EQ(w.Dialog().Timeline()->Files().at(0).startSeconds, shown[0].startSeconds);
}
#endif

TEST(Window, RefusesEveryOtherCommandWhileALoadWaitsForItsQuestion) {
    WindowUnderTest w;
    w.modals.Then(PressKey(Qt::Key_Return, {}, [&](QDialog* question) {
        EXPECT_EQ(question->windowModality(), Qt::ApplicationModal);
        // Nothing that reaches the window now may replace the tape being analysed.
        w.Drop({TapeFile("other.cas", kDemo)});
        for (ControlId id : {OpenNew, Save})
            QMetaObject::invokeMethod(w.window.Control(id), "click");
        w.window.close();
    }));
    w.Drop({TapeFile("undecided.cas", kUndecided)});
    EXPECT_EQ(w.modals.seen.join('\n'), "Tonvale - What format?") << "the question alone";
    EXPECT_EQ(w.window.windowTitle(), "Tonvale 2 - undecided.cas");
    EXPECT_EQ(Lines(w.window), Lines(w.window, false));
    EXPECT_TRUE(w.window.isVisible());
}

struct PromptCase {
    const char* name;
    const Bytes* tape; // kUndecided asks for the level, kMixed for the format
    Answer answer;
    TapeFormat chosen;
};
class Prompt : public ::testing::TestWithParam<PromptCase> {};

TEST_P(Prompt, ShowsItsQuestionAndTheAnswerDecidesTheSound) {
    const PromptCase& c = GetParam();
    WindowUnderTest w;
    QStringList shown;
    w.modals.Then([&](QDialog* dialog) { Look(shown)(dialog), c.answer(dialog); });
    w.Drop({TapeFile("tape.cas", *c.tape)});
    EXPECT_EQ(shown.join('|'),
              QString(c.tape == &kUndecided
                          ? "Level 1 or 2 couldn't be determined\nPlease select the output "
                            "format:|icon|*Level &2|Level &1"
                          : "Multiple \"files\" with different format\nTonvale can only do one "
                            "at a time.\nPlease select the output format:|icon|*Level &2|Level "
                            "&1|&Highspeed"));
    EXPECT_TRUE(std::ranges::equal(w.Dialog().WavBytes(), BuildWavImage(c.chosen, *c.tape).View()));
    EXPECT_EQ(Lines(w.window), Lines(w.window, false));
}

const Answer kCloseBox = [](QDialog* dialog) { dialog->close(); };
const Answer kClick1 = [](QDialog* dialog) { dialog->findChildren<QPushButton*>()[1]->click(); };
constexpr TapeFormat kL1 = TapeFormat::Level1, kL2 = TapeFormat::Level2,
                     kHs = TapeFormat::Highspeed;
INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, Prompt,
    ::testing::Values(PromptCase{"LevelEnter", &kUndecided, PressKey(Qt::Key_Return), kL2},
                      PromptCase{"LevelEscape", &kUndecided, PressKey(Qt::Key_Escape), kL1},
                      PromptCase{"LevelCloseBox", &kUndecided, kCloseBox, kL2},
                      PromptCase{"LevelKey1", &kUndecided, PressKey(Qt::Key_1), kL1},
                      PromptCase{"FormatEscape", &kMixed, PressKey(Qt::Key_Escape), kHs},
                      PromptCase{"FormatCloseBox", &kMixed, kCloseBox, kL2},
                      PromptCase{"FormatClick1", &kMixed, kClick1, kL1},
                      PromptCase{"FormatAltH", &kMixed, PressKey(Qt::Key_H, Qt::AltModifier), kHs}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ReportView, TellsItemViewsOfEveryLoadConsistentlyAndAtOnce) {
    constexpr int kLines = 200'000;
    WindowUnderTest w;
    CReportModel& model = w.window.ReportModel();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    w.Drop({TapeFile("noise.cas", Noise(16 * kLines))});
    // The description line and one dump line per 16 bytes, told in one go once emptied.
    ASSERT_EQ(model.rowCount(), kLines + 1);
    EXPECT_EQ(inserted.count() + reset.count(), 2);
    QListView* view = w.window.ReportView();
    view->scrollToBottom();
    QApplication::processEvents();
    const QModelIndex last = model.index(kLines, 0);
    EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(last)));
    EXPECT_EQ(last.data().toString(), Shown(w.Dialog().ReportLine(kLines)));
    // Rows of one height, as wide as the widest line, selectable one at a time for the tape view.
    const QFontMetrics metrics(view->font());
    EXPECT_EQ(view->visualRect(last).height(), metrics.height());
    EXPECT_EQ(last.data(Qt::SizeHintRole).toSize().width(),
              metrics.horizontalAdvance(' ') * int(w.Dialog().Report().widestLine) + 4);
    EXPECT_TRUE(model.flags(last) & Qt::ItemIsSelectable);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::SingleSelection);
    w.Drop({TapeFile("demo.cas", kDemo)});
    EXPECT_EQ(Lines(w.window), Lines(w.window, false));
}

// No TRS-80 font installed, or one made for the tests with either character map.
class ReportFont : public ::testing::TestWithParam<const char*> {};

TEST_P(ReportFont, KeepsEveryCellOneWidthAndShowsHighBytesOnlyInTheTrs80Font) {
    const QString file = GetParam();
    const int id =
        file.isEmpty() ? -1 : QFontDatabase::addApplicationFont(TONVALE_TEST_FONT_DIR "/" + file);
    {
        WindowUnderTest w;
        Bytes bytes(128); // every byte from 80h up, dumped as it stands
        std::iota(bytes.begin(), bytes.end(), Byte{0x80});
        w.Drop({TapeFile("high.cas", bytes)});
        const QFont font = w.window.ReportView()->font();
        const QFontMetrics metrics(font);
        for (QChar c : QStringLiteral("iW.#"))
            EXPECT_EQ(metrics.horizontalAdvance(c), metrics.horizontalAdvance(' '));
        EXPECT_EQ(w.window.ChosenReportFont().symbolPage, file.contains("symbol"));
        // A cell of 18 pixels, 0.6 of an em of 15 wide; else the system's fixed font.
        EXPECT_TRUE(id < 0 ? font == QFontDatabase::systemFont(QFontDatabase::FixedFont)
                           : metrics.height() == 18 && metrics.horizontalAdvance(' ') == 9);
        const QRawFont raw = QRawFont::fromFont(font);
        bool high = false;
        for (QChar c : Lines(w.window).join("")) {
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
    EXPECT_EQ(ReadLe32(w.Dialog().WavBytes().data() + kWavRateOffset), 44100u);
    auto playing = [&] {
        const bool locked =
            !w.window.Control(OpenNew)->isEnabled() && !w.window.Control(Lnw)->isEnabled();
        EXPECT_EQ(locked, Text(w.window, Play) == "&Stop");
        return locked;
    };
    QTest::keyClick(w.window.ReportView(), Qt::Key_Return); // Enter off a button plays
    EXPECT_TRUE(playing());
    const int step = static_cast<int>(w.Dialog().PlayMillis() / 2 / 50);
    QTimer* timer = w.window.Platform().Timer(1);
    auto* bar = static_cast<QProgressBar*>(w.window.Control(Progress));
    EXPECT_EQ(timer->interval(), step);
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
    EXPECT_EQ(w.modals.seen.join('\n'), "Tonvale - HOW?|Audio device problem on PlaySound|stop");
    EXPECT_FALSE(playing());
    EXPECT_FALSE(timer->isActive());
    w.Click(Play);
    EXPECT_TRUE(playing());
    EXPECT_EQ(w.modals.seen.size(), 1) << "the sound started afresh";
}

// Its folder is named after it too: the path passes 400 characters.
const std::string kLongName = std::string(200, 'e') + ".cas";
const std::string kLongTitle = "Tonvale 2 - " + kLongName;

struct StartCase {
    const char* name;
    bool doubleDash;
    const char* tapeName;
    const Bytes* tape; // kUndecided: a question comes up; nullptr: not found, a message does
    const char* title; // once the open is done
};
class CommandLine : public ::testing::TestWithParam<StartCase> {};

TEST_P(CommandLine, OpensTheTapeOnceTheWindowIsOnScreen) {
    const StartCase& c = GetParam();
    const std::string tape = c.tape ? TapeFile(c.tapeName, *c.tape) : TapeFile("x", {}) + "-none*";
    std::vector<std::string> arguments = {"tonvale", tape};
    if (c.doubleDash) arguments.insert(arguments.begin() + 1, "--");
    ModalAnswerer modals;
    modals.Then(PressKey(Qt::Key_Return, {}, [](QDialog* d) {
        EXPECT_TRUE(d->parentWidget()->windowHandle()->isExposed());
    }));
    QString title;
    QTimer look; // once the open is done: what the window shows, then close it
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<CTonvaleWindow*>(top);
                window && window->isVisible() && !window->Busy() &&
                window->windowTitle() != "Tonvale 2") {
                title = window->windowTitle();
                EXPECT_EQ(Lines(*window), Lines(*window, false));
                EXPECT_EQ(window->Dialog().Path(), tape);
                window->close();
            }
    });
    look.start(10);
    EXPECT_EQ(RunTonvale(arguments), c.tape ? 0 : 1);
    EXPECT_EQ(title, QString::fromUtf8(c.title));
    EXPECT_EQ(modals.seen.join('\n'),
              c.tape == &kDemo ? ""
              : c.tape         ? "Tonvale - What format?"
                       : "Tonvale - WHAT?|Error opening file\n" + QString::fromStdString(tape));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    ::testing::Values(
        StartCase{"NameWithQuotes", false, "my \"best\" tape.cas", &kDemo,
                  "Tonvale 2 - my \"best\" tape.cas"},
        StartCase{"NameWithApostrophe", false, "it's.cas", &kDemo, "Tonvale 2 - it's.cas"},
        StartCase{"NameNotAscii", false, "caf\u00e9.cas", &kDemo, "Tonvale 2 - caf\u00e9.cas"},
        StartCase{"PathOf400Characters", false, kLongName.c_str(), &kDemo, kLongTitle.c_str()},
        StartCase{"NameNotUtf8", false, "sp\xE9l.cas", &kDemo, "Tonvale 2 - sp\u00e9l.cas"},
        StartCase{"AfterDoubleDash", true, "-.cas", &kDemo, "Tonvale 2 - -.cas"},
        StartCase{"AskingALevel", false, "u.cas", &kUndecided, "Tonvale 2 - u.cas"},
        StartCase{"NotFound", false, "", nullptr, ""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(CommandLine, AnswersHelpAndVersionWithoutADisplay) {
    for (const char* option : {"--help", "--version"}) {
        QProcess tonvale;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "no-such-platform");
        tonvale.setProcessEnvironment(environment);
        tonvale.start(TONVALE_WINDOW, {option});
        EXPECT_TRUE(tonvale.waitForFinished(60000) && tonvale.exitCode() == 0) << option;
        EXPECT_TRUE(tonvale.readAllStandardOutput().startsWith(
            option[2] == 'h' ? "Usage: tonvale [TAPE]\n" : "tonvale " TONVALE_VERSION "\n"));
    }
}

} // namespace
} // namespace tonvale::test
