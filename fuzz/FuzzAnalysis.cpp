// The whole walk over an image: every decoder, both answers to the level prompt, with and
// without the TRS-80 font.
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tonvale::fuzz::Harness harness(data, size);
    harness.Load(data, size);
    // The saved report must be composable from whatever the walk produced.
    (void)harness.dlg.ComposeReportText();
    return 0;
}
