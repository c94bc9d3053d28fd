#pragma once
// Driving the real window in the tests: a person's answers to the modal dialogs a command
// opens, the file dialogs answered through the platform's test hook, tapes written to real
// files, and the window's controls read back as a person would see them.
#include "app/TonvaleDlg.h"
#include "platform/qt/window/QtPlatform.h"
#include "platform/qt/window/TonvaleWindow.h"

#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tonvale::test {

// Answers the modal dialogs that open while a command runs, in order, as they appear on
// screen; a dialog nobody expected is recorded and closed so no test hangs on it.
class ModalAnswerer : public QObject {
    Q_OBJECT
  public:
    using Answer = std::function<void(QDialog*)>;
    struct Seen {
        QString className;
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::TextFormat textFormat = Qt::AutoText;
        bool applicationModal = false;
        bool expected = true;
    };

    ModalAnswerer();
    ~ModalAnswerer() override;
    ModalAnswerer& Then(Answer answer);
    int Unexpected() const;

    std::vector<Seen> seen;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::deque<Answer> m_answers;
};

// Answers: a key pressed where the focus is (Enter, Escape, a mnemonic), a click on the
// button with that text, the close box. Each may first look around (`meanwhile`) while the
// dialog is still up.
ModalAnswerer::Answer PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
ModalAnswerer::Answer ClickButton(const QString& text);
ModalAnswerer::Answer CloseBox();
ModalAnswerer::Answer Meanwhile(std::function<void()> look, ModalAnswerer::Answer answer);

// The window on screen, with its file dialogs answered from `fileAnswers`.
class WindowUnderTest {
  public:
    WindowUnderTest();
    ~WindowUnderTest();

    CTonvaleWindow& Window() { return *m_window; }
    CTonvaleDlg& Dialog() { return m_window->Dialog(); }

    // What the controls show.
    QString Title() const;
    QString Text(ControlId id) const;
    bool Enabled(ControlId id) const;
    bool Checked(ControlId id) const;
    int Rows() const;
    QString Row(int row) const;
    std::vector<QString> AllRows() const;

    // A person at the window.
    void Click(ControlId id);
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Drop(const std::vector<std::string>& paths);
    // "&Open new" with the file dialog answered by `path`.
    void OpenThroughDialog(const std::string& path);

    ModalAnswerer modals;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<QtPlatform::FileDialogRequest> fileRequests;

  private:
    std::unique_ptr<CTonvaleWindow> m_window;
};

// A fresh directory of the running test's own, so tests may run side by side.
std::string TestDir();
// A tape image written into a directory.
std::string TapeFile(const std::string& directory, const std::string& name, ByteView image);

// The core on its own, the reference the window's saved files are compared with: the same
// tape through the headless platform.
struct CoreOutput {
    std::vector<QString> rows;
    QString fileLine;
    QString durationLine;
    QString summaryLine;
    Bytes reportText;
    Bytes wavImage;
};
CoreOutput CoreOutputFor(const std::string& path, bool lnw = false,
                         TapeFormat answer = TapeFormat::Level2);

// The text of a byte string as the window shows it (Latin-1).
QString Shown(std::string_view text);

} // namespace tonvale::test
