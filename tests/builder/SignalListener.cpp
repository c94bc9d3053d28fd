#include "builder/SignalListener.h"

#include <vector>

namespace tonvale::test {

namespace {

constexpr Byte kZeroLine = 0x80;
constexpr Byte kHigh = 0xFF;
constexpr Byte kLow = 0x00;
constexpr std::size_t kPulseLength = 6;

bool WholePulseAt(ByteView signal, std::size_t i) {
    if (i + kPulseLength > signal.size()) return false;
    for (std::size_t k = 0; k < kPulseLength; ++k)
        if (signal[i + k] != (k < 3 ? kHigh : kLow)) return false;
    return true;
}

void HearBit(Heard& heard, bool one, Byte& value) {
    value = static_cast<Byte>(value << 1 | one);
    if (++heard.bits % 8 == 0) heard.bytes.push_back(value);
}

} // namespace

Heard ListenToPulses(ByteView signal, std::size_t cell) {
    Heard heard;
    std::vector<bool> pulseAt(signal.size() + cell, false);
    std::vector<bool> explained(signal.size(), false);
    std::size_t first = signal.size();
    for (std::size_t i = 0; i < signal.size(); ++i) {
        if (signal[i] == kZeroLine) {
            explained[i] = true;
        } else if (signal[i] == kHigh && (i == 0 || signal[i - 1] != kHigh) &&
                   WholePulseAt(signal, i)) {
            pulseAt[i] = true;
            first = std::min(first, i);
        }
    }

    Byte value = 0;
    std::vector<bool> heardPulse(signal.size(), false);
    for (std::size_t clock = first; clock < signal.size() && pulseAt[clock]; clock += cell) {
        const bool one = clock + cell / 2 < signal.size() && pulseAt[clock + cell / 2];
        heardPulse[clock] = true;
        if (one) heardPulse[clock + cell / 2] = true;
        HearBit(heard, one, value);
    }
    for (std::size_t i = 0; i < signal.size(); ++i) {
        if (heardPulse[i]) {
            for (std::size_t k = 0; k < kPulseLength; ++k)
                explained[i + k] = true;
        } else if (pulseAt[i]) {
            ++heard.stray;
        }
    }
    for (std::size_t i = 0; i < signal.size(); ++i)
        heard.stray += !explained[i];
    return heard;
}

Heard ListenToCycles(ByteView signal) {
    Heard heard;
    std::size_t i = 0;
    while (i < signal.size() && signal[i] == kZeroLine)
        ++i;
    Byte value = 0;
    while (i < signal.size() && signal[i] != kZeroLine) {
        std::size_t low = 0, high = 0;
        while (i < signal.size() && signal[i] == kLow)
            ++low, ++i;
        while (i < signal.size() && signal[i] == kHigh)
            ++high, ++i;
        // The low half that ends the last bit: a falling edge, then the zero line.
        if (heard.bits > 0 && low == 4 && high == 0 &&
            (i == signal.size() || signal[i] == kZeroLine)) {
            heard.closed = true;
            continue;
        }
        if (low != high || (low != 4 && low != 8)) {
            ++heard.stray;
            if (low + high == 0) ++i; // a sample that is none of the three levels
            continue;
        }
        HearBit(heard, low == 4, value);
    }
    for (; i < signal.size(); ++i)
        heard.stray += signal[i] != kZeroLine;
    return heard;
}

} // namespace tonvale::test
