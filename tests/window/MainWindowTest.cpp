// The main window as a person meets it: the controls at start, the open chain from "&Open
// new" and from drops, the messages, and commands refused while a load waits for an answer.
#include "WindowDriver.h"

#include "builder/Level2BasicBuilder.h"
#include "builder/SampleTapes.h"
#include "builder/TapeBuilder.h"
#include "platform/qt/window/AboutDlg.h"

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QWindow>

#include <filesystem>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

const QString kNoData = QStringLiteral("<no data>");

// A tape file whose first bytes say neither Level 1 nor Level 2: the load asks.
Bytes UndecidedTape() {
    return TapeBuilder().Level2File(ToBytes("JUST SOME BYTES NO DECODER KNOWS")).Build();
}

Bytes DemoTape() {
    return TapeBuilder().Level2File(DemoBasicProgram()).Build();
}

Bytes OtherTape() {
    return TapeBuilder().Level2File(Level2Basic('B').Line(10, "PRINT \"OTHER\"").Build()).Build();
}

TEST(MainWindow, StartsIdleWithThePlaceholderAndEveryControlOfTheTemplate) {
    WindowUnderTest w;
    EXPECT_EQ(w.Title(), "Tonvale 2");
    EXPECT_EQ(w.AllRows(), std::vector<QString>{kNoData});
    EXPECT_EQ(w.Text(ControlId::OpenNew), "&Open new");
    EXPECT_EQ(w.Text(ControlId::Play), "&Play");
    EXPECT_EQ(w.Text(ControlId::Exit), "&Exit");
    EXPECT_EQ(w.Text(ControlId::Save), "&Save");
    EXPECT_EQ(w.Text(ControlId::SaveWav), "Save &Wav");
    EXPECT_EQ(w.Text(ControlId::About), "&About");
    EXPECT_EQ(w.Text(ControlId::Autoplay), "&Autoplay");
    EXPECT_EQ(w.Text(ControlId::Lnw), "&LNW 1kHz");
    for (ControlId line : {ControlId::FileLine, ControlId::DurationLine, ControlId::SummaryLine})
        EXPECT_EQ(w.Text(line), "");
    for (ControlId id : {ControlId::OpenNew, ControlId::Play, ControlId::Exit, ControlId::Save,
                         ControlId::SaveWav, ControlId::About, ControlId::Autoplay, ControlId::Lnw})
        EXPECT_TRUE(w.Enabled(id));
    EXPECT_FALSE(w.Checked(ControlId::Autoplay));
    EXPECT_FALSE(w.Checked(ControlId::Lnw));
    EXPECT_EQ(static_cast<QProgressBar*>(w.Window().Control(ControlId::Progress))->value(), 0);

    bool machinesLabel = false;
    for (QLabel* label : w.Window().findChildren<QLabel*>())
        machinesLabel |= label->text() == "TRS-80 I/III/4";
    EXPECT_TRUE(machinesLabel);
}

TEST(MainWindow, KeepsTheTemplatesArrangementAndGrowsTheReportWithTheWindow) {
    WindowUnderTest w;
    auto at = [&](ControlId id) { return w.Window().Control(id)->geometry(); };
    auto check = [&] {
        const QRect report = at(ControlId::Report);
        // The report on top, the check boxes and "&About" in one row under it.
        for (ControlId id : {ControlId::Autoplay, ControlId::Lnw, ControlId::About})
            EXPECT_GT(at(id).top(), report.bottom());
        EXPECT_LT(at(ControlId::Autoplay).right(), at(ControlId::Lnw).left());
        // Left column: "&Open new" above "&Play"; the three status lines between the columns,
        // in order; right column: "&About", "&Save", "Save &Wav", then "&Exit" at the bottom.
        EXPECT_LT(at(ControlId::OpenNew).bottom(), at(ControlId::Play).top());
        EXPECT_LT(at(ControlId::FileLine).top(), at(ControlId::DurationLine).top());
        EXPECT_LT(at(ControlId::DurationLine).top(), at(ControlId::SummaryLine).top());
        EXPECT_LT(at(ControlId::Play).right(), at(ControlId::FileLine).left());
        EXPECT_LT(at(ControlId::FileLine).right(), at(ControlId::Save).left());
        EXPECT_LT(at(ControlId::About).bottom(), at(ControlId::Save).top());
        EXPECT_LT(at(ControlId::Save).bottom(), at(ControlId::SaveWav).top());
        EXPECT_LT(at(ControlId::SaveWav).bottom(), at(ControlId::Exit).top());
        // The progress bar beside "&Exit", under everything else.
        EXPECT_LT(at(ControlId::Progress).right(), at(ControlId::Exit).left());
        EXPECT_GT(at(ControlId::Progress).top(), at(ControlId::Play).bottom());
        // Right edges line up: the report with the right column.
        EXPECT_NEAR(report.right(), at(ControlId::Exit).right(), 2);
    };
    check();
    const QRect report = at(ControlId::Report);
    const QSize button = at(ControlId::Save).size();

    w.Window().resize(w.Window().width() + 300, w.Window().height() + 200);
    QApplication::processEvents();
    check();
    EXPECT_EQ(at(ControlId::Report).size(), report.size() + QSize(300, 200));
    EXPECT_EQ(at(ControlId::Save).size(), button);
    EXPECT_NEAR(at(ControlId::Exit).right(), w.Window().width() - 1, 20);
    EXPECT_NEAR(at(ControlId::Exit).bottom(), w.Window().height() - 1, 20);
}

TEST(MainWindow, OpensATapeChosenInTheOpenDialogAndShowsItsReport) {
    const std::string dir = TestDir();
    const std::string path = TapeFile(dir, "demo.cas", DemoTape());
    WindowUnderTest w;
    w.OpenThroughDialog(path);

    ASSERT_EQ(w.fileRequests.size(), 1u);
    const QtPlatform::FileDialogRequest& asked = w.fileRequests.front();
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.title, "Open (*.CAS)");
    EXPECT_EQ(asked.defaultExtension, "CAS");
    ASSERT_EQ(asked.filters.size(), 2u);
    EXPECT_EQ(asked.filters[0].label, "Cassette file (*.cas)");
    EXPECT_EQ(asked.filters[0].pattern, "*.CAS");
    EXPECT_EQ(asked.filters[1].label, "All files (*.*)");
    EXPECT_EQ(asked.filters[1].pattern, "*.*");

    const CoreOutput core = CoreOutputFor(path);
    EXPECT_EQ(w.Title(), "Tonvale 2 - demo.cas");
    EXPECT_EQ(w.AllRows(), core.rows);
    EXPECT_EQ(w.Text(ControlId::FileLine), core.fileLine);
    EXPECT_EQ(w.Text(ControlId::DurationLine), core.durationLine);
    EXPECT_EQ(w.Text(ControlId::SummaryLine), core.summaryLine);
    EXPECT_TRUE(w.Text(ControlId::SummaryLine).startsWith("Files:"));
    EXPECT_FALSE(w.Text(ControlId::DurationLine).isEmpty());
    EXPECT_EQ(w.modals.Unexpected(), 0);
}

TEST(MainWindow, LeavesEverythingAsItWasWhenTheOpenDialogIsCancelled) {
    const std::string path = TapeFile(TestDir(), "demo.cas", DemoTape());
    WindowUnderTest w;
    w.OpenThroughDialog(path);
    const std::vector<QString> rows = w.AllRows();
    w.fileAnswers.push_back(std::nullopt);
    w.Click(ControlId::OpenNew);
    EXPECT_EQ(w.Title(), "Tonvale 2 - demo.cas");
    EXPECT_EQ(w.AllRows(), rows);
}

TEST(MainWindow, OpensOneDroppedFileAndRefusesTwo) {
    const std::string dir = TestDir();
    const std::string demo = TapeFile(dir, "demo.cas", DemoTape());
    const std::string other = TapeFile(dir, "other.cas", OtherTape());
    WindowUnderTest w;

    w.Drop({demo});
    EXPECT_EQ(w.Title(), "Tonvale 2 - demo.cas");
    const std::vector<QString> rows = w.AllRows();
    EXPECT_EQ(rows, CoreOutputFor(demo).rows);

    w.modals.Then(PressKey(Qt::Key_Return));
    w.Drop({demo, other});
    ASSERT_EQ(w.modals.seen.size(), 1u);
    EXPECT_EQ(w.modals.seen[0].text, "Tonvale can accept\nonly one file at a time");
    EXPECT_EQ(w.modals.seen[0].title, "Tonvale - HOW?");
    EXPECT_EQ(w.modals.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(w.Title(), "Tonvale 2 - demo.cas");
    EXPECT_EQ(w.AllRows(), rows);
}

TEST(MainWindow, RefusesEveryOtherCommandWhileALoadWaitsForItsQuestion) {
    const std::string dir = TestDir();
    const std::string undecided = TapeFile(dir, "undecided.cas", UndecidedTape());
    const std::string other = TapeFile(dir, "other.cas", OtherTape());
    WindowUnderTest w;

    bool busyMeanwhile = false;
    w.modals.Then(Meanwhile(
        [&] {
            busyMeanwhile = w.Window().Busy();
            // Whatever reaches the window now must not replace the tape being analysed.
            w.Drop({other});
            w.fileAnswers.push_back(other);
            w.Window().Control(ControlId::OpenNew)->setFocus();
            QMetaObject::invokeMethod(w.Window().Control(ControlId::OpenNew), "click");
            QMetaObject::invokeMethod(w.Window().Control(ControlId::Save), "click");
            w.Window().close();
        },
        PressKey(Qt::Key_Return)));
    w.Drop({undecided});

    EXPECT_TRUE(busyMeanwhile);
    ASSERT_EQ(w.modals.seen.size(), 1u) << "only the question itself";
    EXPECT_EQ(w.modals.seen[0].className, "tonvale::CLevelChoiceDlg");
    EXPECT_TRUE(w.modals.seen[0].applicationModal);
    EXPECT_EQ(w.Title(), "Tonvale 2 - undecided.cas");
    EXPECT_EQ(w.AllRows(), CoreOutputFor(undecided).rows);
    EXPECT_EQ(w.fileAnswers.size(), 1u) << "the open dialog was never shown";
    EXPECT_TRUE(w.Window().isVisible());
    EXPECT_FALSE(w.Window().Busy());
}

TEST(MainWindow, TreatsADroppedOrChosenPathTooLongToHoldAsAFileThatCannotBeOpened) {
    const std::string dir = TestDir();
    const std::string demo = TapeFile(dir, "demo.cas", DemoTape());
    // A real file whose path is longer than a path buffer holds.
    std::string deep = dir;
    while (deep.size() <= kMaxPath)
        deep += "/" + std::string(60, 'd');
    std::filesystem::create_directories(deep);
    const std::string longPath = TapeFile(deep, "demo.cas", DemoTape());

    WindowUnderTest w;
    w.Drop({demo});
    const std::vector<QString> rows = w.AllRows();

    w.modals.Then(PressKey(Qt::Key_Return)).Then(PressKey(Qt::Key_Return));
    w.Drop({longPath});
    w.OpenThroughDialog(longPath);
    ASSERT_EQ(w.modals.seen.size(), 2u);
    for (const ModalAnswerer::Seen& seen : w.modals.seen) {
        EXPECT_TRUE(seen.text.endsWith("\nUnable to open file!"));
        EXPECT_EQ(seen.title, "Tonvale - HOW?");
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
    }
    EXPECT_EQ(w.Title(), "Tonvale 2 - demo.cas");
    EXPECT_EQ(w.AllRows(), rows);
    EXPECT_EQ(w.Dialog().m_path, demo);
}

TEST(MainWindow, ShowsFileNamesLiterallyInTheTitleAndInMessages) {
    const std::string dir = TestDir();
    const std::string odd = TapeFile(dir, "a[*]b <b>&c.cas", DemoTape());
    WindowUnderTest w;
    w.Drop({odd});
    EXPECT_EQ(w.Window().windowHandle()->title(), "Tonvale 2 - a[*]b <b>&c.cas");

    std::filesystem::remove(odd);
    w.modals.Then(PressKey(Qt::Key_Return));
    w.Drop({odd});
    ASSERT_EQ(w.modals.seen.size(), 1u);
    EXPECT_EQ(w.modals.seen[0].text, QString::fromStdString(odd) + "\nUnable to open file!");
    EXPECT_EQ(w.modals.seen[0].textFormat, Qt::PlainText);
}

TEST(MainWindow, ClosesWithEscapeAndWithExit) {
    {
        WindowUnderTest w;
        w.Key(Qt::Key_Escape);
        EXPECT_FALSE(w.Window().isVisible());
    }
    {
        WindowUnderTest w;
        w.Click(ControlId::Exit);
        EXPECT_FALSE(w.Window().isVisible());
    }
}

TEST(MainWindow, ShowsTheAboutBoxUntilItsOkButton) {
    WindowUnderTest w;
    QStringList lines;
    bool icon = false;
    w.modals.Then(Meanwhile(
        [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (qobject_cast<CAboutDlg*>(top) && top->isVisible())
                    for (QLabel* label : top->findChildren<QLabel*>()) {
                        lines.push_back(label->text());
                        icon |= !label->pixmap().isNull();
                    }
            }
        },
        ClickButton("OK")));
    w.Click(ControlId::About);
    ASSERT_EQ(w.modals.seen.size(), 1u);
    EXPECT_EQ(w.modals.seen[0].title, "About Tonvale");
    EXPECT_TRUE(lines.contains("Tonvale Version 2.0"));
    EXPECT_TRUE(lines.contains("Connect the TRS-80 'Ear' input to PC headphone output"));
    EXPECT_TRUE(icon);
    EXPECT_TRUE(w.Window().isVisible());
}

TEST(MainWindow, SaysWhatIsMissingWhenSavingBeforeAnythingIsLoaded) {
    WindowUnderTest w;
    w.modals.Then(PressKey(Qt::Key_Return)).Then(PressKey(Qt::Key_Return));
    w.Click(ControlId::Save);
    w.Click(ControlId::SaveWav);
    ASSERT_EQ(w.modals.seen.size(), 2u);
    EXPECT_EQ(w.modals.seen[0].text, "There is no CAS loaded yet");
    EXPECT_EQ(w.modals.seen[1].text, "There is no WAV present");
    for (const ModalAnswerer::Seen& seen : w.modals.seen) {
        EXPECT_EQ(seen.title, "Tonvale - WHAT!");
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
    }
    EXPECT_TRUE(w.fileRequests.empty());
}

} // namespace
} // namespace tonvale::test
