#include "recording/OverrunWatch.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tonvale {

namespace {

constexpr double kWatchedSeconds = 1;
constexpr double kLeastLostSeconds = 0.02; // less is a sound card's clock, or jitter
constexpr double kStillSeconds = 0.002;
constexpr double kLeastPauseSeconds = 0.1; // between two arrivals: the sound system's buffer

} // namespace

std::optional<Overrun> OverrunWatch::Arrived(double seconds, std::uint64_t received) {
    const double lag = seconds * m_rate - static_cast<double>(received);
    // The sound system holds what it can while the program is kept from reading; when full it
    // drops what comes on: the loss lies behind what came at the end of the longest pause.
    // A pause of the sound system's own comes with a batch of the usual size behind it; the
    // program kept from reading finds a pile waiting.
    if (!m_recent.empty() && seconds - m_recent.back().seconds > m_longestPause &&
        static_cast<double>(received - m_recent.back().received) >= kLeastPauseSeconds * m_rate) {
        m_longestPause = seconds - m_recent.back().seconds;
        m_afterPause = received;
    }
    m_recent.push_back({seconds, lag, received});
    while (m_recent.size() > 1 && m_recent[1].seconds <= seconds - kWatchedSeconds)
        m_recent.pop_front();
    if (m_recent.front().seconds > seconds - kWatchedSeconds) return std::nullopt; // too early
    const double floor =
        std::min_element(m_recent.begin(), m_recent.end(), [](const Arrival& a, const Arrival& b) {
            return a.lag < b.lag;
        })->lag;
    // Judged once the floor holds still: it climbs while the window passes over a loss.
    const bool still = m_lastFloor && std::abs(floor - *m_lastFloor) < kStillSeconds * m_rate;
    m_lastFloor = floor;
    if (!m_floor) m_floor = floor;
    if (!still) return std::nullopt;
    const double rise = floor - *m_floor;
    m_floor = floor;
    if (rise < kLeastLostSeconds * m_rate) return std::nullopt;
    // Sound is dropped only while the program is kept from taking it: a rise without such a
    // pause is the sound system's delay grown, nothing lost.
    const double pause = std::exchange(m_longestPause, 0.0);
    if (pause < kLeastPauseSeconds) return std::nullopt;
    return Overrun{m_afterPause, static_cast<std::uint64_t>(rise + 0.5)};
}

} // namespace tonvale
