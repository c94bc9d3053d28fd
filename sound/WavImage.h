#pragma once
// The WAV image as the synthesis builds it: a 46-byte RIFF/WAVE header, then mono samples,
// unsigned 8-bit (128 is the zero line) unless the sound options ask for 16-bit. Playback, the
// sound output and the tests read it too.
#include "base/Bytes.h"
#include "base/Formats.h"
#include "base/TextBuffer.h"
#include "sound/SoundOptions.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace tonvale {

inline constexpr std::size_t kWavHeaderSize = 46;
inline constexpr std::size_t kWavRiffSizeOffset = 4;
inline constexpr std::size_t kWavRateOffset = 24;
inline constexpr std::size_t kWavByteRateOffset = 28;
inline constexpr std::size_t kWavBlockAlignOffset = 32;
inline constexpr std::size_t kWavBitsOffset = 34;
inline constexpr std::size_t kWavDataSizeOffset = 42;

inline constexpr std::uint32_t kSampleRate = 22050;
inline constexpr std::uint32_t kLnwSampleRate = 44100;

// Silence before and after the tape, in samples.
inline constexpr std::uint64_t kSilenceSamples = 10;

// Samples of the whole data chunk: the silence and the tape in this format. Counted in 64 bits,
// since a long Level 1 tape goes far beyond 32.
std::uint64_t WavDataLength(TapeFormat format, ByteView tape);
// Bytes of the data chunk with these sound options.
std::uint64_t WavDataLength(TapeFormat format, ByteView tape, bool lnw, const SoundOptions& sound);

// A WAV file keeps its sizes in 32-bit fields; the largest, the RIFF size, is the data length
// plus 38. A longer image cannot be written as a WAV file at all.
bool FitsWavSizeFields(std::uint64_t dataLength);

// Playing time in whole milliseconds at 22050 samples per second, truncated.
std::uint32_t PlayMillis(std::uint64_t dataLength);
// The same for a data chunk of `dataLength` bytes made with these options. Like the form above
// it is the time at normal speed: the LNW-80 plays the image in half of it.
std::uint32_t PlayMillis(std::uint64_t dataLength, bool lnw, const SoundOptions& sound);

std::uint32_t ReadLe32(const Byte* at);
void WriteLe32(Byte* at, std::uint32_t value);

// The header's sample rate: 44100 for the LNW-80 ("&LNW 1kHz"), else 22050.
void SetWavRate(Byte* image, bool lnw);

// The duration text for m milliseconds: "%u seconds" or "%u minutes and %02u seconds".
void FormatDuration(TextBuffer& text, std::uint32_t millis);

// One complete WAV image in memory: header, silence, every bit of the tape, silence.
struct WavImage {
    std::unique_ptr<Byte[]> bytes; // null when there is none
    std::uint64_t size = 0;        // also set when the image could not be had
    std::uint32_t playMillis = 0;  // at normal speed, as PlayMillis

    ByteView View() const {
        return bytes ? ByteView(bytes.get(), static_cast<std::size_t>(size)) : ByteView();
    }
};

// The image of `tape` in `format` at 22050 samples per second. Its bytes stay null when its
// sizes do not fit a WAV file (check FitsWavSizeFields first) or memory runs out.
WavImage BuildWavImage(TapeFormat format, ByteView tape);
// The image with these sound options, its header labelled for the LNW-80 when `lnw`.
WavImage BuildWavImage(TapeFormat format, ByteView tape, bool lnw, const SoundOptions& sound);

// The same image handed out front to back in pieces of at most about a megabyte, so that a
// long one need not be held; stops when `write` returns false and returns false then.
bool WriteWavImage(TapeFormat format, ByteView tape, bool lnw,
                   const std::function<bool(ByteView)>& write);
bool WriteWavImage(TapeFormat format, ByteView tape, bool lnw, const SoundOptions& sound,
                   const std::function<bool(ByteView)>& write);

} // namespace tonvale
