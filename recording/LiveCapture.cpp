#include "recording/LiveCapture.h"

namespace tonvale {

std::unique_ptr<LiveCapture> LiveCapture::Start(const std::string& flacPath, double rate,
                                                CaptureEvents events, std::string& failure) {
    std::unique_ptr<LiveCapture> capture(new LiveCapture);
    capture->m_recording = LiveRecording::Create(flacPath, rate, failure);
    if (!capture->m_recording) return nullptr;
    capture->m_rate = rate;
    capture->m_watch = OverrunWatch(rate);
    capture->m_events = std::move(events);
    capture->m_progress.fileEnded = capture->m_events.fileEnded;
    capture->m_progress.quality = capture->m_events.quality;
    LiveCapture* self = capture.get();
    capture->m_rescue = std::thread(
        [self] { self->m_result = RescueRecording(*self->m_recording, {}, self->m_progress); });
    return capture;
}

LiveCapture::~LiveCapture() {
    bool closed = true;
    if (!m_stopped) Stop(closed);
}

void LiveCapture::Arrived(std::span<const std::int16_t> samples, double steadySeconds) {
    if (samples.empty()) return;
    // The clock starts as the first sound comes, which the watch counts from.
    if (!m_firstSeconds) m_firstSeconds = steadySeconds;
    m_recording->Push(samples);
    m_received += samples.size();
    const auto overrun = m_watch.Arrived(steadySeconds - *m_firstSeconds, m_received);
    if (overrun && m_events.overrun) m_events.overrun(*overrun);
}

RescueResult LiveCapture::Stop(bool& closed) {
    m_recording->End();
    if (m_rescue.joinable()) m_rescue.join();
    closed = m_recording->Close();
    m_stopped = true;
    return m_result;
}

} // namespace tonvale
