#include "platform/qt/window/QtPlatform.h"

#include "platform/qt/audio/QtSoundOutput.h"
#include "platform/qt/window/FormatPrompts.h"
#include "platform/qt/window/QtText.h"
#include "platform/qt/window/ReportModel.h"
#include "platform/qt/window/TonvaleWindow.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace tonvale {

namespace {

// A window timer never fires faster than this, whatever interval it is given.
constexpr unsigned kMinimumTimerMillis = 10;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt reads a filter's patterns from the parentheses of its label; a label that already
// shows its pattern is taken as it is (the toolkit's dialog matches without regard to case).
// Qt parts patterns with spaces, where Windows takes semicolons.
QStringList NameFilters(const std::vector<FileFilter>& filters) {
    QStringList names;
    for (const FileFilter& filter : filters) {
        QString label = FromUtf8(filter.label).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString pattern =
            FromUtf8(filter.pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!label.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'), Qt::CaseInsensitive))
            label += QStringLiteral(" (") + pattern + QLatin1Char(')');
        names.push_back(label);
    }
    return names;
}

std::optional<std::string> RunFileDialog(QFileDialog& dialog,
                                         const std::vector<FileFilter>& filters) {
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setNameFilters(NameFilters(filters));
    if (!filters.empty()) dialog.selectNameFilter(dialog.nameFilters().front());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return ToLocalPath(dialog.selectedFiles().front());
}

} // namespace

QtPlatform::QtPlatform(CTonvaleWindow& window)
    : m_window(window), m_sound(std::make_unique<QtSoundOutput>()) {
    QObject::connect(m_sound.get(), &QtSoundOutput::finished, &m_window,
                     [this](bool failed) { m_window.SoundEnded(failed); });
}

QtPlatform::~QtPlatform() = default;

// --- Texts and controls ----------------------------------------------------------------------

void QtPlatform::SetWindowTitle(ByteView title) {
    m_window.setWindowTitle(EscapeTitle(BytesToDisplayText(title)));
}

void QtPlatform::SetControlText(ControlId id, ByteView text) {
    QWidget* control = m_window.Control(id);
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(BytesToLatin1(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(BytesToLatin1(text));
}

void QtPlatform::EnableControl(ControlId id, bool enabled) {
    if (QWidget* control = m_window.Control(id)) control->setEnabled(enabled);
}

bool QtPlatform::IsControlEnabled(ControlId id) const {
    const QWidget* control = m_window.Control(id);
    return control && control->isEnabled();
}

bool QtPlatform::IsChecked(ControlId id) const {
    const auto* box = qobject_cast<const QAbstractButton*>(m_window.Control(id));
    return box && box->isCheckable() && box->isChecked();
}

void QtPlatform::ShowMessage(ByteView text, std::string_view caption, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::StopSign ? QMessageBox::Critical : QMessageBox::Warning,
                    FromUtf8(caption), BytesToDisplayText(text), QMessageBox::Ok, &m_window);
    // A path or a tape's bytes are never markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

TapeFormat QtPlatform::AskLevel() {
    ReportModelFlush();
    CLevelChoiceDlg prompt(&m_window);
    return prompt.Ask();
}

TapeFormat QtPlatform::AskFormat() {
    ReportModelFlush();
    CFormatChoiceDlg prompt(&m_window);
    return prompt.Ask();
}

// --- File dialogs ----------------------------------------------------------------------------

std::optional<std::string> QtPlatform::AskOpenFileName(std::string_view title,
                                                       std::string_view folder,
                                                       std::string_view defaultExtension,
                                                       const std::vector<FileFilter>& filters) {
    QFileDialog dialog(&m_window, FromUtf8(title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(FromUtf8(defaultExtension));
    // Without a tape the toolkit's dialog starts where it was used last.
    if (!folder.empty()) dialog.setDirectory(FromLocalPath(std::string(folder)));
    return RunFileDialog(dialog, filters);
}

std::optional<std::string> QtPlatform::AskSaveFileName(std::string_view proposedName,
                                                       const std::vector<FileFilter>& filters) {
    QFileDialog dialog(&m_window);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The chosen file is replaced as it is, without a second question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!proposedName.empty()) dialog.selectFile(FromLocalPath(std::string(proposedName)));
    return RunFileDialog(dialog, filters);
}

// --- The report ------------------------------------------------------------------------------

void QtPlatform::ReportCleared() {
    m_window.ReportModel().Clear();
}

void QtPlatform::ReportLinesAdded(std::size_t) {
    m_window.ReportModel().LinesAdded();
}

void QtPlatform::SetReportExtent(int pixels) {
    m_window.ReportModel().SetExtent(pixels);
}

bool QtPlatform::UseTrsFont() {
    m_window.ApplyReportFont();
    return m_window.ChosenReportFont().trs;
}

int QtPlatform::ReportCharWidth() {
    return QFontMetrics(m_window.ChosenReportFont().font).horizontalAdvance(QLatin1Char(' '));
}

void QtPlatform::ReportModelFlush() {
    m_window.ReportModel().Flush();
}

// --- Progress and the timer ------------------------------------------------------------------

void QtPlatform::SetProgressRange(int maximum) {
    m_progressMax = std::max(0, maximum);
    // An empty range would turn the bar into a busy indicator; empty it stays.
    auto* bar = static_cast<QProgressBar*>(m_window.Control(ControlId::Progress));
    bar->setRange(0, std::max(1, m_progressMax));
    bar->setValue(0);
}

void QtPlatform::SetProgressStep(int step) {
    m_progressStep = step;
}

void QtPlatform::StepProgress() {
    auto* bar = static_cast<QProgressBar*>(m_window.Control(ControlId::Progress));
    const long long value = static_cast<long long>(bar->value()) + m_progressStep;
    bar->setValue(static_cast<int>(std::clamp<long long>(value, 0, m_progressMax)));
}

void QtPlatform::SetProgressPos(int pos) {
    auto* bar = static_cast<QProgressBar*>(m_window.Control(ControlId::Progress));
    bar->setValue(std::clamp(pos, 0, m_progressMax));
}

bool QtPlatform::StartTimer(unsigned id, unsigned milliseconds) {
    std::unique_ptr<QTimer>& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setObjectName(QStringLiteral("timer%1").arg(id));
        QObject::connect(timer.get(), &QTimer::timeout, &m_window,
                         [this, id] { m_window.OnProgressTick(id); });
    }
    // Starting a running timer again replaces it.
    const unsigned interval =
        std::clamp<unsigned>(milliseconds, kMinimumTimerMillis, std::numeric_limits<int>::max());
    timer->start(static_cast<int>(interval));
    return true;
}

void QtPlatform::StopTimer(unsigned id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) it->second->stop();
}

// Paints and timers only: clicks and keys wait until the command is done.
void QtPlatform::KeepResponsive() {
    ReportModelFlush();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QTimer* QtPlatform::Timer(unsigned id) const {
    auto it = m_timers.find(id);
    return it == m_timers.end() ? nullptr : it->second.get();
}

// --- Sound -----------------------------------------------------------------------------------

bool QtPlatform::PlaySound(const Byte* image, std::uint64_t size) {
    return m_sound->Play(image, size);
}

void QtPlatform::StopSound() {
    m_sound->Stop();
}

// --- The end ---------------------------------------------------------------------------------

void QtPlatform::Exit(int status) {
    StopSound();
    for (auto& [id, timer] : m_timers)
        timer->stop();
    m_window.hide();
    QCoreApplication::exit(status);
}

} // namespace tonvale
