#include "platform/qt/window/RecordDlg.h"

#include "app/SafeFile.h"
#include "platform/qt/window/DialogLayout.h"
#include "platform/qt/window/LiveStrip.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace tonvale {

namespace {

const QSize kRecordSize(300, 236);
constexpr double kQuietestDb = -60; // the level meter's left end; its right end is full swing

QString FromBytes(ByteView line) {
    return QString::fromLatin1(reinterpret_cast<const char*>(line.data()),
                               static_cast<qsizetype>(line.size()));
}

// The loudest sample of a batch as the meter's share, in dB against full swing.
int MeterValue(std::span<const std::int16_t> samples) {
    int peak = 1;
    for (const std::int16_t s : samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    const double db = 20 * std::log10(peak / 32768.0);
    return static_cast<int>(std::clamp((db - kQuietestDb) / -kQuietestDb * 100, 0.0, 100.0));
}

} // namespace

CRecordDlg::CRecordDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Record"));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new CDialogLayout(this, kRecordSize);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto label = [&](const char* text, QRect place) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setTextFormat(Qt::PlainText);
        layout->AddControl(l, place);
        return l;
    };

    label("&Input:", QRect(7, 9, 40, 8))->setBuddy(m_inputs = new QComboBox(this));
    m_inputs->addItem(QStringLiteral("Default input"), QString());
    for (const SoundInputName& input : QtSoundInput::Inputs())
        m_inputs->addItem(input.description, input.id);
    layout->AddControl(m_inputs, QRect(50, 7, 243, 12));
    label("Level:", QRect(7, 25, 40, 8));
    m_level = new QProgressBar(this);
    m_level->setTextVisible(false);
    m_level->setRange(0, 100);
    m_level->setValue(0);
    layout->AddControl(m_level, QRect(50, 24, 243, 10));
    m_quality = label("", QRect(7, 39, 286, 8));
    m_strip = new CLiveStrip(this);
    layout->AddControl(m_strip, QRect(7, 51, 286, 56));
    m_lines = new QListWidget(this);
    layout->AddControl(m_lines, QRect(7, 111, 286, 99));
    m_startStop = new QPushButton(QStringLiteral("&Start"), this);
    m_startStop->setDefault(true);
    layout->AddControl(m_startStop, QRect(189, 215, 50, 14));
    m_close = new QPushButton(QStringLiteral("&Close"), this);
    layout->AddControl(m_close, QRect(243, 215, 50, 14));
    connect(m_startStop, &QPushButton::clicked, this, &CRecordDlg::OnStartStop);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_input, &QtSoundInput::failed, this, [this] {
        AddLine(QStringLiteral("The sound input went away; what came before is kept"));
        Stop();
    });
}

CRecordDlg::~CRecordDlg() {
    Stop();
}

void CRecordDlg::done(int result) {
    Stop(); // closing keeps what was recorded, as Stop does
    QDialog::done(result);
}

void CRecordDlg::OnStartStop() {
    if (m_capture)
        Stop();
    else
        Start();
}

void CRecordDlg::AddLine(const QString& line) {
    m_lines->addItem(line);
    m_lines->scrollToBottom();
}

// Asks where the recording goes (the tape goes beside it), then starts it.
void CRecordDlg::Start() {
    const QString flac =
        QFileDialog::getSaveFileName(this, QStringLiteral("Record to"),
                                     QDir::current().filePath(QStringLiteral("recording.flac")),
                                     QStringLiteral("FLAC recording (*.flac)"));
    if (flac.isEmpty()) return;
    m_flac = flac.toStdString();
    m_cas = (flac.endsWith(QStringLiteral(".flac"), Qt::CaseInsensitive) ? flac.chopped(5) : flac)
                .toStdString() +
            ".cas";
    QString failure;
    if (!m_input.Open(m_inputs->currentData().toString(), failure)) {
        AddLine(failure);
        return;
    }
    CaptureEvents events;
    // From the rescue's thread to this one.
    events.fileEnded = [this](const RescueResult& lone) {
        QMetaObject::invokeMethod(
            this,
            [this, lone] {
                AddLine(FromBytes(EndedLine(++m_ended, lone)));
                m_strip->AddTapeFile(lone);
                emit liveTapeChanged(*m_strip->Tape());
            },
            Qt::QueuedConnection);
    };
    events.quality = [this](const RescueQuality& quality) {
        QMetaObject::invokeMethod(
            this,
            [this, quality] { m_quality->setText(QString::fromStdString(QualityLine(quality))); },
            Qt::QueuedConnection);
    };
    const double rate = m_input.Rate();
    events.overrun = [this, rate](const Overrun& overrun) {
        AddLine(QString::fromStdString(OverrunLine(overrun, rate)));
    };
    std::string openFailure;
    m_capture = LiveCapture::Start(m_flac, rate, events, openFailure);
    if (!m_capture) {
        AddLine(QString::fromStdString("Error opening file " + m_flac + ": " + openFailure));
        return;
    }
    m_ended = 0;
    m_strip->Start(rate);
    emit liveTapeChanged(*m_strip->Tape());
    const bool started = m_input.Start([this](std::span<const std::int16_t> samples, double at) {
        m_level->setValue(MeterValue(samples));
        m_strip->AddSound(samples);
        emit liveTapeChanged(*m_strip->Tape());
        m_capture->Arrived(samples, at);
        if (!m_capture->WriteFailure().empty())
            QMetaObject::invokeMethod(this, &CRecordDlg::Stop, Qt::QueuedConnection);
    });
    if (!started) {
        AddLine(QStringLiteral("The sound input gives no sound"));
        bool closed = true;
        m_capture->Stop(closed);
        m_capture.reset();
        return;
    }
    AddLine(QString::fromStdString("Recording to " + m_flac));
    m_startStop->setText(QStringLiteral("&Stop"));
    m_inputs->setEnabled(false);
}

// Ends the recording: the FLAC file is closed, the tape written beside it.
void CRecordDlg::Stop() {
    if (!m_capture) return;
    m_input.Stop();
    bool closed = true;
    const RescueResult result = m_capture->Stop(closed);
    const std::string failure = m_capture->WriteFailure();
    m_capture.reset();
    QCoreApplication::sendPostedEvents(this); // the last lines from the rescue's thread
    m_level->setValue(0);
    m_startStop->setText(QStringLiteral("&Start"));
    m_inputs->setEnabled(true);
    m_recorded = m_flac;
    if (!failure.empty() || !closed)
        AddLine(QString::fromStdString("Error writing file " + m_flac +
                                       " (disk full?): what was written before is kept"));
    if (result.files.empty()) {
        AddLine(QStringLiteral("No tape file found"));
        return;
    }
    if (SaveFile(m_cas, result.image) == SaveResult::Saved)
        AddLine(QString::fromStdString("Tape saved as " + m_cas));
    else
        AddLine(QString::fromStdString("Error writing file " + m_cas));
}

} // namespace tonvale
