#pragma once
// The main window: the dialog's controls in their classic arrangement, the report view, and
// the road from each button, drop and the command line to the dialog's handlers.
//
// Only one command runs at a time. A load may stop in the middle for a question, and the
// questions and messages are application-modal; a command that still reaches the window
// then (or a drop, or a close) is refused, so nothing can replace the tape image under the
// analysis that is reading it.
#include "app/TonvaleDlg.h"
#include "platform/qt/window/QtPlatform.h"
#include "platform/qt/window/ReportFont.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QListView;
class QProgressBar;
class QPushButton;

namespace tonvale {

class CReportModel;
class CTapeView;

class CTonvaleWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CTonvaleWindow(QWidget* parent = nullptr);
    ~CTonvaleWindow() override;

    // Opens the command-line argument once the window is on screen (painted for the first
    // time), so that its messages and questions come up over it.
    void PostCommandLine(const std::string& argument);

    CTonvaleDlg& Dialog() { return m_dlg; }
    QtPlatform& Platform() { return m_platform; }
    CReportModel& ReportModel() { return *m_model; }
    QListView* ReportView() const { return m_reportView; }
    const ReportFont& ChosenReportFont() const { return m_reportFont; }
    QWidget* Control(ControlId id) const;
    // The tape view, once opened ("&Tape view", Ctrl+T); null before.
    CTapeView* TapeView() const { return m_tapeView.get(); }
    // A command (or a load) is running: others are refused until it ends.
    bool Busy() const { return m_busy; }

    // Called by the platform.
    void ApplyReportFont();
    void OnProgressTick(unsigned id);
    // The sound output stopped by itself; told to the dialog once no command runs.
    void SoundEnded(bool failed);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildControls();
    // Runs one user command unless another is still running; then shows the report.
    template <class Command> bool RunCommand(Command command);
    void OpenCommandLine(const std::string& argument);
    void OnOpenNew();
    void OnPlay();
    void OnAbout();
    void OnSave();
    void OnSaveWav();
    void OnSaveCas();
    void OnRecord();
    void OnLnw();
    void OnDrop(const std::vector<std::string>& paths);
    void OnTapeView();
    // The report line picked: its bytes in the tape view.
    void ShowLineBytes(int row);
    // A byte picked in the tape view: the report line that shows it.
    void PickLine(std::size_t line);

    QtPlatform m_platform{*this};
    CTonvaleDlg m_dlg{m_platform};
    // Declared after the dialog, so the view lets go of the report before it goes.
    std::unique_ptr<CReportModel> m_model;
    std::unique_ptr<CTapeView> m_tapeView;
    ReportFont m_reportFont;
    bool m_busy = false;
    std::optional<std::string> m_pendingArgument; // to open once the window is on screen
    std::optional<bool> m_soundEnded;             // came while a command ran: failed or not

    QListView* m_reportView = nullptr;
    QPushButton* m_openNew = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_exit = nullptr;
    QPushButton* m_about = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_saveWav = nullptr;
    QPushButton* m_saveCas = nullptr;
    QPushButton* m_tapeViewButton = nullptr;
    QPushButton* m_record = nullptr; // none without recordings
    QCheckBox* m_autoplay = nullptr;
    QCheckBox* m_lnw = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_fileLine = nullptr;
    QLabel* m_durationLine = nullptr;
    QLabel* m_summaryLine = nullptr;
};

} // namespace tonvale
