#pragma once
// The platform without a window: for the command line and the tests. It keeps what a window
// would show, answers the format prompts as it was told (by default as their close boxes do:
// Level 2), and records messages. Timers do not run by themselves: the owner calls OnProgressTick.
#include "app/Platform.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tonvale {

class HeadlessPlatform : public Platform {
  public:
    struct Message {
        Bytes text;
        std::string caption;
        MessageIcon icon;
    };

    void SetWindowTitle(ByteView title) override { title_.assign(title.begin(), title.end()); }
    void SetControlText(ControlId id, ByteView text) override {
        texts_[id].assign(text.begin(), text.end());
    }
    void EnableControl(ControlId id, bool enabled) override { disabled_[id] = !enabled; }
    bool IsControlEnabled(ControlId id) const override {
        auto it = disabled_.find(id);
        return it == disabled_.end() || !it->second;
    }
    bool IsChecked(ControlId id) const override {
        auto it = checked_.find(id);
        return it != checked_.end() && it->second;
    }
    void ShowMessage(ByteView text, std::string_view caption, MessageIcon icon) override;

    TapeFormat AskLevel() override;
    TapeFormat AskFormat() override;

    std::optional<std::string> AskOpenFileName(std::string_view, std::string_view folder,
                                               std::string_view,
                                               const std::vector<FileFilter>&) override {
        openFolder = std::string(folder);
        return openFileName;
    }
    std::optional<std::string> AskSaveFileName(std::string_view proposedName,
                                               const std::vector<FileFilter>&) override {
        lastProposedName = std::string(proposedName);
        return saveFileName;
    }

    void ReportCleared() override {}
    void ReportLinesAdded(std::size_t) override {}
    void SetReportExtent(int pixels) override { reportExtent = pixels; }
    bool UseTrsFont() override { return trsFont; }
    int ReportCharWidth() override { return 8; }

    void SetProgressRange(int maximum) override { progressMax = maximum; }
    void SetProgressStep(int step) override { progressStep = step; }
    void StepProgress() override { progressPos += progressStep; }
    void SetProgressPos(int pos) override { progressPos = pos; }
    bool StartTimer(unsigned, unsigned milliseconds) override {
        timerInterval = milliseconds;
        timerRunning = timersWork;
        return timersWork;
    }
    void StopTimer(unsigned) override { timerRunning = false; }
    void KeepResponsive() override { progressShown.push_back(progressPos); }

    // Sound goes to the attached output, if any; without one there is no device.
    bool PlaySound(const Byte* image, std::uint64_t size) override {
        return soundOutput ? soundOutput->PlaySound(image, size) : false;
    }
    void StopSound() override {
        if (soundOutput) soundOutput->StopSound();
    }

    void Exit(int status) override;

    // What a window would show.
    const Bytes& Text(ControlId id) { return texts_[id]; }
    const Bytes& Title() const { return title_; }
    void SetChecked(ControlId id, bool checked) { checked_[id] = checked; }

    // How the prompts are answered; a function may ask a person.
    std::function<TapeFormat()> levelAnswer;
    std::function<TapeFormat()> formatAnswer;
    int levelQuestions = 0;
    int formatQuestions = 0;

    std::vector<Message> messages;
    // Messages also go to standard error as they come (the command line wants them).
    bool echoMessages = false;

    std::optional<std::string> openFileName;
    std::string openFolder; // where the open dialog was asked to start
    std::optional<std::string> saveFileName;
    std::string lastProposedName;

    bool trsFont = false;
    int reportExtent = 0;
    int progressMax = 0, progressStep = 0, progressPos = 0;
    std::vector<int> progressShown; // the bar's place each time a long step let it repaint
    bool timersWork = true;
    bool timerRunning = false;
    unsigned timerInterval = 0;
    Platform* soundOutput = nullptr;

    // Exit: by default the process ends; tests may catch the status instead.
    std::function<void(int)> onExit;
    std::optional<int> exitStatus;

  private:
    Bytes title_;
    std::map<ControlId, Bytes> texts_;
    std::map<ControlId, bool> disabled_;
    std::map<ControlId, bool> checked_;
};

} // namespace tonvale
