// "&Save": the file line and the report as a text file.
#include "app/ProposedName.h"
#include "app/SafeFile.h"
#include "app/TonvaleDlg.h"

namespace tonvale {

void CTonvaleDlg::OnSave() {
    if (m_tapeData.empty()) {
        m_platform.ShowMessage(ToBytes("There is no CAS loaded yet"), kCaptionWhatNot,
                               MessageIcon::Exclamation);
        return;
    }
    const std::optional<std::string> name = m_platform.AskSaveFileName(
        ProposedName(m_path, ".txt"), {{"text file (*.txt)", "*.TXT"}, {"any file (*.*)", "*.*"}});
    if (!name) return;
    SaveFileOrComplain(m_platform, m_text, *name, ComposeReportText());
}

} // namespace tonvale
