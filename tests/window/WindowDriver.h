#pragma once
// Driving the real window: a person's answers to the modal dialogs a command opens, tapes in
// real files, the window's controls read as a person sees them, and the core on its own.
#include "app/TonvaleDlg.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/qt/window/TonvaleWindow.h"

#include <QAbstractButton>
#include <QApplication>
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

using Answer = std::function<void(QDialog*)>;

// Answers the modal dialogs as they come up, in order; one nobody expected is closed.
struct ModalAnswerer : QObject {
    struct Seen {
        QString className, title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool plainText = false;
    };
    ModalAnswerer() { qApp->installEventFilter(this); }
    ModalAnswerer& Then(Answer answer) {
        answers.push_back(std::move(answer));
        return *this;
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() != QEvent::Show || !dialog || !dialog->isModal()) return false;
        auto* box = qobject_cast<QMessageBox*>(dialog);
        seen.push_back({dialog->metaObject()->className(), dialog->windowTitle(),
                        box ? box->text() : "", box ? box->icon() : QMessageBox::NoIcon,
                        box && box->textFormat() == Qt::PlainText});
        Answer answer =
            answers.empty() ? [](QDialog* d) { d->done(QDialog::Rejected); } : answers.front();
        if (!answers.empty()) answers.pop_front();
        // Once the dialog's own event loop runs.
        QMetaObject::invokeMethod(
            dialog, [d = QPointer(dialog), answer] { answer(d); }, Qt::QueuedConnection);
        return false;
    }
    std::deque<Answer> answers;
    std::vector<Seen> seen;
};

// Keys reach a dialog once it is the active window, which the offscreen platform leaves to
// the program.
inline Answer PressKey(int key, Qt::KeyboardModifiers modifiers = {}) {
    return [key, modifiers](QDialog* dialog) {
        QApplication::setActiveWindow(dialog);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == dialog ? focus : dialog,
                        static_cast<Qt::Key>(key), modifiers);
    };
}
inline Answer ClickButton(const QString& text) {
    return [text](QDialog* dialog) {
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
            if (button->text() == text) QTest::mouseClick(button, Qt::LeftButton);
    };
}
inline Answer Meanwhile(std::function<void(QDialog*)> look, Answer then) {
    return [look, then](QDialog* dialog) {
        look(dialog);
        then(dialog);
    };
}

inline QString Shown(ByteView bytes) {
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
}
// The report lines a dialog holds and its status lines, as the window must show them.
inline std::vector<QString> RowsOf(const CTonvaleDlg& dlg) {
    std::vector<QString> rows;
    for (std::size_t i = 0; i < dlg.ReportLineCount(); ++i)
        rows.push_back(Shown(dlg.ReportLine(i)));
    for (ControlId id : {ControlId::FileLine, ControlId::DurationLine, ControlId::SummaryLine})
        rows.push_back("status: " + Shown(dlg.ControlText(id)));
    return rows;
}

// The core on its own, prompts answered with `answer`.
struct Core {
    explicit Core(const std::string& path, TapeFormat answer = TapeFormat::Level2) {
        platform.levelAnswer = platform.formatAnswer = [answer] { return answer; };
        dlg.OnInitDialog();
        dlg.OpenTape(path);
    }
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
};

// A tape in a fresh directory of its own (with a space in its path).
inline std::string TapeFile(const std::string& name, ByteView image) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string dir = std::string("window.") + test->test_suite_name() + "." + test->name();
    std::replace(dir.begin(), dir.end(), '/', '.');
    return WriteFile(TempDir(dir + "/tape " + name) + "/" + name, image);
}

// The window on screen.
struct WindowUnderTest {
    WindowUnderTest() { window.show(); }
    QString Text(ControlId id) const {
        QWidget* control = window.Control(id);
        auto* label = qobject_cast<QLabel*>(control);
        return label ? label->text() : static_cast<QAbstractButton*>(control)->text();
    }
    // The report's rows, then the status lines.
    std::vector<QString> Rows() const {
        const QAbstractItemModel* model = window.ReportView()->model();
        std::vector<QString> rows;
        for (int i = 0; i < model->rowCount(); ++i)
            rows.push_back(model->index(i, 0).data().toString());
        for (ControlId id : {ControlId::FileLine, ControlId::DurationLine, ControlId::SummaryLine})
            rows.push_back("status: " + Text(id));
        return rows;
    }
    void Click(ControlId id) { QTest::mouseClick(window.Control(id), Qt::LeftButton); }
    void Drop(const std::vector<std::string>& paths) {
        QMimeData mime;
        for (const std::string& path : paths)
            mime.setUrls(mime.urls() << QUrl::fromLocalFile(QString::fromStdString(path)));
        QDragEnterEvent enter(QPoint(9, 9), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QDropEvent drop(QPointF(9, 9), Qt::CopyAction, &mime, Qt::LeftButton, {});
        if (QApplication::sendEvent(&window, &enter), enter.isAccepted())
            QApplication::sendEvent(&window, &drop);
    }

    ModalAnswerer modals;
    CTonvaleWindow window;
};

} // namespace tonvale::test
