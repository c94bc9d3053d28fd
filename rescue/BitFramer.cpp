#include "rescue/BitFramer.h"

#include <algorithm>

namespace tonvale {

namespace {

constexpr Byte kLevelSync = 0xA5;
constexpr Byte kHighspeedSync = 0x7F;

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
    Gather(value, confidence, sample);
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
    m_file.inverted = m_inverted;
    m_out.push_back(std::move(m_file));
}

void BitFramer::Break() {
    if (m_reading) {
        m_file.inverted = m_inverted;
        m_out.push_back(std::move(m_file));
    }
    m_reading = false;
    m_file = DecodedFile{};
    m_count = 0;
    m_run = 0;
    m_recent = 0;
}

} // namespace tonvale
