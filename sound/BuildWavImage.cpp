// Turning the tape image back into the signal a cassette recorder plays into the TRS-80's Ear
// input: one complete WAV image in memory, every bit of the file one bit cell.
#include "sound/WavImage.h"

#include "sound/BitCells.h"
#include "sound/PlacedSignal.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace tonvale {

namespace {

constexpr Byte kZeroLine = 0x80;
constexpr Byte kHigh = 0xFF;
constexpr Byte kLow = 0x00;

// --- The bit cells ---------------------------------------------------------------------------

// The samples a 0 bit and a 1 bit become.
template <std::size_t ZeroLength, std::size_t OneLength> struct BitCells {
    std::array<Byte, ZeroLength> zero;
    std::array<Byte, OneLength> one;
};

// Level 1 and Level 2: a clock pulse opens every cell; a 1 bit has a second, data pulse half a
// cell later.
template <std::size_t Length> constexpr std::array<Byte, Length> PulseCell(bool dataPulse) {
    std::array<Byte, Length> cell{};
    cell.fill(kZeroLine);
    auto pulse = [&cell](std::size_t at) {
        for (std::size_t i = 0; i < cells::kPulseHalf; ++i) {
            cell[at + i] = kHigh;
            cell[at + cells::kPulseHalf + i] = kLow;
        }
    };
    pulse(0);
    if (dataPulse) pulse(Length / 2);
    return cell;
}

template <std::size_t Length> constexpr BitCells<Length, Length> PulseCells() {
    return {PulseCell<Length>(false), PulseCell<Length>(true)};
}

// Highspeed: one square-wave cycle per bit, low half first.
template <std::size_t Length> constexpr std::array<Byte, Length> SquareCycle() {
    std::array<Byte, Length> cell{};
    for (std::size_t i = 0; i < Length; ++i)
        cell[i] = i < Length / 2 ? kLow : kHigh;
    return cell;
}

constexpr auto kLevel1Cells = PulseCells<cells::kLevel1Cell>();
constexpr auto kLevel2Cells = PulseCells<cells::kLevel2Cell>();
constexpr BitCells<cells::kHighspeedZero, cells::kHighspeedOne> kHighspeedCells = {
    SquareCycle<cells::kHighspeedZero>(), SquareCycle<cells::kHighspeedOne>()};

// Samples a Highspeed byte takes: 16 per 0 bit, 8 per 1 bit.
constexpr std::array<std::uint8_t, 256> kHighspeedSamples = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        unsigned ones = 0;
        for (unsigned v = value; v != 0; v >>= 1)
            ones += v & 1;
        table[value] = static_cast<std::uint8_t>(
            8 * cells::kHighspeedZero - ones * (cells::kHighspeedZero - cells::kHighspeedOne));
    }
    return table;
}();

// The samples of every 4-bit group, most significant bit first: a byte is two table copies
// instead of eight cell copies. Span is the longest group; a shorter one fills its first
// `length` samples.
constexpr unsigned kGroupBits = 4;
constexpr unsigned kGroups = 1u << kGroupBits;

template <std::size_t Span> struct GroupTable {
    std::array<std::array<Byte, Span>, kGroups> samples;
    std::array<std::uint16_t, kGroups> length; // up to 336 (Level 1)

    constexpr std::size_t Shortest() const {
        std::size_t shortest = Span;
        for (std::uint16_t l : length)
            shortest = std::min<std::size_t>(shortest, l);
        return shortest;
    }
};

template <std::size_t ZeroLength, std::size_t OneLength>
constexpr auto MakeGroupTable(const BitCells<ZeroLength, OneLength>& cells) {
    GroupTable<kGroupBits * std::max(ZeroLength, OneLength)> table{};
    for (unsigned group = 0; group < kGroups; ++group) {
        std::size_t at = 0;
        for (int bit = kGroupBits - 1; bit >= 0; --bit) {
            const bool one = ((group >> bit) & 1) != 0;
            const std::size_t length = one ? OneLength : ZeroLength;
            for (std::size_t i = 0; i < length; ++i)
                table.samples[group][at + i] = one ? cells.one[i] : cells.zero[i];
            at += length;
        }
        table.length[group] = static_cast<std::uint16_t>(at);
    }
    return table;
}

constexpr auto kLevel1Groups = MakeGroupTable(kLevel1Cells);
constexpr auto kLevel2Groups = MakeGroupTable(kLevel2Cells);
constexpr auto kHighspeedGroups = MakeGroupTable(kHighspeedCells);

// A group copied whole runs past its own samples by at most Span - Shortest. Behind every group
// but the last byte's come at least two more groups (the last byte), which that excess must fit.
template <std::size_t Span> constexpr bool ExcessFitsTheLastByte(const GroupTable<Span>& table) {
    return Span - table.Shortest() <= 2 * table.Shortest();
}
static_assert(ExcessFitsTheLastByte(kLevel1Groups) && ExcessFitsTheLastByte(kLevel2Groups) &&
              ExcessFitsTheLastByte(kHighspeedGroups));

// --- Writing the image front to back -----------------------------------------------------------

Byte* PutTag(Byte* out, const char (&tag)[5]) {
    std::memcpy(out, tag, 4);
    return out + 4;
}

Byte* PutLe32(Byte* out, std::uint32_t value) {
    WriteLe32(out, value);
    return out + 4;
}

Byte* PutLe16(Byte* out, std::uint16_t value) {
    out[0] = static_cast<Byte>(value);
    out[1] = static_cast<Byte>(value >> 8);
    return out + 2;
}

// One header form for every image, the 16-bit ones too: a format block of 18 bytes that ends
// in an empty extension size. Players that take the window's 8-bit image take it, and readers
// of the 16-byte PCM form read its first 16 bytes and skip the rest, as the block's size tells.
Byte* PutWavHeader(Byte* out, std::uint32_t dataLength, std::uint32_t rate, unsigned bits) {
    constexpr std::uint32_t kFormatBlockSize = 18;
    constexpr std::uint16_t kPcm = 1;
    constexpr std::uint16_t kMono = 1;
    constexpr std::uint16_t kNoExtraBytes = 0;
    const auto blockAlign = static_cast<std::uint16_t>(bits / 8);

    out = PutTag(out, "RIFF");
    out = PutLe32(out, static_cast<std::uint32_t>(dataLength + kWavHeaderSize - 8));
    out = PutTag(out, "WAVE");
    out = PutTag(out, "fmt ");
    out = PutLe32(out, kFormatBlockSize);
    out = PutLe16(out, kPcm);
    out = PutLe16(out, kMono);
    out = PutLe32(out, rate);
    out = PutLe32(out, rate * blockAlign); // bytes per second
    out = PutLe16(out, blockAlign);
    out = PutLe16(out, static_cast<std::uint16_t>(bits));
    out = PutLe16(out, kNoExtraBytes);
    out = PutTag(out, "data");
    return PutLe32(out, dataLength);
}

Byte* PutSilence(Byte* out) {
    std::memset(out, kZeroLine, kSilenceSamples);
    return out + kSilenceSamples;
}

// The closing edge of a Highspeed sound (sound/BitCells.h), then silence.
Byte* PutTrailer(TapeFormat format, bool anyBits, Byte* out) {
    Byte* end = PutSilence(out);
    if (format == TapeFormat::Highspeed && anyBits) std::memset(out, kLow, cells::kClosingEdge);
    return end;
}

// Every bit of the tape, most significant first, as its cell, two 4-bit groups per byte. Each
// group is copied as a whole span (a constant size, so a few wide stores) and the output moves
// on by the group's own length; where that is shorter (Highspeed), the next group overwrites
// the rest. The last byte is copied exactly, so nothing is written beyond its samples.
template <std::size_t Span>
Byte* PutGroups(const GroupTable<Span>& table, ByteView tape, Byte* out) {
    if (tape.empty()) return out;
    auto put = [&table, &out](unsigned group) {
        std::memcpy(out, table.samples[group].data(), Span);
        out += table.length[group];
    };
    auto putExactly = [&table, &out](unsigned group) {
        std::memcpy(out, table.samples[group].data(), table.length[group]);
        out += table.length[group];
    };
    for (Byte value : tape.first(tape.size() - 1)) {
        put(value >> kGroupBits);
        put(value & (kGroups - 1));
    }
    putExactly(tape.back() >> kGroupBits);
    putExactly(tape.back() & (kGroups - 1));
    return out;
}

Byte* PutTape(TapeFormat format, ByteView tape, Byte* out) {
    switch (format) {
    case TapeFormat::Level1:
        return PutGroups(kLevel1Groups, tape, out);
    case TapeFormat::Level2:
        return PutGroups(kLevel2Groups, tape, out);
    case TapeFormat::Highspeed:
        return PutGroups(kHighspeedGroups, tape, out);
    default:
        return out; // no format found: silence only
    }
}

// The window's image from the cell tables above, with the interface of PlacedSignal.
struct TableSignal {
    Byte* PutSilence(Byte* out) const { return tonvale::PutSilence(out); }
    Byte* PutTape(TapeFormat format, ByteView tape, Byte* out) const {
        return tonvale::PutTape(format, tape, out);
    }
    Byte* PutTrailer(TapeFormat format, bool anyBits, Byte* out) const {
        return tonvale::PutTrailer(format, anyBits, out);
    }
};

// --- The sound options ------------------------------------------------------------------------

// The rate the samples are made at. The LNW-80 plays the window's image, made at 22050, at
// twice that rate; with a rate given, its image is made at half the rate and labelled with it.
std::uint32_t MadeAtRate(bool lnw, const SoundOptions& sound) {
    if (sound.rate == 0) return kSampleRate;
    return lnw ? sound.rate / 2 : sound.rate;
}

std::uint32_t HeaderRate(bool lnw, const SoundOptions& sound) {
    if (sound.rate != 0) return sound.rate;
    return lnw ? kLnwSampleRate : kSampleRate;
}

// 16 bits when asked for, else 8.
unsigned SampleBits(const SoundOptions& sound) {
    return sound.bits == 16 ? 16 : 8;
}

// The options that make the window's image: the cell tables make it, much faster than edges.
bool MadeFromTables(bool lnw, const SoundOptions& sound) {
    return MadeAtRate(lnw, sound) == kSampleRate && SampleBits(sound) == 8 && !sound.invert &&
           sound.gainDb == 0;
}

PlacedSignal SignalFor(bool lnw, const SoundOptions& sound) {
    return PlacedSignal(sound, MadeAtRate(lnw, sound));
}

} // namespace

// --- The image's numbers ----------------------------------------------------------------------

std::uint64_t WavDataLength(TapeFormat format, ByteView tape) {
    const std::uint64_t silence = 2 * kSilenceSamples;
    const std::uint64_t n = tape.size();
    switch (format) {
    case TapeFormat::Level1:
        return n * 8 * kLevel1Cells.zero.size() + silence;
    case TapeFormat::Level2:
        return n * 8 * kLevel2Cells.zero.size() + silence;
    case TapeFormat::Highspeed: {
        std::uint64_t samples = silence;
        for (Byte value : tape)
            samples += kHighspeedSamples[value];
        return samples;
    }
    default:
        return silence;
    }
}

std::uint64_t WavDataLength(TapeFormat format, ByteView tape, bool lnw, const SoundOptions& sound) {
    const PlacedSignal signal = SignalFor(lnw, sound);
    return signal.Placed(WavDataLength(format, tape)) * signal.SampleBytes();
}

bool FitsWavSizeFields(std::uint64_t dataLength) {
    return dataLength <= std::numeric_limits<std::uint32_t>::max() - (kWavHeaderSize - 8);
}

std::uint32_t PlayMillis(std::uint64_t dataLength) {
    return static_cast<std::uint32_t>(static_cast<double>(dataLength) * (1000.0 / kSampleRate));
}

std::uint32_t PlayMillis(std::uint64_t dataLength, bool lnw, const SoundOptions& sound) {
    const std::uint32_t rate = MadeAtRate(lnw, sound);
    const std::uint64_t samples = dataLength / (SampleBits(sound) / 8);
    if (rate == kSampleRate) return PlayMillis(samples);
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(samples * 1000 / rate, std::numeric_limits<std::uint32_t>::max()));
}

std::uint32_t ReadLe32(const Byte* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void WriteLe32(Byte* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<Byte>(value >> (8 * i));
}

void SetWavRate(Byte* image, bool lnw) {
    const std::uint32_t rate = lnw ? kLnwSampleRate : kSampleRate;
    WriteLe32(image + kWavRateOffset, rate);
    WriteLe32(image + kWavByteRateOffset, rate);
}

void FormatDuration(TextBuffer& text, std::uint32_t millis) {
    // Rounded to the nearest second; from 49.5 s on the minutes form is used.
    constexpr std::uint32_t kMinutesFrom = 49500;
    const std::uint64_t rounded = static_cast<std::uint64_t>(millis) + 499;
    if (millis < kMinutesFrom)
        text.Format("{} seconds", static_cast<unsigned>(rounded / 1000));
    else
        text.Format("{} minutes and {:02} seconds", static_cast<unsigned>(rounded / 60000),
                    static_cast<unsigned>(rounded / 1000 % 60));
}

// --- Building --------------------------------------------------------------------------------

namespace {

template <class Signal> Byte* PutImage(Signal signal, TapeFormat format, ByteView tape, Byte* out) {
    out = signal.PutSilence(out);
    out = signal.PutTape(format, tape, out);
    return signal.PutTrailer(format, !tape.empty(), out);
}

// Hands the image out in slices of `sliceBytes` tape bytes, whose samples fit `bufferSize`.
template <class Signal, class PutHeader>
bool WriteImage(Signal signal, TapeFormat format, ByteView tape, PutHeader putHeader,
                std::size_t sliceBytes, std::size_t bufferSize,
                const std::function<bool(ByteView)>& write) {
    std::vector<Byte> buffer(bufferSize);
    auto flush = [&](const Byte* end) {
        return write(ByteView(buffer.data(), static_cast<std::size_t>(end - buffer.data())));
    };
    if (!flush(signal.PutSilence(putHeader(buffer.data())))) return false;
    for (std::size_t from = 0; from < tape.size(); from += sliceBytes) {
        const ByteView slice = tape.subspan(from, std::min(sliceBytes, tape.size() - from));
        if (!flush(signal.PutTape(format, slice, buffer.data()))) return false;
    }
    return flush(signal.PutTrailer(format, !tape.empty(), buffer.data()));
}

} // namespace

WavImage BuildWavImage(TapeFormat format, ByteView tape) {
    return BuildWavImage(format, tape, false, SoundOptions{});
}

WavImage BuildWavImage(TapeFormat format, ByteView tape, bool lnw, const SoundOptions& sound) {
    WavImage image;
    const std::uint64_t dataLength = WavDataLength(format, tape, lnw, sound);
    image.playMillis = PlayMillis(dataLength, lnw, sound);
    image.size = dataLength + kWavHeaderSize;
    if (!FitsWavSizeFields(dataLength) || image.size > std::numeric_limits<std::size_t>::max())
        return image;
    image.bytes.reset(new (std::nothrow) Byte[static_cast<std::size_t>(image.size)]);
    if (!image.bytes) return image;

    Byte* out = PutWavHeader(image.bytes.get(), static_cast<std::uint32_t>(dataLength),
                             HeaderRate(lnw, sound), SampleBits(sound));
    if (MadeFromTables(lnw, sound))
        PutImage(TableSignal{}, format, tape, out);
    else
        PutImage(SignalFor(lnw, sound), format, tape, out);
    return image;
}

bool WriteWavImage(TapeFormat format, ByteView tape, bool lnw,
                   const std::function<bool(ByteView)>& write) {
    return WriteWavImage(format, tape, lnw, SoundOptions{}, write);
}

bool WriteWavImage(TapeFormat format, ByteView tape, bool lnw, const SoundOptions& sound,
                   const std::function<bool(ByteView)>& write) {
    const std::uint64_t dataLength = WavDataLength(format, tape, lnw, sound);
    if (!FitsWavSizeFields(dataLength)) return false;
    auto putHeader = [&](Byte* out) {
        return PutWavHeader(out, static_cast<std::uint32_t>(dataLength), HeaderRate(lnw, sound),
                            SampleBits(sound));
    };

    // The longest byte is Level 1's: 8 cells of 84 samples at 22050.
    constexpr std::size_t kLongestByte = 8 * cells::kLevel1Cell;
    if (MadeFromTables(lnw, sound)) {
        constexpr std::size_t kSliceBytes = 1536;
        constexpr std::size_t kMostSamples = kSliceBytes * kLongestByte;
        static_assert(kMostSamples >= kWavHeaderSize + 2 * kSilenceSamples);
        return WriteImage(TableSignal{}, format, tape, putHeader, kSliceBytes, kMostSamples, write);
    }
    // Edges are slower to lay down than tables are to copy: smaller slices keep the buffer
    // small at the higher rates and 16 bits.
    constexpr std::size_t kSliceBytes = 256;
    const PlacedSignal signal = SignalFor(lnw, sound);
    const auto most = [&signal](std::uint64_t clockSamples) {
        return static_cast<std::size_t>(signal.Placed(clockSamples) + 1) * signal.SampleBytes();
    };
    return WriteImage(
        signal, format, tape, putHeader, kSliceBytes,
        std::max(most(kSliceBytes * kLongestByte), kWavHeaderSize + most(2 * kSilenceSamples)),
        write);
}

} // namespace tonvale
