#pragma once
// From bits to the bytes of tape files: finds a leader and its sync byte in the bits a decoder
// hands over, then gathers bytes until the decoder says the signal broke.
//
//     Level 1, 2   0 0 0 ... 0 (at least 64)  10100101 (A5h)  8 bits per byte
//     Highspeed    0 1 0 1 ... 1 (at least 64) 01111111 (7Fh)  0 and 8 bits per byte
//
// A Highspeed byte's 0 start bit keeps the bytes in step: where a bit was lost or heard twice,
// the framer looks ahead for the place where every ninth bit is 0 again.
#include "rescue/DecodedFile.h"

#include <cstdint>
#include <vector>

namespace tonvale {

class BitFramer {
  public:
    BitFramer(TapeFormat format, bool inverted, std::vector<DecodedFile>& out)
        : m_format(format), m_inverted(inverted), m_out(out) {}

    // One bit; `confidence` 0 (a guess) to 1, `sample` where its cell begins.
    void Push(bool value, float confidence, double sample);
    // The signal ended or broke: a tape file being read is complete.
    void Break();
    // The signal was lost between `from` and `to` and came back: `lostBits` guessed bits stand
    // for what was there. `inStep` false: the cells could not be counted across, so every bit
    // behind the gap is doubtful. A leader and sync byte behind the gap start a new tape file.
    void Gap(std::uint64_t lostBits, bool inStep, double from, double to);
    bool Reading() const { return m_reading; }
    // The decoder's latest word on the polarity of the tape file being read.
    void SetInverted(bool inverted) {
        m_inverted = inverted;
        m_file.inverted = inverted;
    }
    // Highspeed: a bit may have been lost or doubled about here; the bytes find their start bits
    // again from the next byte on.
    void Slip() { m_slipPending = m_reading; }
    // Goes on with the tape file `other` was reading, which stops reading it.
    void TakeOver(BitFramer& other);

  private:
    bool Track(bool value, double sample);
    void Begin();
    void Gather(bool value, float confidence, double sample);
    void EndAtGap();
    void Refind();
    void Reframe(std::size_t start, bool sure);

    static constexpr unsigned kLeaderBits = 64;

    TapeFormat m_format;
    bool m_inverted;
    std::vector<DecodedFile>& m_out;

    // Hunting: the last bits, and for each of the last 16 the leader run that ended there.
    std::uint32_t m_recent = 0;
    std::uint64_t m_count = 0;
    std::uint32_t m_run = 0;
    std::uint32_t m_runs[16] = {};
    double m_runStarts[16] = {};
    double m_runStart = 0;
    double m_leaderStart = 0; // of the leader in front of the sync byte just found

    // Reading.
    bool m_reading = false;
    bool m_outOfStep = false; // a gap was crossed without counting its cells
    // The tape file as it was when the last gap began: where it ends if the gap was its end.
    std::size_t m_bytesAtGap = 0;
    std::uint64_t m_bitsAtGap = 0;
    double m_endAtGap = 0;
    // Highspeed out of step: the bits from where a start bit was due, held until a frame fits.
    struct HeldBit {
        bool value;
        float confidence;
        double sample;
    };
    bool m_slipPending = false;
    bool m_refinding = false;
    std::vector<HeldBit> m_held;
    DecodedFile m_file;
    unsigned m_bits = 0; // of the byte being gathered, the start bit included
    DecodedByte m_byte;
    float m_startBitDoubt = 0;
};

} // namespace tonvale
