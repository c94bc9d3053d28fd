#include "app/TonvaleDlg.h"

namespace tonvale {

// Placeholder until the decoder is written.
std::size_t CTonvaleDlg::ListEdtasmSource(ByteView file) { return ReportUnidentified(file); }

} // namespace tonvale
