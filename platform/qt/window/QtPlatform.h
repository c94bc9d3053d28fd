#pragma once
// The program's platform in a Qt window: the main window's controls, message boxes, the two
// format prompts, file dialogs, the playback timer and the sound output.
#include "app/Platform.h"

#include <QObject>

#include <map>
#include <memory>

class QTimer;

namespace tonvale {

class CTonvaleWindow;
class QtSoundOutput;

class QtPlatform : public Platform {
  public:
    explicit QtPlatform(CTonvaleWindow& window);
    ~QtPlatform() override;

    void SetWindowTitle(ByteView title) override;
    void SetControlText(ControlId id, ByteView text) override;
    void EnableControl(ControlId id, bool enabled) override;
    bool IsControlEnabled(ControlId id) const override;
    bool IsChecked(ControlId id) const override;
    void ShowMessage(ByteView text, std::string_view caption, MessageIcon icon) override;

    TapeFormat AskLevel() override;
    TapeFormat AskFormat() override;

    std::optional<std::string> AskOpenFileName(std::string_view title, std::string_view folder,
                                               std::string_view defaultExtension,
                                               const std::vector<FileFilter>& filters) override;
    std::optional<std::string> AskSaveFileName(std::string_view proposedName,
                                               const std::vector<FileFilter>& filters) override;

    void ReportCleared() override;
    void ReportLinesAdded(std::size_t count) override;
    void SetReportExtent(int pixels) override;
    bool UseTrsFont() override;
    int ReportCharWidth() override;

    void SetProgressRange(int maximum) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void SetProgressPos(int pos) override;
    bool StartTimer(unsigned id, unsigned milliseconds) override;
    void StopTimer(unsigned id) override;
    void KeepResponsive() override;

    bool PlaySound(const Byte* image, std::uint64_t size) override;
    void StopSound() override;

    void Exit(int status) override;

    // The playback timer of that id, null when none was started.
    QTimer* Timer(unsigned id) const;
    // The range the program set; the bar itself never gets an empty range (see SetProgressRange).
    int ProgressMaximum() const { return m_progressMax; }
    int ProgressStep() const { return m_progressStep; }

  private:
    // A question comes in the middle of a load: the emptied report is shown behind it.
    void ReportModelFlush();

    CTonvaleWindow& m_window;
    std::map<unsigned, std::unique_ptr<QTimer>> m_timers;
    std::unique_ptr<QtSoundOutput> m_sound;
    int m_progressMax = 100;
    int m_progressStep = 10;
};

} // namespace tonvale
