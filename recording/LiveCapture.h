#pragma once
// A capture from a sound input with the rescue running on it: the sound goes into a FLAC file
// as it comes and through the rescue on a thread of its own, which tells each tape file as it
// ends and the signal's quality as it goes. Whatever gives the sound (Qt Multimedia, a test)
// hands it in with the time it arrived, so that samples the sound system dropped are told.
#include "base/Bytes.h"
#include "recording/LiveRecording.h"
#include "recording/OverrunWatch.h"
#include "rescue/Rescue.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace tonvale {

struct CaptureEvents {
    // On the rescue's thread.
    std::function<void(const RescueResult& lone)> fileEnded;
    std::function<void(const RescueQuality&)> quality;
    // On the thread that hands the sound in.
    std::function<void(const Overrun&)> overrun;
};

class LiveCapture {
  public:
    // Creates the FLAC file and starts the rescue; null with `failure` set when the file
    // cannot be made.
    static std::unique_ptr<LiveCapture> Start(const std::string& flacPath, double rate,
                                              CaptureEvents events, std::string& failure);
    ~LiveCapture();
    LiveCapture(const LiveCapture&) = delete;
    LiveCapture& operator=(const LiveCapture&) = delete;

    // Sound as it arrives, `steadySeconds` on a steady clock.
    void Arrived(std::span<const std::int16_t> samples, double steadySeconds);
    std::uint64_t Received() const { return m_received; }
    // Samples in the FLAC file so far (the encoder's last block may still wait in memory).
    std::uint64_t SamplesWritten() const { return m_recording->SamplesWritten(); }
    double Rate() const { return m_rate; }
    // Set when the file could not be written (a full disk): the capture has ended there.
    std::string WriteFailure() const { return m_recording->WriteFailure(); }

    // Ends the sound, lets the rescue read the rest and finish, and closes the file (false in
    // `closed` when its end could not be written).
    RescueResult Stop(bool& closed);

  private:
    LiveCapture() = default;

    std::unique_ptr<LiveRecording> m_recording;
    CaptureEvents m_events;
    RescueProgress m_progress;
    RescueResult m_result;
    std::thread m_rescue;
    OverrunWatch m_watch{44100};
    double m_rate = 0;
    std::uint64_t m_received = 0;
    std::optional<double> m_firstSeconds;
    bool m_stopped = false;
};

// What a capture shows as it goes. A tape file as it ends: "Tape file 2 ended at 12.345 s: Level 2
// SYSTEM tape 'GAME' ok (rescue: ok)" (the tape's own bytes in its name, as on tape).
Bytes EndedLine(std::size_t number, const RescueResult& lone);
// "Signal at 12.5 s: 97% of 500 cells sure, pulses 24.1 dB over the noise", or "no tape signal".
std::string QualityLine(const RescueQuality& quality);
// "Overrun at 3.301 s: the sound system dropped about 1906 samples (0.043 s); the tape read
// there may be damaged".
std::string OverrunLine(const Overrun& overrun, double rate);

} // namespace tonvale
