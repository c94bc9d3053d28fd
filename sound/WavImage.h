#pragma once
// The WAV image as the synthesis builds it: a 46-byte RIFF/WAVE header, then unsigned 8-bit
// mono samples (128 is the zero line). Playback, the sound output and the tests read it too.
#include "app/Bytes.h"
#include "app/Formats.h"

#include <cstddef>
#include <cstdint>

namespace tonvale {

class CTonvaleDlg;

inline constexpr std::size_t kWavHeaderSize = 46;
inline constexpr std::size_t kWavRiffSizeOffset = 4;
inline constexpr std::size_t kWavRateOffset = 24;
inline constexpr std::size_t kWavByteRateOffset = 28;
inline constexpr std::size_t kWavDataSizeOffset = 42;

inline constexpr std::uint32_t kSampleRate = 22050;
inline constexpr std::uint32_t kLnwSampleRate = 44100;

// Silence before and after the tape, in samples.
inline constexpr std::uint64_t kSilenceSamples = 10;

// Samples of the whole data chunk: the silence and the tape in this format. Counted in 64 bits,
// since a long Level 1 tape goes far beyond 32.
std::uint64_t WavDataLength(TapeFormat format, ByteView tape);

// A WAV file keeps its sizes in 32-bit fields; the largest, the RIFF size, is the data length
// plus 38. A longer image cannot be written as a WAV file at all.
bool FitsWavSizeFields(std::uint64_t dataLength);

// Playing time in whole milliseconds at 22050 samples per second, truncated.
std::uint32_t PlayMillis(std::uint64_t dataLength);

std::uint32_t ReadLe32(const Byte* at);
void WriteLe32(Byte* at, std::uint32_t value);

// The "&LNW 1kHz" box applied to the current WAV image: its header rate (44100 ticked, else
// 22050) and the duration line (half the time when ticked). Nothing happens without an image.
void ApplyLnwOption(CTonvaleDlg& dlg);

} // namespace tonvale
