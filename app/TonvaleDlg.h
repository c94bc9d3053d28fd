#pragma once
// The main dialog: the window's state and its commands. The window (or the command line)
// shows what it holds through a Platform and forwards user commands to its On... handlers;
// the analysis and the sound are the library's, called with the tape's bytes.
#include "analysis/TapeReport.h"
#include "app/Platform.h"
#include "base/Bytes.h"
#include "base/Formats.h"
#include "base/TextBuffer.h"
#include "rescue/Rescue.h"
#include "sound/WavImage.h"
#include "view/ReportLinks.h"
#include "view/TapeTimeline.h"
#include "view/Waveform.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvale {

inline constexpr std::string_view kCaptionHow = "Tonvale - HOW?";
inline constexpr std::string_view kCaptionWhat = "Tonvale - WHAT?";
inline constexpr std::string_view kCaptionWhatNot = "Tonvale - WHAT!";
inline constexpr std::string_view kWindowTitle = "Tonvale 2";

class CTonvaleDlg {
  public:
    explicit CTonvaleDlg(Platform& platform);
    ~CTonvaleDlg();
    CTonvaleDlg(const CTonvaleDlg&) = delete;
    CTonvaleDlg& operator=(const CTonvaleDlg&) = delete;

    // --- Window life and commands --------------------------------------------------------
    // The start values and "<no data>" in the report.
    void OnStart();
    // Before the window goes: the sound stops before its image is freed.
    void StopSoundAndFreeImage();
    // The open chain for a path: title, load and analysis, WAV image, autoplay. A recording
    // (IsRecordingName) is rescued first: its tape is loaded, the rescue's lines behind the
    // report.
    void OpenTape(const std::string& path);
    // The program's argument as the system passed it: the file it names, else the first match
    // of its wildcards. Not found: message and exit status 1 through the platform.
    void OnOpenCommandLine(std::string_view argument);
    void OnDropFiles(const std::vector<std::string>& paths);
    void OnOpenNew();
    void OnSave();
    void OnSaveWav();
    // "Save &CAS": the tape rescued from a recording, as a .cas file.
    void OnSaveCas();
    // Play, or Stop while playing.
    void OnPlay();
    // One of the 50 ticks of the progress bar while playing; the one after the last goes idle.
    void OnProgressTick(unsigned id);
    void OnLnwToggled();
    // The sound output stopped by itself: it played to the end, or the device failed.
    void OnSoundEnded(bool failed);
    // The rate, sample size, polarity and level of the sound (the command line's options; the
    // window keeps the defaults), from the next WAV image on.
    void UseSound(const SoundOptions& sound) { m_sound = sound; }

    // --- What the window shows -----------------------------------------------------------
    bool Playing() const { return m_ticksLeft != 0; }
    const std::string& Path() const { return m_path; }
    // True while a tape image is loaded (a failed open leaves none).
    bool Loaded() const { return m_loaded; }
    const TapeReport& Report() const { return m_report; }
    std::size_t ReportLineCount() const { return m_report.lines.Count(); }
    ByteView ReportLine(std::size_t index) const { return m_report.lines.Line(index); }
    // The file, duration and summary lines as last set; empty for other controls.
    ByteView ControlText(ControlId id) const;
    // The WAV image; empty when there is none.
    ByteView WavBytes() const { return m_wav.View(); }
    // The playing time at normal speed (the LNW-80 plays it in half).
    std::uint32_t PlayMillis() const { return m_wav.playMillis; }

    // The bytes "&Save" writes (after a rescue with its lines: what tonvale-cli rescue prints).
    Bytes ComposeReportText() const { return tonvale::ComposeReportText(m_report); }

    // --- What the tape view draws of the loaded tape, made with each load ---------------------
    // Where every tape file and byte lies in the sound; null while nothing is loaded.
    const TapeTimeline* Timeline() const { return m_timeline.get(); }
    // The recording, or the sound made of the image.
    const Waveform* Wave() const { return m_wave.get(); }
    // A recording's pulses and cells as the rescue found them; null for an image.
    const RescueTrace* Trace() const {
        return m_timeline && !m_timeline->Clock() ? &m_trace : nullptr;
    }
    const ReportLinks* Links() const { return m_links ? &*m_links : nullptr; }
    // Counts the loads, so that a view knows when to start afresh.
    std::uint64_t TapeGeneration() const { return m_generation; }
    // How far playback is, in seconds of the tape at normal speed; none while idle.
    std::optional<double> PlayedSeconds() const;

  private:
    void LoadTapeImage(const std::string& path);
    void LoadRecording(const std::string& path);
    void AnalyseImage();
    void AppendReportLines(const std::vector<Bytes>& lines);
    void ShowLoadedReport();
    void ForgetTape();
    void ShowReport();
    void BuildWavImage();
    void ApplyLnwOption();
    void MakeImageTimeline(TapeFormat soundFormat);
    void MakeLinks(std::optional<std::size_t> rescueLinesFrom);
    void BackToIdle(unsigned timerId);
    void SetControlText(ControlId id, ByteView text);
    void SetControlText(ControlId id, std::string_view text);
    // The index in m_statusLines of the file, duration and summary line; -1 for other controls.
    static int StatusIndex(ControlId id);

    Platform& m_platform;

    std::string m_path;
    bool m_loaded = false;
    bool m_rescued = false; // m_tapeData is a tape rescued from the recording at m_path
    Bytes m_tapeData;
    TapeReport m_report;
    WavImage m_wav;
    SoundOptions m_sound;

    // The report view's horizontal extent follows the widest line since the last load.
    std::size_t m_widestLine = 0;
    int m_charWidth = 0;
    bool m_trsFont = false;

    // Progress ticks still to come while playing; 0 when idle.
    std::uint32_t m_ticksLeft = 0;
    std::chrono::steady_clock::time_point m_playStart;

    // The tape view's: the timeline, the sound and the links of the tape loaded.
    std::unique_ptr<TapeTimeline> m_timeline;
    std::unique_ptr<Waveform> m_wave;
    RescueTrace m_trace;
    std::optional<ReportLinks> m_links;
    std::uint64_t m_generation = 0;
    TextBuffer m_text;
    std::array<Bytes, 3> m_statusLines;
};

} // namespace tonvale
