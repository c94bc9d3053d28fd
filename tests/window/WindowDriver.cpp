#include "WindowDriver.h"

#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/qt/window/ReportModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <algorithm>

#include <gtest/gtest.h>

namespace tonvale::test {

// --- Modal dialogs ---------------------------------------------------------------------------

ModalAnswerer::ModalAnswerer() {
    qApp->installEventFilter(this);
}

ModalAnswerer::~ModalAnswerer() {
    qApp->removeEventFilter(this);
}

ModalAnswerer& ModalAnswerer::Then(Answer answer) {
    m_answers.push_back(std::move(answer));
    return *this;
}

int ModalAnswerer::Unexpected() const {
    return static_cast<int>(
        std::count_if(seen.begin(), seen.end(), [](const Seen& s) { return !s.expected; }));
}

bool ModalAnswerer::eventFilter(QObject* watched, QEvent* event) {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (event->type() != QEvent::Show || !dialog || !dialog->isModal()) return false;
    Seen s;
    s.className = QString::fromLatin1(dialog->metaObject()->className());
    s.title = dialog->windowTitle();
    s.applicationModal = dialog->windowModality() == Qt::ApplicationModal;
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        s.text = box->text();
        s.icon = box->icon();
        s.textFormat = box->textFormat();
    }
    Answer answer;
    if (m_answers.empty()) {
        s.expected = false;
        answer = [](QDialog* d) { d->reject(); };
    } else {
        answer = std::move(m_answers.front());
        m_answers.pop_front();
    }
    seen.push_back(s);
    // The answer comes once the dialog's own event loop runs.
    QPointer<QDialog> guarded(dialog);
    QMetaObject::invokeMethod(
        dialog,
        [guarded, answer] {
            if (guarded) answer(guarded);
            // A mnemonic clicks its button the way a press looks, a moment later. An answer
            // that does not close the dialog at all would leave the test waiting forever.
            const bool closed = QTest::qWaitFor([&] { return !guarded || !guarded->isVisible(); });
            if (!closed && guarded) {
                ADD_FAILURE() << "the answer left " << guarded->windowTitle().toStdString()
                              << " open";
                guarded->reject();
            }
        },
        Qt::QueuedConnection);
    return false;
}

ModalAnswerer::Answer PressKey(int key, Qt::KeyboardModifiers modifiers) {
    return [key, modifiers](QDialog* dialog) {
        // Keys reach a dialog, and its mnemonics work, once it is the active window.
        // The offscreen platform leaves activation to the program, as a window manager
        // would not: the dialog that just came up gets it here.
        QApplication::setActiveWindow(dialog);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != dialog) target = dialog;
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    };
}

ModalAnswerer::Answer ClickButton(const QString& text) {
    return [text](QDialog* dialog) {
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == text) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        dialog->reject();
    };
}

ModalAnswerer::Answer CloseBox() {
    return [](QDialog* dialog) { dialog->close(); };
}

ModalAnswerer::Answer Meanwhile(std::function<void()> look, ModalAnswerer::Answer answer) {
    return [look, answer](QDialog* dialog) {
        look();
        answer(dialog);
    };
}

// --- The window ------------------------------------------------------------------------------

WindowUnderTest::WindowUnderTest() {
    QtPlatform::SetFileDialogHook([this](const QtPlatform::FileDialogRequest& request) {
        fileRequests.push_back(request);
        if (fileAnswers.empty()) {
            ADD_FAILURE() << "a file dialog nobody expected";
            return std::optional<std::string>();
        }
        std::optional<std::string> answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    });
    m_window = std::make_unique<CTonvaleWindow>();
    m_window->show();
    m_window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    QApplication::processEvents();
}

WindowUnderTest::~WindowUnderTest() {
    m_window.reset();
    QtPlatform::SetFileDialogHook(nullptr);
    QApplication::processEvents();
}

QString WindowUnderTest::Title() const {
    return m_window->windowTitle();
}

QString WindowUnderTest::Text(ControlId id) const {
    QWidget* control = m_window->Control(id);
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    return {};
}

bool WindowUnderTest::Enabled(ControlId id) const {
    return m_window->Control(id)->isEnabled();
}

bool WindowUnderTest::Checked(ControlId id) const {
    return qobject_cast<QAbstractButton*>(m_window->Control(id))->isChecked();
}

int WindowUnderTest::Rows() const {
    return m_window->ReportView()->model()->rowCount();
}

QString WindowUnderTest::Row(int row) const {
    const QAbstractItemModel* model = m_window->ReportView()->model();
    return model->data(model->index(row, 0)).toString();
}

std::vector<QString> WindowUnderTest::AllRows() const {
    std::vector<QString> rows;
    for (int i = 0; i < Rows(); ++i)
        rows.push_back(Row(i));
    return rows;
}

void WindowUnderTest::Click(ControlId id) {
    QTest::mouseClick(m_window->Control(id), Qt::LeftButton);
}

void WindowUnderTest::Key(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != m_window.get()) target = m_window.get();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

void WindowUnderTest::Drop(const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    mime.setUrls(urls);
    const QPointF at(m_window->width() / 2.0, m_window->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &enter);
    if (!enter.isAccepted()) return;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &drop);
}

void WindowUnderTest::OpenThroughDialog(const std::string& path) {
    fileAnswers.push_back(path);
    Click(ControlId::OpenNew);
}

// --- Tapes and the core's own output ---------------------------------------------------------

std::string TestDir() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("window.") + test->test_suite_name() + "." + test->name();
    std::replace(name.begin(), name.end(), '/', '.');
    return TempDir(name);
}

std::string TapeFile(const std::string& directory, const std::string& name, ByteView image) {
    return WriteFile(directory + "/" + name, image);
}

CoreOutput CoreOutputFor(const std::string& path, bool lnw, TapeFormat answer) {
    HeadlessPlatform platform;
    platform.onExit = [](int) {};
    platform.SetChecked(ControlId::Lnw, lnw);
    platform.levelAnswer = [answer] { return answer; };
    platform.formatAnswer = [answer] { return answer; };
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.OpenTape(path);
    CoreOutput out;
    for (std::size_t i = 0; i < dlg.m_report.Count(); ++i)
        out.rows.push_back(Shown(AsChars(dlg.m_report.Line(i))));
    out.fileLine = Shown(AsChars(dlg.ControlText(ControlId::FileLine)));
    out.durationLine = Shown(AsChars(dlg.ControlText(ControlId::DurationLine)));
    out.summaryLine = Shown(AsChars(dlg.ControlText(ControlId::SummaryLine)));
    out.reportText = dlg.ComposeReportText();
    if (dlg.m_wavImage)
        out.wavImage.assign(dlg.m_wavImage.get(), dlg.m_wavImage.get() + dlg.m_wavSize);
    return out;
}

QString Shown(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace tonvale::test
