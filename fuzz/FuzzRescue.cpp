// The rescue over any sound: the first byte chooses the sample rate and the formats listened
// for, every further byte is one sample (8-bit, 128 the zero line, as the WAV image has them).
#include "analysis/AnalyseTape.h"
#include "rescue/Rescue.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tonvale;
    if (size == 0) return 0;
    const double rates[] = {8000, 11025, 22050, 44100};
    const TapeFormat formats[] = {TapeFormat::None, TapeFormat::Level1or2, TapeFormat::Highspeed,
                                  TapeFormat::None};
    std::vector<float> samples;
    for (std::size_t i = 1; i < size; ++i)
        samples.push_back((static_cast<float>(data[i]) - 128.0f) / 128.0f);
    MemorySampleSource source(samples, rates[data[0] & 3]);
    RescueSettings settings;
    settings.format = formats[(data[0] >> 2) & 3];
    const RescueResult result = RescueRecording(source, settings);
    FixedLevel answer;
    const TapeReport report = AnalyseTape(result.image, answer, AnalysisSettings{});
    for (const RescuedTapeFile& file : result.files) {
        if (file.heard > file.data.size() || file.imageBit > 8 * result.image.size())
            __builtin_trap();
        for (const SignalGap& gap : file.gaps)
            if (gap.offset > file.data.size() || gap.toSeconds < gap.fromSeconds) __builtin_trap();
    }
    return RescueLines(result, report).empty() ? 1 : 0;
}
