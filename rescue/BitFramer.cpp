#include "rescue/BitFramer.h"

#include <algorithm>
#include <utility>

namespace tonvale {

namespace {

constexpr Byte kLevelSync = 0xA5;
constexpr Byte kHighspeedSync = 0x7F;
constexpr std::size_t kGroup = 9;                // a Highspeed byte with its start bit
constexpr std::size_t kFewestGroups = 3;         // looked ahead before a frame is chosen
constexpr std::size_t kMostGroups = 16;          // when several still fit, the nearest is taken
constexpr float kSureStartBit = 0.5f;            // a 1 this sure where a start bit is due: a slip
constexpr Byte kAroundSlip = kDoubtfulBelow / 2; // the bytes about a slip are doubtful

Byte Quantize(float confidence) {
    return static_cast<Byte>(std::clamp(confidence, 0.0f, 1.0f) * 255.0f + 0.5f);
}

} // namespace

void BitFramer::Push(bool value, float confidence, double sample) {
    if (!m_reading) {
        if (Track(value, sample)) Begin();
        return;
    }
    // Behind a gap the tape file may have ended and the next one begun.
    if (!m_file.gaps.empty() && Track(value, sample)) {
        EndAtGap();
        Begin();
        return;
    }
    const bool startBitDue = m_format == TapeFormat::Highspeed && m_bits == 0;
    if (startBitDue && !m_refinding && (m_slipPending || (value && confidence >= kSureStartBit))) {
        m_refinding = true;
        m_slipPending = false;
    }
    if (!m_refinding) {
        Gather(value, confidence, sample);
        return;
    }
    m_held.push_back({value, confidence, sample});
    Refind();
}

// Where the next start bit lies among the bits held: every ninth bit from it must be 0. The
// frame as it stands, a bit later or a bit earlier are the likeliest.
void BitFramer::Refind() {
    constexpr std::size_t kNearestFirst[] = {0, 1, 8, 2, 7, 3, 6, 4, 5};
    const std::size_t count = m_held.size();
    if (count < kFewestGroups * kGroup) return;
    std::size_t fits = 0, first = kGroup;
    for (const std::size_t start : kNearestFirst) {
        bool fit = true;
        for (std::size_t p = start; p < count && fit; p += kGroup)
            fit = !m_held[p].value;
        if (!fit) continue;
        ++fits;
        if (first == kGroup) first = start;
    }
    if (fits == 1 || (fits > 1 && count >= kMostGroups * kGroup))
        Reframe(first, fits == 1);
    else if (fits == 0)
        Reframe(0, false); // no frame fits: noise, read as it comes
}

// Reads the held bits from `start` on as bytes. The byte in front of the slip, and what stood
// between it and the new start bit, are doubtful; so is everything held when the frame was a
// choice among several.
void BitFramer::Reframe(std::size_t start, bool sure) {
    m_refinding = false;
    const std::vector<HeldBit> held = std::move(m_held);
    m_held.clear();
    auto doubt = [](DecodedByte& byte) {
        for (Byte& c : byte.confidence)
            c = std::min(c, kAroundSlip);
    };
    if (start == 0 && !sure) {
        for (const HeldBit& bit : held)
            Gather(bit.value, bit.confidence, bit.sample);
        return;
    }
    if (!m_file.bytes.empty()) doubt(m_file.bytes.back());
    if (start > kGroup / 2) { // most of a byte whose start bit was lost
        DecodedByte byte;
        byte.sample = held[0].sample;
        for (std::size_t k = 0; k < 8; ++k)
            byte.value = static_cast<Byte>(byte.value << 1 | (k < start && held[k].value ? 1 : 0));
        doubt(byte);
        m_file.bytes.push_back(byte);
    }
    const std::size_t before = m_file.bytes.size();
    for (std::size_t k = start; k < held.size(); ++k)
        Gather(held[k].value, held[k].confidence, held[k].sample);
    if (!sure)
        for (std::size_t k = before; k < m_file.bytes.size(); ++k)
            doubt(m_file.bytes[k]);
}

void BitFramer::TakeOver(BitFramer& other) {
    m_reading = std::exchange(other.m_reading, false);
    m_file = std::move(other.m_file);
    other.m_file = DecodedFile{};
    m_bits = other.m_bits;
    m_byte = other.m_byte;
    m_startBitDoubt = other.m_startBitDoubt;
    m_outOfStep = other.m_outOfStep;
    m_slipPending = std::exchange(other.m_slipPending, false);
    m_refinding = std::exchange(other.m_refinding, false);
    m_held = std::move(other.m_held);
    other.m_held.clear();
    m_count = other.m_count = 0;
    m_run = other.m_run = 0;
    m_recent = other.m_recent = 0;
}

// The leader is a run of 0 bits (Level 1, 2) or of alternating bits (Highspeed); the sync byte
// must follow it directly, so the run that counts is the one that ended 8 bits ago. True when
// this bit completes a sync byte behind a leader.
bool BitFramer::Track(bool value, double sample) {
    const bool highspeed = m_format == TapeFormat::Highspeed;
    const bool continues = highspeed ? m_count > 0 && value != (m_recent & 1) : !value;
    if (!continues) {
        m_run = highspeed ? 1 : 0;
        m_runStart = sample;
    } else {
        if (m_run == 0) m_runStart = sample;
        ++m_run;
    }
    m_recent = m_recent << 1 | (value ? 1 : 0);
    const std::size_t at = m_count % 16;
    m_runs[at] = m_run;
    m_runStarts[at] = m_runStart;
    ++m_count;
    if (m_count < 9) return false;

    const std::size_t before = (m_count - 9) % 16; // the last bit in front of the sync byte
    const Byte window = static_cast<Byte>(m_recent);
    const bool lastLeaderBit = ((m_recent >> 8) & 1) != 0;
    const bool synced = highspeed ? window == kHighspeedSync && lastLeaderBit
                                  : window == kLevelSync && !lastLeaderBit;
    if (!synced || m_runs[before] < kLeaderBits) return false;
    m_leaderStart = m_runStarts[before];
    return true;
}

void BitFramer::Begin() {
    m_reading = true;
    m_outOfStep = false;
    m_file = DecodedFile{};
    m_file.format =
        m_format == TapeFormat::Highspeed ? TapeFormat::Highspeed : TapeFormat::Level1or2;
    m_file.inverted = m_inverted;
    m_file.leaderSample = m_leaderStart;
    m_bits = 0;
}

void BitFramer::Gather(bool value, float confidence, double sample) {
    if (m_file.bits == 0) m_file.syncSample = sample;
    ++m_file.bits;
    m_file.endSample = sample;
    // A Highspeed byte opens with a 0 start bit; a 1 there says the byte is out of step.
    const bool highspeed = m_format == TapeFormat::Highspeed;
    if (highspeed && m_bits == 0) {
        m_startBitDoubt = value ? 1.0f : 1.0f - confidence;
        m_byte = DecodedByte{};
        m_byte.sample = sample;
        m_bits = 1;
        return;
    }
    const unsigned bit = m_bits - (highspeed ? 1 : 0);
    if (bit == 0) {
        m_byte = DecodedByte{};
        m_byte.sample = sample;
        if (!highspeed) m_startBitDoubt = 0;
    }
    m_byte.value = static_cast<Byte>(m_byte.value << 1 | (value ? 1 : 0));
    const float most = m_outOfStep ? 0.25f : 1.0f;
    m_byte.confidence[bit] = Quantize(std::min({confidence, 1.0f - 0.75f * m_startBitDoubt, most}));
    ++m_bits;
    if (bit == 7) {
        m_file.bytes.push_back(m_byte);
        m_bits = 0;
    }
}

void BitFramer::Gap(std::uint64_t lostBits, bool inStep, double from, double to) {
    if (!m_reading) return;
    m_bytesAtGap = m_file.bytes.size();
    m_bitsAtGap = m_file.bits;
    m_endAtGap = m_file.endSample;
    m_file.gaps.push_back({from, to, m_file.bytes.size(), lostBits, inStep});
    const double step = lostBits > 0 ? (to - from) / static_cast<double>(lostBits) : 0;
    for (std::uint64_t k = 0; k < lostBits; ++k)
        Gather(false, 0.0f, from + static_cast<double>(k) * step);
    m_outOfStep = m_outOfStep || !inStep;
    // A leader behind the gap counts from the first bit heard again.
    m_count = 0;
    m_run = 0;
    m_recent = 0;
}

// The gap was the tape file's end: what was put in its place, and what followed, goes.
void BitFramer::EndAtGap() {
    m_file.bytes.resize(m_bytesAtGap);
    m_file.bits = m_bitsAtGap;
    m_file.endSample = m_endAtGap;
    m_file.gaps.pop_back();
    m_out.push_back(std::move(m_file));
}

void BitFramer::Break() {
    if (m_refinding) Reframe(0, false);
    if (m_reading) m_out.push_back(std::move(m_file));
    m_reading = false;
    m_file = DecodedFile{};
    m_count = 0;
    m_run = 0;
    m_recent = 0;
}

} // namespace tonvale
