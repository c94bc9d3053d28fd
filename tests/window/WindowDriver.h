#pragma once
// Driving the real window: a person's answers to the modal dialogs a command opens, tapes in
// real files, and what the window shows, read as a person sees it.
#include "builder/TestFiles.h"
#include "platform/qt/window/TonvaleWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <deque>

#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tonvale::test {

using Answer = std::function<void(QDialog*)>;

// Answers the modal dialogs as they come up, in order, and notes what each said; one nobody
// expected is closed.
struct ModalAnswerer : QObject {
    ModalAnswerer() { qApp->installEventFilter(this); }
    ModalAnswerer& Then(Answer answer) { return answers.push_back(std::move(answer)), *this; }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() != QEvent::Show || !dialog || !dialog->isModal()) return false;
        auto* box = qobject_cast<QMessageBox*>(dialog);
        seen << dialog->windowTitle() + (box ? "|" + box->text() : "") +
                    (box && box->icon() == QMessageBox::Critical ? "|stop" : "") +
                    (box && box->textFormat() != Qt::PlainText ? "|markup" : "");
        Answer answer = [](QDialog* d) { d->done(QDialog::Rejected); };
        if (!answers.empty()) answer = answers.front(), answers.pop_front();
        // Once the dialog's own event loop runs.
        QMetaObject::invokeMethod(
            dialog, [d = QPointer(dialog), answer] { answer(d); }, Qt::QueuedConnection);
        return false;
    }
    std::deque<Answer> answers;
    QStringList seen; // title|text|stop (the stop-sign icon)
};

// A key pressed in the dialog, or first a look at it. Keys reach a dialog once it is the
// active window, which the offscreen platform leaves to the program.
inline Answer PressKey(
    int key, Qt::KeyboardModifiers modifiers = {},
    std::function<void(QDialog*)> look = [](QDialog*) {}) {
    return [=](QDialog* dialog) {
        look(dialog);
        QApplication::setActiveWindow(dialog);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == dialog ? focus : dialog,
                        static_cast<Qt::Key>(key), modifiers);
    };
}

// The push button of `parent` captioned `text`; null when there is none.
inline QPushButton* Button(QWidget* parent, const char* text) {
    for (QPushButton* b : parent->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

inline QString Shown(ByteView bytes) {
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
}
inline QString Text(const CTonvaleWindow& window, ControlId id) {
    auto* label = qobject_cast<QLabel*>(window.Control(id));
    return label ? label->text() : static_cast<QAbstractButton*>(window.Control(id))->text();
}
// The report's rows and the status lines, as the window shows them (shown) and as its dialog
// holds them.
inline QStringList Lines(CTonvaleWindow& window, bool shown = true) {
    const QAbstractItemModel* model = window.ReportView()->model();
    const CTonvaleDlg& dlg = window.Dialog();
    QStringList lines;
    for (std::size_t i = 0; i < (shown ? model->rowCount() : dlg.ReportLineCount()); ++i)
        lines << (shown ? model->index(int(i), 0).data().toString() : Shown(dlg.ReportLine(i)));
    for (ControlId id : {ControlId::FileLine, ControlId::DurationLine, ControlId::SummaryLine})
        lines << (shown ? Text(window, id) : Shown(dlg.ControlText(id)));
    return lines;
}

// A tape in a fresh directory of its own, with a space in its path.
inline std::string TapeFile(const std::string& name, ByteView image) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string dir = std::string("window.") + test->test_suite_name() + "." + test->name();
    std::replace(dir.begin(), dir.end(), '/', '.');
    return WriteFile(TempDir(dir + "/tape " + name) + "/" + name, image);
}

// The window on screen.
struct WindowUnderTest {
    WindowUnderTest() { window.show(); }
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
    CTonvaleDlg& Dialog() { return window.Dialog(); }

    ModalAnswerer modals;
    CTonvaleWindow window;
};

} // namespace tonvale::test
