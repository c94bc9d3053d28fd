// The program as started from a shell or a file manager: one argument, found by a directory
// search, opened once the window is on screen; exit status 1 when it names no file.
#include "WindowDriver.h"

#include "builder/SampleTapes.h"
#include "builder/TapeBuilder.h"
#include "platform/qt/window/RunTonvale.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QListView>

#include <filesystem>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

Bytes DemoTape() {
    return TapeBuilder().Level2File(DemoBasicProgram()).Build();
}

// What the window showed once its command-line open was done.
struct Outcome {
    int status = -1;
    bool looked = false;
    QString title;
    std::vector<QString> rows;
    std::string path;
};

// Runs the program with this argument. Once the window has handled all that was posted before
// (its command-line open among it), `look` runs and the window is closed.
Outcome StartWith(
    const std::string& argument,
    std::function<void(CTonvaleWindow&)> look = [](CTonvaleWindow&) {}) {
    Outcome outcome;
    // What is still posted when the program has ended goes with this.
    QObject lookout;
    std::function<void()> inspect = [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<CTonvaleWindow*>(top);
            if (!window || !window->isVisible()) continue;
            if (window->Busy()) {
                // A message of the open is still up: look once it is answered.
                QMetaObject::invokeMethod(&lookout, inspect, Qt::QueuedConnection);
                return;
            }
            outcome.looked = true;
            outcome.title = window->windowTitle();
            const QAbstractItemModel* model = window->ReportView()->model();
            for (int row = 0; row < model->rowCount(); ++row)
                outcome.rows.push_back(model->data(model->index(row, 0)).toString());
            outcome.path = window->Dialog().m_path;
            look(*window);
            window->close();
        }
    };
    QMetaObject::invokeMethod(
        &lookout, [&] { QMetaObject::invokeMethod(&lookout, inspect, Qt::QueuedConnection); },
        Qt::QueuedConnection);
    outcome.status = RunTonvale({"tonvale", argument});
    return outcome;
}

// The current directory, changed for as long as the object lives.
class InDirectory {
  public:
    explicit InDirectory(const std::string& dir) : m_previous(QDir::currentPath()) {
        QDir::setCurrent(QString::fromStdString(dir));
    }
    ~InDirectory() { QDir::setCurrent(m_previous); }

  private:
    QString m_previous;
};

// A directory path of about `length` characters inside `dir`.
std::string DeepDirectory(std::string dir, std::size_t length) {
    while (dir.size() + 1 < length)
        dir += "/" + std::string(std::min<std::size_t>(60, length - dir.size() - 1), 'd');
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(CommandLine, OpensAnArgumentWhosePathHasSpaces) {
    const std::string dir = TestDir() + "/with spaces";
    std::filesystem::create_directories(dir);
    const std::string path = TapeFile(dir, "my demo.cas", DemoTape());
    const Outcome outcome = StartWith(path);
    EXPECT_EQ(outcome.status, 0);
    ASSERT_TRUE(outcome.looked);
    EXPECT_EQ(outcome.title, "Tonvale 2 - my demo.cas");
    EXPECT_EQ(outcome.path, path);
    EXPECT_EQ(outcome.rows, CoreOutputFor(path).rows);
}

TEST(CommandLine, OpensAnArgumentWhoseNameIsNotUtf8ByteForByte) {
    const std::string dir = TestDir();
    const std::string path = TapeFile(dir, "sp\xE9l.cas", DemoTape()); // Latin-1 e acute
    const Outcome outcome = StartWith(path);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.path, path);
    EXPECT_EQ(outcome.title, QString::fromUtf8("Tonvale 2 - sp\u00e9l.cas"));
}

TEST(CommandLine, OpensTheFirstFileAWildcardMatches) {
    const std::string dir = TestDir();
    TapeFile(dir, "b.cas", DemoTape());
    TapeFile(dir, "a.cas", DemoTape());
    TapeFile(dir, "0.txt", DemoTape());
    const Outcome outcome = StartWith(dir + "/*.cas");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.title, "Tonvale 2 - a.cas");
    EXPECT_EQ(outcome.path, dir + "/a.cas");
}

TEST(CommandLine, OpensAnArgumentWithoutADirectoryFromTheCurrentOne) {
    const std::string dir = TestDir();
    TapeFile(dir, "demo.cas", DemoTape());
    InDirectory here(dir);
    const Outcome outcome = StartWith("demo.cas");
    EXPECT_EQ(outcome.title, "Tonvale 2 - demo.cas");
    EXPECT_EQ(outcome.path, "demo.cas");
}

TEST(CommandLine, ProposesSaveNamesForAPathShorterThanItsExtension) {
    const std::string dir = TestDir();
    TapeFile(dir, "ab", DemoTape());
    InDirectory here(dir);
    std::vector<std::string> proposed;
    QtPlatform::SetFileDialogHook([&](const QtPlatform::FileDialogRequest& request) {
        proposed.push_back(request.proposedName);
        return std::optional<std::string>();
    });
    StartWith("ab", [](CTonvaleWindow& window) {
        static_cast<QAbstractButton*>(window.Control(ControlId::Save))->click();
        static_cast<QAbstractButton*>(window.Control(ControlId::SaveWav))->click();
    });
    QtPlatform::SetFileDialogHook(nullptr);
    EXPECT_EQ(proposed, (std::vector<std::string>{"ab.txt", "ab.wav"}));
}

struct NotFoundCase {
    const char* name;
    std::function<std::string(const std::string& dir)> argument;
};

void PrintTo(const NotFoundCase& c, std::ostream* out) {
    *out << c.name;
}

class CommandLineNotFound : public ::testing::TestWithParam<NotFoundCase> {};

TEST_P(CommandLineNotFound, SaysSoAndEndsWithStatusOneWithoutAReport) {
    const std::string argument = GetParam().argument(TestDir());
    ModalAnswerer modals;
    std::vector<QString> rowsMeanwhile;
    modals.Then(Meanwhile(
        [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* window = qobject_cast<CTonvaleWindow*>(top))
                    rowsMeanwhile.push_back(
                        window->ReportView()->model()->index(0, 0).data().toString());
        },
        PressKey(Qt::Key_Return)));
    const Outcome outcome = StartWith(argument);

    EXPECT_EQ(outcome.status, 1);
    EXPECT_FALSE(outcome.looked) << "the window went with the message";
    ASSERT_EQ(modals.seen.size(), 1u);
    EXPECT_EQ(modals.seen[0].text, "Error opening file\n" + QString::fromStdString(argument));
    EXPECT_EQ(modals.seen[0].title, "Tonvale - WHAT?");
    EXPECT_EQ(modals.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(rowsMeanwhile, std::vector<QString>{"<no data>"});
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineNotFound,
    ::testing::Values(
        NotFoundCase{"NoMatch", [](const std::string& dir) { return dir + "/nothing*.cas"; }},
        NotFoundCase{"NoSuchFile", [](const std::string& dir) { return dir + "/missing.cas"; }},
        // Real files, but their paths are longer than a path buffer holds.
        NotFoundCase{"ArgumentTooLong",
                     [](const std::string& dir) {
                         return TapeFile(DeepDirectory(dir, kMaxPath), "demo.cas", DemoTape());
                     }},
        NotFoundCase{"DirectoryAndFoundNameTooLong",
                     [](const std::string& dir) {
                         const std::string deep = DeepDirectory(dir, kMaxPath - 8);
                         TapeFile(deep, "a-long-name.cas", DemoTape());
                         return deep + "/*.cas";
                     }}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace tonvale::test
