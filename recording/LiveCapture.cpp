#include "recording/LiveCapture.h"

#include "analysis/AnalyseTape.h"

#include <cstdio>

namespace tonvale {

namespace {

std::string Printed(const char* format, double a, double b = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

} // namespace

Bytes EndedLine(std::size_t number, const RescueResult& lone) {
    FixedLevel answer; // Level 2 where the tape does not tell: a live line cannot ask
    const TapeReport report = AnalyseTape(lone.image, answer, AnalysisSettings{});
    const RescuedTapeFile& file = lone.files.front();
    const std::string head =
        "Tape file " + std::to_string(number) + Printed(" ended at %.3f s: ", file.endSeconds);
    Bytes line(head.begin(), head.end());
    line.insert(line.end(), report.fileLine.begin(), report.fileLine.end());
    const std::string tail =
        std::string(" (rescue: ") + RescueVerdict(file, ReportOf(file, report)) + ")";
    line.insert(line.end(), tail.begin(), tail.end());
    return line;
}

std::string QualityLine(const RescueQuality& quality) {
    std::string text = Printed("Signal at %.1f s: ", quality.seconds);
    if (quality.cells == 0)
        text += "no tape signal";
    else
        text += Printed("%.0f%% of %.0f cells sure", 100 * quality.sureShare,
                        static_cast<double>(quality.cells));
    if (quality.pulses > 0)
        text += Printed(", pulses %.1f dB over the noise", quality.pulseToNoiseDb);
    return text;
}

std::string OverrunLine(const Overrun& overrun, double rate) {
    return Printed("Overrun at %.3f s: ", static_cast<double>(overrun.atSample) / rate) +
           "the sound system dropped about " + std::to_string(overrun.lost) +
           Printed(" samples (%.3f s); the tape read there may be damaged",
                   static_cast<double>(overrun.lost) / rate);
}

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
