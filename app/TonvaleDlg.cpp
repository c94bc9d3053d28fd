#include "app/TonvaleDlg.h"

#include "app/CommandLine.h"

#include <algorithm>
#include <new>

namespace tonvale {

CTonvaleDlg::CTonvaleDlg(Platform& platform) : m_platform(platform) {}

CTonvaleDlg::~CTonvaleDlg() {
    DestroyWindow();
}

void CTonvaleDlg::OnInitDialog() {
    m_timer = 0;
    m_wavImage.reset();
    m_wavSize = 0;
    m_tapeSize = 0;
    m_tapeData.reset();

    m_trsFont = m_platform.UseTrsFont();
    m_lineTags.assign(1000, 0);
    m_lineTagCap = 1000;
    m_report.Clear();
    m_platform.ReportCleared();
    m_report.Add(ToBytes("<no data>"));
    m_lineTags[0] = kTagPlain;
    m_platform.ReportLineAdded(0);
    m_charWidth = m_platform.ReportCharWidth();
    m_widestLine = 9;
    m_platform.SetReportExtent(m_charWidth * 9 + 4);
}

void CTonvaleDlg::DestroyWindow() {
    // The sound output may still read the image: stop it before anything is freed.
    if (m_wavImage) m_platform.StopSound();
    m_timer = 0;
    m_wavImage.reset();
    m_tapeData.reset();
}

void CTonvaleDlg::OpenTape(const std::string& path) {
    m_path = path;
    m_text.Set(kWindowTitle);
    m_text.Append(" - ");
    m_text.Append(FileNamePart(m_path));
    m_platform.SetWindowTitle(m_text.View());
    LoadTapeImage(m_path);
    BuildWavImage();
    if (m_platform.IsChecked(ControlId::Autoplay)) OnOK();
}

void CTonvaleDlg::OnOpenCommandLine(std::string_view commandLine) {
    std::string argument = FirstArgument(commandLine);
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
    if (m_timer != 0 || !m_platform.IsControlEnabled(ControlId::OpenNew)) return;
    if (paths.size() != 1) {
        m_platform.ShowMessage(ToBytes("Tonvale can accept\nonly one file at a time"), kCaptionHow,
                               MessageIcon::Exclamation);
        return;
    }
    OpenTape(paths.front());
}

void CTonvaleDlg::OnOpenNew() {
    if (m_timer != 0) return;
    std::optional<std::string> path = m_platform.AskOpenFileName(
        "Open (*.CAS)", "CAS", {{"Cassette file (*.cas)", "*.CAS"}, {"All files (*.*)", "*.*"}});
    if (path) OpenTape(*path);
}

// --- The report --------------------------------------------------------------------------

void CTonvaleDlg::AddReportLine(ByteView text, Byte tag) {
    const int n = static_cast<int>(text.size());
    const std::size_t i = m_report.Count();
    // The tag array grows in steps of 1000; a line that cannot get its tag is not added.
    if (static_cast<std::size_t>(m_lineTagCap) <= i) {
        try {
            m_lineTags.resize(static_cast<std::size_t>(m_lineTagCap) + 1000, 0);
        } catch (const std::bad_alloc&) {
            return;
        }
        m_lineTagCap += 1000;
    }
    if (!m_report.Add(text)) return;
    m_lineTags[i] = tag;
    if (n > m_widestLine) {
        m_widestLine = n;
        m_platform.SetReportExtent(m_charWidth * n + 4);
    }
    m_platform.ReportLineAdded(i);
}

void CTonvaleDlg::AddReportLine(std::string_view text, Byte tag) {
    AddReportLine(ByteView(reinterpret_cast<const Byte*>(text.data()), text.size()), tag);
}

void CTonvaleDlg::ClearReport() {
    m_widestLine = 0;
    m_report.Clear();
    m_platform.ReportCleared();
}

void CTonvaleDlg::SplitLongLine(TextBuffer& text) {
    while (text.Length() > kListingWidth) {
        AddReportLine(text.View().first(kListingWidth), kTagContinued);
        text.DropFront(kListingWidth);
    }
}

Bytes CTonvaleDlg::ComposeReportText() const {
    Bytes out;
    // The file line is read back through a 357-byte window text buffer.
    ByteView fileLine = ControlText(ControlId::FileLine);
    out.insert(out.end(), fileLine.begin(),
               fileLine.begin() + std::min<std::size_t>(fileLine.size(), 356));
    out.push_back('\r');
    out.push_back('\n');
    for (std::size_t i = 0; i < m_report.Count(); ++i) {
        ByteView line = m_report.Line(i);
        out.insert(out.end(), line.begin(), line.end());
        if (m_lineTags[i] == kTagPlain) {
            out.push_back('\r');
            out.push_back('\n');
        }
    }
    return out;
}

// --- Status lines and verdicts -------------------------------------------------------------

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

void CTonvaleDlg::AppendToControl(ControlId id, std::string_view word) {
    m_text.Set(ControlText(id));
    m_text.Append(word);
    SetControlText(id, m_text.View());
}

void CTonvaleDlg::Describe(const TextBuffer& description) {
    if (m_prevFormat == TapeFormat::None)
        SetControlText(ControlId::FileLine, description.View());
    else
        AddReportLine(description);
}

void CTonvaleDlg::AppendVerdict(bool bad, bool suspicious) {
    if (m_prevFormat == TapeFormat::None)
        AppendToControl(ControlId::FileLine, bad ? " bad" : suspicious ? " suspicious" : " ok");
    AppendSummaryWord(bad ? Verdict::Bad : suspicious ? Verdict::Suspicious : Verdict::Ok);
}

void CTonvaleDlg::AppendSummaryWord(Verdict verdict) {
    static constexpr std::string_view kWords[] = {" ok!", " ok?", " bad", " ..?"};
    m_verdicts.push_back(verdict);
    AppendToControl(ControlId::SummaryLine, kWords[static_cast<int>(verdict)]);
}

} // namespace tonvale
