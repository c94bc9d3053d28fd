#pragma once
// Driving the real window: a person's answers to the modal dialogs a command opens, tapes in
// real files, and the window's controls read back as a person sees them.
#include "app/TonvaleDlg.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/qt/window/TonvaleWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QUrl>

#include <deque>
#include <functional>

#include <gtest/gtest.h>

namespace tonvale::test {

// Answers the modal dialogs that come up, in order; one nobody expected is recorded as such
// and closed, so no test hangs on it.
class ModalAnswerer : public QObject {
  public:
    using Answer = std::function<void(QDialog*)>;
    struct Seen {
        QString className, title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool plainText = false, applicationModal = false, expected = true;
    };
    ModalAnswerer() { qApp->installEventFilter(this); }
    ~ModalAnswerer() override { qApp->removeEventFilter(this); }
    ModalAnswerer& Then(Answer answer) {
        m_answers.push_back(std::move(answer));
        return *this;
    }
    std::vector<Seen> seen;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() != QEvent::Show || !dialog || !dialog->isModal()) return false;
        Seen s{dialog->metaObject()->className(), dialog->windowTitle(), {}};
        s.applicationModal = dialog->windowModality() == Qt::ApplicationModal;
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            s.text = box->text();
            s.icon = box->icon();
            s.plainText = box->textFormat() == Qt::PlainText;
        }
        s.expected = !m_answers.empty();
        Answer answer = s.expected ? m_answers.front() : [](QDialog* d) { d->reject(); };
        if (s.expected) m_answers.pop_front();
        seen.push_back(s);
        QPointer<QDialog> guarded(dialog);
        // The answer comes once the dialog's own event loop runs.
        QMetaObject::invokeMethod(
            dialog,
            [guarded, answer] {
                answer(guarded);
                if (!QTest::qWaitFor([&] { return !guarded || !guarded->isVisible(); })) {
                    ADD_FAILURE() << "the answer left " << guarded->windowTitle().toStdString();
                    guarded->reject();
                }
            },
            Qt::QueuedConnection);
        return false;
    }

  private:
    std::deque<Answer> m_answers;
};

// A key pressed where the dialog's focus is; keys reach it once it is the active window, which
// the offscreen platform leaves to the program.
inline ModalAnswerer::Answer PressKey(int key, Qt::KeyboardModifiers modifiers = {}) {
    return [key, modifiers](QDialog* dialog) {
        QApplication::setActiveWindow(dialog);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == dialog ? focus : dialog,
                        static_cast<Qt::Key>(key), modifiers);
    };
}
inline ModalAnswerer::Answer ClickButton(const QString& text) {
    return [text](QDialog* dialog) {
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
            if (button->text() == text) return QTest::mouseClick(button, Qt::LeftButton);
        ADD_FAILURE() << "no button " << text.toStdString();
    };
}
inline ModalAnswerer::Answer CloseBox() {
    return [](QDialog* dialog) { dialog->close(); };
}
inline ModalAnswerer::Answer Meanwhile(std::function<void(QDialog*)> look,
                                       ModalAnswerer::Answer then) {
    return [look, then](QDialog* dialog) {
        look(dialog);
        then(dialog);
    };
}

inline QString Shown(ByteView bytes) {
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
}

// The report lines a dialog holds, as the window must show them.
inline std::vector<QString> RowsOf(const CTonvaleDlg& dlg) {
    std::vector<QString> rows;
    for (std::size_t i = 0; i < dlg.ReportLineCount(); ++i)
        rows.push_back(Shown(dlg.ReportLine(i)));
    return rows;
}

// The core on its own, prompts answered with `answer`: what the window's dialog must hold.
struct Core {
    explicit Core(const std::string& path, TapeFormat answer = TapeFormat::Level2) {
        platform.levelAnswer = platform.formatAnswer = [answer] { return answer; };
        dlg.OnInitDialog();
        dlg.OpenTape(path);
    }
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
};

// A fresh directory of the running test's own.
inline std::string TestDir() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("window.") + test->test_suite_name() + "." + test->name();
    std::replace(name.begin(), name.end(), '/', '.');
    return TempDir(name);
}
inline std::string TapeFile(const std::string& dir, const std::string& name, ByteView image) {
    return WriteFile(dir + "/" + name, image);
}

// The window on screen.
struct WindowUnderTest {
    WindowUnderTest() {
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    CTonvaleDlg& Dialog() { return window.Dialog(); }
    QString Text(ControlId id) const {
        QWidget* control = window.Control(id);
        if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
        return static_cast<QAbstractButton*>(control)->text();
    }
    bool Enabled(ControlId id) const { return window.Control(id)->isEnabled(); }
    std::vector<QString> Rows() const {
        const QAbstractItemModel* model = window.ReportView()->model();
        std::vector<QString> rows;
        for (int i = 0; i < model->rowCount(); ++i)
            rows.push_back(model->index(i, 0).data().toString());
        return rows;
    }
    void Click(ControlId id) { QTest::mouseClick(window.Control(id), Qt::LeftButton); }
    void Drop(const std::vector<std::string>& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &enter);
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        if (enter.isAccepted()) QApplication::sendEvent(&window, &drop);
    }

    ModalAnswerer modals;
    CTonvaleWindow window;
};

} // namespace tonvale::test
