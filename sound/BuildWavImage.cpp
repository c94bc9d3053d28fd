// Turning the tape image back into the signal a cassette recorder plays into the TRS-80's Ear
// input: one complete WAV image in memory, every bit of the file one bit cell.
#include "sound/WavImage.h"

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

// Level 1 and Level 2: a clock pulse (three samples high, three low) opens every cell; a 1 bit
// has a second, data pulse half a cell later.
template <std::size_t Length> constexpr std::array<Byte, Length> PulseCell(bool dataPulse) {
    std::array<Byte, Length> cell{};
    cell.fill(kZeroLine);
    auto pulse = [&cell](std::size_t at) {
        for (std::size_t i = 0; i < 3; ++i) {
            cell[at + i] = kHigh;
            cell[at + 3 + i] = kLow;
        }
    };
    pulse(0);
    if (dataPulse) pulse(Length / 2);
    return cell;
}

template <std::size_t Length> constexpr BitCells<Length, Length> PulseCells() {
    return {PulseCell<Length>(false), PulseCell<Length>(true)};
}

// Highspeed: one square-wave cycle per bit, low half first; a 1 bit is twice as fast.
template <std::size_t Length> constexpr std::array<Byte, Length> SquareCycle() {
    std::array<Byte, Length> cell{};
    for (std::size_t i = 0; i < Length; ++i)
        cell[i] = i < Length / 2 ? kLow : kHigh;
    return cell;
}

constexpr BitCells<84, 84> kLevel1Cells = PulseCells<84>();
constexpr BitCells<44, 44> kLevel2Cells = PulseCells<44>();
constexpr BitCells<16, 8> kHighspeedCells = {SquareCycle<16>(), SquareCycle<8>()};

// Samples a Highspeed byte takes: 16 per 0 bit, 8 per 1 bit.
constexpr std::array<std::uint8_t, 256> kHighspeedSamples = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        unsigned ones = 0;
        for (unsigned v = value; v != 0; v >>= 1)
            ones += v & 1;
        table[value] = static_cast<std::uint8_t>(128 - 8 * ones);
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

Byte* PutWavHeader(Byte* out, std::uint32_t dataLength) {
    constexpr std::uint32_t kFormatBlockSize = 18;
    constexpr std::uint16_t kPcm = 1;
    constexpr std::uint16_t kMono = 1;
    constexpr std::uint16_t kBlockAlign = 1;
    constexpr std::uint16_t kBitsPerSample = 8;
    constexpr std::uint16_t kNoExtraBytes = 0;

    out = PutTag(out, "RIFF");
    out = PutLe32(out, static_cast<std::uint32_t>(dataLength + kWavHeaderSize - 8));
    out = PutTag(out, "WAVE");
    out = PutTag(out, "fmt ");
    out = PutLe32(out, kFormatBlockSize);
    out = PutLe16(out, kPcm);
    out = PutLe16(out, kMono);
    out = PutLe32(out, kSampleRate);
    out = PutLe32(out, kSampleRate); // bytes per second: one byte per sample
    out = PutLe16(out, kBlockAlign);
    out = PutLe16(out, kBitsPerSample);
    out = PutLe16(out, kNoExtraBytes);
    out = PutTag(out, "data");
    return PutLe32(out, dataLength);
}

Byte* PutSilence(Byte* out) {
    std::memset(out, kZeroLine, kSilenceSamples);
    return out + kSilenceSamples;
}

// A Model III reads Highspeed bits from one falling edge to the next, and every cycle ends on
// its high half: the last bit of the tape ends only when the level falls again. So the
// trailing silence of a Highspeed sound begins with the low half of a short cycle; without it
// the machine waits for that edge forever and never gets the tape's last byte.
constexpr std::size_t kClosingEdgeSamples = 4;

Byte* PutTrailer(TapeFormat format, bool anyBits, Byte* out) {
    Byte* end = PutSilence(out);
    if (format == TapeFormat::Highspeed && anyBits) std::memset(out, kLow, kClosingEdgeSamples);
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

bool FitsWavSizeFields(std::uint64_t dataLength) {
    return dataLength <= std::numeric_limits<std::uint32_t>::max() - (kWavHeaderSize - 8);
}

std::uint32_t PlayMillis(std::uint64_t dataLength) {
    return static_cast<std::uint32_t>(static_cast<double>(dataLength) * (1000.0 / kSampleRate));
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
        text.Format("%u seconds", static_cast<unsigned>(rounded / 1000));
    else
        text.Format("%u minutes and %02u seconds", static_cast<unsigned>(rounded / 60000),
                    static_cast<unsigned>(rounded / 1000 % 60));
}

// --- Building --------------------------------------------------------------------------------

WavImage BuildWavImage(TapeFormat format, ByteView tape) {
    WavImage image;
    const std::uint64_t dataLength = WavDataLength(format, tape);
    image.playMillis = PlayMillis(dataLength);
    image.size = dataLength + kWavHeaderSize;
    if (!FitsWavSizeFields(dataLength) || image.size > std::numeric_limits<std::size_t>::max())
        return image;
    image.bytes.reset(new (std::nothrow) Byte[static_cast<std::size_t>(image.size)]);
    if (!image.bytes) return image;

    Byte* out = PutWavHeader(image.bytes.get(), static_cast<std::uint32_t>(dataLength));
    out = PutSilence(out);
    out = PutTape(format, tape, out);
    PutTrailer(format, !tape.empty(), out);
    return image;
}

bool WriteWavImage(TapeFormat format, ByteView tape, bool lnw,
                   const std::function<bool(ByteView)>& write) {
    const std::uint64_t dataLength = WavDataLength(format, tape);
    if (!FitsWavSizeFields(dataLength)) return false;

    // A Level 1 byte is the longest: 8 cells of 84 samples.
    constexpr std::size_t kSliceBytes = 1536;
    constexpr std::size_t kMostSamples = kSliceBytes * 8 * kLevel1Cells.zero.size();
    static_assert(kMostSamples >= kWavHeaderSize + 2 * kSilenceSamples);
    std::vector<Byte> buffer(kMostSamples);
    auto flush = [&](const Byte* end) {
        return write(ByteView(buffer.data(), static_cast<std::size_t>(end - buffer.data())));
    };

    Byte* out = PutWavHeader(buffer.data(), static_cast<std::uint32_t>(dataLength));
    SetWavRate(buffer.data(), lnw);
    out = PutSilence(out);
    if (!flush(out)) return false;
    for (std::size_t from = 0; from < tape.size(); from += kSliceBytes) {
        const ByteView slice = tape.subspan(from, std::min(kSliceBytes, tape.size() - from));
        if (!flush(PutTape(format, slice, buffer.data()))) return false;
    }
    return flush(PutTrailer(format, !tape.empty(), buffer.data()));
}

} // namespace tonvale
