#include "app/TonvaleDlg.h"

namespace tonvale {

// Placeholder until the synthesis is written.
void CTonvaleDlg::BuildWavImage() {}
void CTonvaleDlg::FormatDuration(TextBuffer& text, std::uint32_t millis) { text.Format("%u", millis); }
void CTonvaleDlg::OnOK() {}
void CTonvaleDlg::OnTimer(unsigned) {}
void CTonvaleDlg::OnLnw1kHz() {}
void CTonvaleDlg::OnSave() {}
void CTonvaleDlg::OnSaveWav() {}

} // namespace tonvale
