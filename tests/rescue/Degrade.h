#pragma once
// Making the product's own sound look like a capture of a worn cassette: what a tape, a
// recorder and a sound card do to it.
#include "base/Bytes.h"
#include "base/Formats.h"

#include <string>
#include <vector>
#if TONVALE_RECORDING
#include <sndfile.h>
#endif

namespace tonvale::test {

inline constexpr double kSynthesisRate = 22050;

struct Recording {
    std::vector<float> samples;
    double rate = kSynthesisRate;
};

// The tape image's sound as the product makes it, from -0.5 to 0.5, with half a second of
// silence either side.
Recording Synthesise(TapeFormat format, ByteView image);
// Two recordings one after the other, a second of silence between.
Recording Join(const Recording& first, const Recording& second);

// Played back at `speed` (1.06: 6% fast), its speed wobbling by `wow` (0.01: 1%) at 0.7 Hz, and
// captured at `rate`, interpolating between the samples.
Recording Capture(const Recording& in, double rate, double speed = 1, double wow = 0);
void Gain(Recording& r, float gain);
void Clip(Recording& r, float limit);
void Offset(Recording& r, float dc);
void Noise(Recording& r, double snrDb, unsigned seed = 1);
// The tape head's band: a high-pass and a low-pass, turning pulses into biphasic blips.
void TapeHead(Recording& r, double lowHz, double highHz);
// Loud noise over `seconds` from `at`: the signal there is destroyed.
void Burst(Recording& r, double at, double seconds);
// No signal over `seconds` from `at`: the oxide fell off.
void Dropout(Recording& r, double at, double seconds);
// The first half-cycle from `at` lost (`extra` false) or heard twice: the sound behind it is
// upside down.
void SlipHalfCycle(Recording& r, double at, bool extra);

#if TONVALE_RECORDING
// The recording as a sound file (16-bit WAV unless `format` says otherwise); with `channels`
// above 1 its samples are that many channels' frames, interleaved. Returns the path.
std::string WriteSoundFile(const std::string& path, const Recording& r, int channels = 1,
                           int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16);
#endif

} // namespace tonvale::test
