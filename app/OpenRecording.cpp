// Opening a recording of a real cassette: the rescue is a step of the open chain. The tape it
// gives back is loaded as any tape image is, the rescue's lines behind its report.
#include "app/ReadAgain.h"
#include "app/TonvaleDlg.h"
#include "rescue/Rescue.h"
#if TONVALE_RECORDING
#include "recording/RecordingFile.h"
#endif

namespace tonvale {

#if TONVALE_RECORDING

namespace {

constexpr int kProgressSteps = 1000;

// The rescue of a long recording takes a while: the progress bar follows it, and the window
// repaints each time it moves.
RescueResult RescueShowingProgress(SampleSource& recording, Platform& platform,
                                   RescueTrace& trace) {
    platform.SetProgressRange(kProgressSteps);
    int shown = 0;
    RescueProgress progress;
    progress.report = [&](double fraction) {
        const int step = static_cast<int>(fraction * kProgressSteps);
        if (step == shown) return;
        shown = step;
        platform.SetProgressPos(step);
        platform.KeepResponsive();
    };
    RescueSettings settings;
    settings.trace = &trace;
    RescueResult result = RescueRecording(recording, settings, progress);
    platform.SetProgressPos(0);
    return result;
}

} // namespace

void CTonvaleDlg::LoadRecording(const std::string& path) {
    std::string failure;
    const std::unique_ptr<RecordingFile> recording =
        RecordingFile::Open(path, Channel::Stronger, failure);
    if (!recording) {
        m_text.Append("\n");
        m_text.Append(failure);
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
        return;
    }
    // The view's summary of the samples is made as the rescue reads them.
    auto summary = std::make_unique<SampleSummary>(recording->Rate(),
                                                   ReadAgain(path, recording->ChannelTaken()));
    SummarisingSource source(*recording, *summary);
    RescueResult result = RescueShowingProgress(source, m_platform, m_trace);
    PutInTimeOrder(m_trace);
    if (result.files.empty()) {
        // An empty tape has nothing to show or ask about: told as a recording that cannot be
        // read, and nothing is loaded.
        m_text.Append("\nno tape file found");
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
        return;
    }
    m_tapeData = std::move(result.image);
    AnalyseImage();
    // Behind an empty line, as tonvale-cli rescue prints them: "&Save" writes what it prints.
    std::vector<Bytes> lines = RescueLines(result, m_report);
    lines.insert(lines.begin(), Bytes());
    const std::size_t rescueLinesFrom = m_report.lines.Count() + 1;
    AppendReportLines(lines);
    m_rescued = !m_tapeData.empty();
    m_timeline = std::make_unique<TapeTimeline>(TapeTimeline::OfRescue(result, m_report));
    m_wave = std::move(summary);
    MakeLinks(rescueLinesFrom);
    m_platform.EnableControl(ControlId::SaveCas, m_rescued);
    ShowLoadedReport();
}

#else

void CTonvaleDlg::LoadRecording(const std::string&) {
    m_text.Append("\nReading recordings is not built into this program");
    m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
}

#endif

} // namespace tonvale
