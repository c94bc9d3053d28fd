// "Save &Wav": the WAV image, byte for byte, as a .wav file.
#include "app/ProposedName.h"
#include "app/SafeFile.h"
#include "app/TonvaleDlg.h"

namespace tonvale {

void CTonvaleDlg::OnSaveWav() {
    if (!m_wav.bytes) {
        m_platform.ShowMessage(ToBytes("There is no WAV present"), kCaptionWhatNot,
                               MessageIcon::Exclamation);
        return;
    }
    const std::optional<std::string> name = m_platform.AskSaveFileName(
        ProposedName(m_path, ".wav"), {{"wave file (*.wav)", "*.WAV"}, {"any file (*.*)", "*.*"}});
    if (!name) return;
    SaveFileOrComplain(m_platform, m_text, *name, m_wav.View());
}

} // namespace tonvale
