#pragma once
// What the program needs from the window it runs in. The Qt window implements it for the
// desktop; the headless implementation serves the command line and the tests. Nothing here
// depends on a toolkit, so the core builds and runs without one.
#include "analysis/AnalyseTape.h"
#include "base/Bytes.h"
#include "base/Formats.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvale {

// The main window's controls, by the numbers they have always had.
enum class ControlId : int {
    Play = 1,
    Exit = 2,
    OpenNew = 134,
    About = 135,
    Save = 136,
    SaveWav = 137,
    SaveCas = 138,
    Report = 1001,
    Autoplay = 1002,
    Progress = 1004,
    FileLine = 1005,
    DurationLine = 1006,
    SummaryLine = 1007,
    Lnw = 1010,
};

enum class MessageIcon { Exclamation, StopSign };

struct FileFilter {
    std::string label;   // "Cassette file (*.cas)"
    std::string pattern; // "*.CAS"
};

class Platform : public LevelQuestion {
  public:
    virtual ~Platform() = default;

    // Texts and controls.
    virtual void SetWindowTitle(ByteView title) = 0;
    virtual void SetControlText(ControlId id, ByteView text) = 0;
    virtual void EnableControl(ControlId id, bool enabled) = 0;
    virtual bool IsControlEnabled(ControlId id) const = 0;
    virtual bool IsChecked(ControlId id) const = 0;
    virtual void ShowMessage(ByteView text, std::string_view caption, MessageIcon icon) = 0;

    // The two format prompts: Level 1 or 2 for an undecided tape file (answers Level1 or
    // Level2), and one format for the sound of a mixed tape (Level1, Level2 or Highspeed).
    TapeFormat AskLevel() override = 0;
    virtual TapeFormat AskFormat() = 0;

    // File dialogs; nullopt when the user cancels. Paths are UTF-8. The open dialog starts in
    // `folder` (empty: wherever the platform likes).
    virtual std::optional<std::string> AskOpenFileName(std::string_view title,
                                                       std::string_view folder,
                                                       std::string_view defaultExtension,
                                                       const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> AskSaveFileName(std::string_view proposedName,
                                                       const std::vector<FileFilter>& filters) = 0;

    // The report view shows the dialog's report lines; these tell it that they changed.
    virtual void ReportCleared() = 0;
    // The report now has `count` lines, the ones shown so far among them.
    virtual void ReportLinesAdded(std::size_t count) = 0;
    virtual void SetReportExtent(int pixels) = 0;
    // The report font: true when a font of family "TRS-80" is installed and now in use.
    virtual bool UseTrsFont() = 0;
    // Width in pixels of one character cell of the report font.
    virtual int ReportCharWidth() = 0;

    // Progress bar and the playback timer.
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgressStep(int step) = 0;
    virtual void StepProgress() = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual bool StartTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void StopTimer(unsigned id) = 0;
    // In the middle of a long step (the rescue of a recording), after the progress moved: the
    // window repaints; no other command may run meanwhile.
    virtual void KeepResponsive() {}

    // Sound output: plays a complete WAV image from memory, asynchronously. The image stays
    // valid and unchanged until StopSound or until it has been played. False: no device.
    // When the sound ends by itself (played out, or the device failed) the platform tells the
    // dialog through OnSoundEnded; a later PlaySound opens the output afresh.
    virtual bool PlaySound(const Byte* image, std::uint64_t size) = 0;
    virtual void StopSound() = 0;

    // Ends the program with this exit status; the caller returns at once after it.
    virtual void Exit(int status) = 0;
};

} // namespace tonvale
