#pragma once
// Finds the sound a sound system dropped (an overrun) from a steady clock: sound may come late,
// but sound dropped never comes, so how far the samples received lag behind the clock stays up
// by as many samples. The lag's floor over the last second is watched; it rises by the samples
// lost, while sound that is only late raises it for a moment, and a sound card's clock that runs
// a little slow raises it by a few samples a second. Sound is lost only while the program is
// kept from reading it; when the floor rises without such a pause, the sound system has only
// grown its delay.
#include <cstdint>
#include <deque>
#include <optional>

namespace tonvale {

struct Overrun {
    std::uint64_t atSample = 0; // about where in the recording the samples are missing
    std::uint64_t lost = 0;
};

class OverrunWatch {
  public:
    explicit OverrunWatch(double rate) : m_rate(rate) {}
    // `seconds` on a steady clock since the first sound arrived, `received` samples in all since
    // (that first sound included).
    std::optional<Overrun> Arrived(double seconds, std::uint64_t received);

  private:
    struct Arrival {
        double seconds;
        double lag; // in samples
        std::uint64_t received;
    };
    double m_rate;
    std::deque<Arrival> m_recent;      // the last second's
    std::optional<double> m_floor;     // the lag of sound in step
    std::optional<double> m_lastFloor; // the window's, at the last arrival
    double m_longestPause = 0;         // between two arrivals, since the last loss or delay judged
    std::uint64_t m_afterPause = 0;    // samples received by the end of that pause
};

} // namespace tonvale
