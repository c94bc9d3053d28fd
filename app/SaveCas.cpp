// "Save &CAS": the tape rescued from a recording, as a .cas file beside it.
#include "app/RecordingName.h"
#include "app/SafeFile.h"
#include "app/TonvaleDlg.h"

namespace tonvale {

void CTonvaleDlg::OnSaveCas() {
    if (!m_rescued) return; // the button is off
    const std::optional<std::string> name = m_platform.AskSaveFileName(
        RescuedTapeName(m_path), {{"cassette file (*.cas)", "*.CAS"}, {"any file (*.*)", "*.*"}});
    if (!name) return;
    SaveFileOrComplain(m_platform, m_text, *name, m_tapeData);
}

} // namespace tonvale
