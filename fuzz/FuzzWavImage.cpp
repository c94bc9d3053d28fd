// The WAV image of any image, in the format the analysis (or the prompt) settles on: its header
// describes it exactly, and handed out in pieces it is the same image.
#include "FuzzTarget.h"
#include "sound/WavImage.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tonvale;
    fuzz::Input input(data, size);
    const TapeReport report = AnalyseTape(input.image, input, AnalysisSettings{});
    const TapeFormat format = report.mixedFormats ? input.Format() : report.lastFormat;
    WavImage wav = BuildWavImage(format, input.image);
    if (!wav.bytes) return 0;
    if (ReadLe32(wav.bytes.get() + kWavRiffSizeOffset) + 8 != wav.size) __builtin_trap();
    SetWavRate(wav.bytes.get(), input.Lnw());
    std::uint64_t at = 0;
    const bool written = WriteWavImage(format, input.image, input.Lnw(), [&](ByteView piece) {
        if (at + piece.size() > wav.size ||
            std::memcmp(wav.bytes.get() + at, piece.data(), piece.size()) != 0)
            __builtin_trap();
        at += piece.size();
        return true;
    });
    if (!written || at != wav.size) __builtin_trap();
    return 0;
}
