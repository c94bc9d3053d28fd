#include "app/TonvaleDlg.h"

#include "analysis/AnalyseTape.h"
#include "app/CommandLine.h"
#include "app/LoadMessages.h"
#include "app/RecordingName.h"
#include "tape/TapeImage.h"

#include <algorithm>

namespace tonvale {

namespace {

// Pixels beside the widest line in the report view's horizontal extent.
constexpr int kReportMargin = 4;

} // namespace

CTonvaleDlg::CTonvaleDlg(Platform& platform) : m_platform(platform) {}

CTonvaleDlg::~CTonvaleDlg() {
    StopSoundAndFreeImage();
}

void CTonvaleDlg::OnStart() {
    m_ticksLeft = 0;
    m_wav = WavImage();
    m_tapeData = Bytes();
    m_loaded = false;
    m_rescued = false;
    m_platform.EnableControl(ControlId::SaveCas, false);

    m_trsFont = m_platform.UseTrsFont();
    m_report = TapeReport();
    constexpr std::string_view kNoData = "<no data>";
    m_report.lines.Add(ToBytes(kNoData));
    m_report.tags.push_back(kTagPlain);
    m_report.lineCount = 1;
    m_platform.ReportCleared();
    m_platform.ReportLinesAdded(1);
    m_charWidth = m_platform.ReportCharWidth();
    m_widestLine = kNoData.size();
    m_platform.SetReportExtent(static_cast<int>(m_widestLine) * m_charWidth + kReportMargin);
}

void CTonvaleDlg::StopSoundAndFreeImage() {
    // The sound output may still read the image: stop it before anything is freed.
    if (m_wav.bytes) m_platform.StopSound();
    m_ticksLeft = 0;
    m_wav = WavImage();
    // The timeline reads the tape's bytes: it goes with them.
    m_links.reset();
    m_wave.reset();
    m_timeline.reset();
    m_tapeData = Bytes();
}

void CTonvaleDlg::OpenTape(const std::string& path) {
    m_path = path;
    m_text.Set(kWindowTitle);
    m_text.Append(" - ");
    m_text.Append(FileNamePart(m_path));
    m_platform.SetWindowTitle(m_text.View());
    LoadTapeImage(m_path);
    if (!m_loaded) return;
    BuildWavImage();
    if (m_platform.IsChecked(ControlId::Autoplay)) OnPlay();
}

void CTonvaleDlg::OnOpenCommandLine(std::string_view argument) {
    std::optional<std::string> found = FindFirstFile(argument);
    if (!found) {
        m_text.Set("Error opening file\n");
        m_text.Append(argument);
        m_platform.ShowMessage(m_text.View(), kCaptionWhat, MessageIcon::Exclamation);
        m_platform.Exit(1);
        return;
    }
    OpenTape(*found);
}

void CTonvaleDlg::OnDropFiles(const std::vector<std::string>& paths) {
    if (m_ticksLeft != 0 || !m_platform.IsControlEnabled(ControlId::OpenNew)) return;
    if (paths.size() != 1) {
        m_platform.ShowMessage(ToBytes("Tonvale can accept\nonly one file at a time"), kCaptionHow,
                               MessageIcon::Exclamation);
        return;
    }
    OpenTape(paths.front());
}

void CTonvaleDlg::OnOpenNew() {
    if (m_ticksLeft != 0) return;
    std::vector<FileFilter> filters = {{"Cassette file (*.cas)", "*.CAS"}};
#if TONVALE_RECORDING
    filters.push_back({"Recordings (*.wav;*.flac;*.aif;*.aiff)", "*.WAV;*.FLAC;*.AIF;*.AIFF"});
#endif
    filters.push_back({"All files (*.*)", "*.*"});
    std::optional<std::string> path =
        m_platform.AskOpenFileName("Open (*.CAS)", FolderPart(m_path), "CAS", filters);
    if (path) OpenTape(*path);
}

// --- Loading -----------------------------------------------------------------------------------

void CTonvaleDlg::LoadTapeImage(const std::string& path) {
    ForgetTape();
    m_text.Set(path);
    if (IsRecordingName(path)) {
        LoadRecording(path);
        return;
    }
    TapeImageFile file = ReadTapeImage(path);
    if (file.outcome != TapeReadOutcome::Read) {
        TextBuffer failure;
        FormatReadFailure(failure, file);
        m_text.Append("\n");
        m_text.Append(failure.View());
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
        return;
    }
    m_tapeData = std::move(file.bytes);
    AnalyseImage();
    MakeLinks(std::nullopt);
    ShowLoadedReport();
}

void CTonvaleDlg::AnalyseImage() {
    m_loaded = true;
    m_report = AnalyseTape(m_tapeData, m_platform, AnalysisSettings{m_trsFont});
    SetControlText(ControlId::FileLine, ByteView(m_report.fileLine));
    SetControlText(ControlId::SummaryLine, ByteView(m_report.summaryLine));
}

// Lines of the program's own behind the analysis's, saved with them.
void CTonvaleDlg::AppendReportLines(const std::vector<Bytes>& lines) {
    for (const Bytes& line : lines) {
        if (!m_report.lines.Add(line)) return; // out of memory: the report stops there
        m_report.tags.push_back(kTagPlain);
        ++m_report.lineCount;
        m_report.widestLine = std::max(m_report.widestLine, line.size());
    }
}

void CTonvaleDlg::ShowLoadedReport() {
    ShowReport();
    if (m_report.workBufferShortfall) {
        AppendWorkBufferFailure(m_text, *m_report.workBufferShortfall);
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
    }
}

// What an earlier tape left behind goes before a new one is read, so that a failed open
// shows nothing of it and saves nothing of it.
void CTonvaleDlg::ForgetTape() {
    ++m_generation;
    m_links.reset();
    m_wave.reset();
    m_timeline.reset();
    m_trace = RescueTrace();
    if (m_wav.bytes) m_platform.StopSound();
    m_ticksLeft = 0;
    m_wav = WavImage();
    m_tapeData = Bytes();
    m_loaded = false;
    m_rescued = false;
    m_report = TapeReport();
    for (ControlId id : {ControlId::FileLine, ControlId::DurationLine, ControlId::SummaryLine})
        SetControlText(id, std::string_view());
    m_platform.EnableControl(ControlId::Play, false);
    m_platform.EnableControl(ControlId::SaveCas, false);
    ShowReport();
}

void CTonvaleDlg::ShowReport() {
    // The horizontal extent only ever grows until the next load.
    m_widestLine = 0;
    m_platform.ReportCleared();
    if (m_report.lines.Count() > 0) m_platform.ReportLinesAdded(m_report.lines.Count());
    if (m_report.widestLine > m_widestLine) {
        m_widestLine = m_report.widestLine;
        m_platform.SetReportExtent(static_cast<int>(m_widestLine) * m_charWidth + kReportMargin);
    }
}

// --- Status lines ----------------------------------------------------------------------------

int CTonvaleDlg::StatusIndex(ControlId id) {
    switch (id) {
    case ControlId::FileLine:
        return 0;
    case ControlId::DurationLine:
        return 1;
    case ControlId::SummaryLine:
        return 2;
    default:
        return -1;
    }
}

ByteView CTonvaleDlg::ControlText(ControlId id) const {
    const int i = StatusIndex(id);
    return i < 0 ? ByteView() : ByteView(m_statusLines[static_cast<std::size_t>(i)]);
}

void CTonvaleDlg::SetControlText(ControlId id, ByteView text) {
    // Only the status lines are read back; the window shows every text.
    if (const int i = StatusIndex(id); i >= 0)
        m_statusLines[static_cast<std::size_t>(i)].assign(text.begin(), text.end());
    m_platform.SetControlText(id, text);
}

void CTonvaleDlg::SetControlText(ControlId id, std::string_view text) {
    SetControlText(id, ByteView(reinterpret_cast<const Byte*>(text.data()), text.size()));
}

// --- The tape view's ---------------------------------------------------------------------------

// The sound of an image in the format its WAV image is made in (the timeline's clock), and the
// links, made once the sound's format is settled.
void CTonvaleDlg::MakeImageTimeline(TapeFormat soundFormat) {
    if (m_timeline && !m_timeline->Clock()) return; // a recording's timeline is the rescue's
    m_timeline =
        std::make_unique<TapeTimeline>(TapeTimeline::OfImage(m_report, m_tapeData, soundFormat));
    m_wave = std::make_unique<SynthesisedWave>(*m_timeline->Clock(), soundFormat);
    MakeLinks(std::nullopt);
}

void CTonvaleDlg::MakeLinks(std::optional<std::size_t> rescueLinesFrom) {
    m_links.reset();
    if (m_timeline) m_links.emplace(m_report, *m_timeline, rescueLinesFrom);
}

std::optional<double> CTonvaleDlg::PlayedSeconds() const {
    if (m_ticksLeft == 0) return std::nullopt;
    const std::chrono::duration<double> played = std::chrono::steady_clock::now() - m_playStart;
    // The LNW-80 plays the same sound at twice the speed.
    return played.count() * (m_platform.IsChecked(ControlId::Lnw) ? 2 : 1);
}

} // namespace tonvale
