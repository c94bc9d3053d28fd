// The WAV image of any image, in whatever format the walk (or the prompt) settles on.
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tonvale::fuzz::Harness harness(data, size);
    harness.Load(data, size);
    harness.dlg.BuildWavImage();
    const auto& dlg = harness.dlg;
    if (dlg.m_wavImage) {
        // The header's sizes must describe the block exactly.
        const auto* h = dlg.m_wavImage.get();
        const std::uint64_t riff = h[4] | h[5] << 8 | h[6] << 16 | std::uint64_t{h[7]} << 24;
        if (riff + 8 != dlg.m_wavSize) __builtin_trap();
    }
    return 0;
}
