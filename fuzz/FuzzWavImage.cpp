// The WAV image of any image, in the format the analysis (or the prompt) settles on, with the
// sound options the first byte's top bits choose: its header describes it exactly, and handed
// out in pieces it is the same image.
#include "FuzzTarget.h"
#include "sound/WavImage.h"

#include <cstring>

namespace {

tonvale::SoundOptions SoundOf(std::uint8_t choice) {
    const bool inverted = (choice & 0x80) != 0;
    return {.rate = choice & 0x40 ? 48000u : 0u,
            .bits = choice & 0x20 ? 16u : 8u,
            .invert = inverted,
            .gainDb = inverted ? -6.0 : 0.0};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tonvale;
    fuzz::Input input(data, size);
    const TapeReport report = AnalyseTape(input.image, input, AnalysisSettings{});
    const TapeFormat format = report.mixedFormats ? input.Format() : report.lastFormat;
    const SoundOptions sound = SoundOf(input.choice);
    const WavImage wav = BuildWavImage(format, input.image, input.Lnw(), sound);
    if (!wav.bytes) return 0;
    if (ReadLe32(wav.bytes.get() + kWavRiffSizeOffset) + 8 != wav.size ||
        ReadLe32(wav.bytes.get() + kWavDataSizeOffset) + kWavHeaderSize != wav.size)
        __builtin_trap();
    std::uint64_t at = 0;
    const bool written =
        WriteWavImage(format, input.image, input.Lnw(), sound, [&](ByteView piece) {
            if (at + piece.size() > wav.size ||
                std::memcmp(wav.bytes.get() + at, piece.data(), piece.size()) != 0)
                __builtin_trap();
            at += piece.size();
            return true;
        });
    if (!written || at != wav.size) __builtin_trap();
    return 0;
}
