#pragma once
// "Record": a cassette recorded from a sound input with the rescue running on it. The person
// picks the input, watches the level and the signal's quality while turning the recorder's
// volume or its head's screw, and sees the sound scroll by with each tape file as it ends. Stop
// keeps the sound as FLAC and the tape as CAS beside it; the window then opens the recording.
#include "platform/qt/audio/QtSoundInput.h"
#include "recording/LiveCapture.h"
#include "view/LiveTape.h"

#include <QDialog>

#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tonvale {

class CLiveStrip;

class CRecordDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CRecordDlg(QWidget* parent = nullptr);
    ~CRecordDlg() override;

    // The FLAC file recorded, once stopped; empty when nothing was.
    const std::string& Recording() const { return m_recorded; }

  signals:
    // The tape being recorded, when it starts and each time it grows; it lives as long as this.
    void liveTapeChanged(const LiveTape& tape);

  private:
    void OnStartStop();
    void Start();
    void Stop();
    void AddLine(const QString& line);
    void done(int result) override;

    QComboBox* m_inputs;
    QProgressBar* m_level;
    QLabel* m_quality;
    CLiveStrip* m_strip;
    QListWidget* m_lines;
    QPushButton* m_startStop;
    QPushButton* m_close;
    QtSoundInput m_input;
    std::unique_ptr<LiveCapture> m_capture;
    std::string m_flac, m_cas, m_recorded;
    std::size_t m_ended = 0;
};

} // namespace tonvale
