// The tape view on an hour's recording (60 minutes of Level 2 at 48 kHz, 16-bit mono WAV, the
// demo program over and over, with wow and noise): the cost of its min/max summary made while
// the rescue reads the file, against the rescue alone, both keeping the trace as the window
// does (goal: at most half as much again); one redraw of the zoomed view at every scale and
// while panning (goal: under 16 ms on one core), also of a recording being made, followed at
// the widest (a minute); and what the view holds (goal: within the recording's size plus 64 MB).
#include "Degrade.h"
#include "analysis/AnalyseTape.h"
#include "app/ReadAgain.h"
#include "builder/TestFiles.h"
#include "platform/qt/picture/TapePicture.h"
#include "recording/RecordingFile.h"
#include "rescue/Rescue.h"
#include "view/LiveTape.h"
#include "view/TapeTimeline.h"
#include "view/Waveform.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <memory>

namespace {

using namespace tonvale;

constexpr double kRate = 48000;
constexpr double kSeconds = 3600;

// One capture of the demo tape, handed out again and again for an hour.
class LoopedRecording : public SampleSource {
  public:
    LoopedRecording() {
        const Bytes demo = test::ReadFile(std::string(TONVALE_SOURCE_DIR) + "/examples/demo.cas");
        test::Recording r =
            test::Capture(test::Synthesise(TapeFormat::Level2, demo), kRate, 1.0, 0.005);
        test::Noise(r, 30);
        m_one = std::move(r.samples);
    }
    double Rate() const override { return kRate; }
    std::uint64_t Length() const override { return static_cast<std::uint64_t>(kSeconds * kRate); }
    std::size_t Read(std::span<float> block) override {
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), Length() - m_next));
        for (std::size_t i = 0; i < count; ++i)
            block[i] = m_one[(m_next + i) % m_one.size()];
        m_next += count;
        return count;
    }

  private:
    std::vector<float> m_one;
    std::uint64_t m_next = 0;
};

// The hour as a sound card would have written it.
const std::string& HourFile() {
    static const std::string path = [] {
        const std::string file = test::TempDir("view-bench") + "/hour.wav";
        SF_INFO info{};
        info.samplerate = static_cast<int>(kRate);
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
        LoopedRecording recording;
        std::vector<float> block(1 << 16);
        for (std::size_t n; (n = recording.Read(block)) != 0;)
            sf_writef_float(out, block.data(), static_cast<sf_count_t>(n));
        sf_close(out);
        return file;
    }();
    return path;
}

std::unique_ptr<RecordingFile> OpenHour() {
    std::string failure;
    return RecordingFile::Open(HourFile(), Channel::Stronger, failure);
}

void RescueHour(benchmark::State& state) {
    OpenHour();
    for (auto _ : state) {
        const auto recording = OpenHour();
        RescueTrace trace;
        RescueSettings settings;
        settings.trace = &trace;
        const RescueResult result = RescueRecording(*recording, settings);
        benchmark::DoNotOptimize(result.image.data());
        state.counters["tape_files"] = static_cast<double>(result.files.size());
    }
}
BENCHMARK(RescueHour)->Unit(benchmark::kMillisecond)->Iterations(1);

void RescueHourWithSummary(benchmark::State& state) {
    OpenHour();
    for (auto _ : state) {
        const auto recording = OpenHour();
        SampleSummary summary(kRate, ReadAgain(HourFile(), 0));
        SummarisingSource source(*recording, summary);
        RescueTrace trace;
        RescueSettings settings;
        settings.trace = &trace;
        const RescueResult result = RescueRecording(source, settings);
        benchmark::DoNotOptimize(result.image.data());
        state.counters["summary_MB"] = static_cast<double>(summary.Bytes()) / 1e6;
        state.counters["recording_file_MB"] = kSeconds * kRate * 2 / 1e6;
        state.counters["trace_MB"] =
            static_cast<double>(trace.pulses.capacity() * sizeof(TracePulse) +
                                trace.cells.capacity() * sizeof(TraceCell)) /
            1e6;
    }
}
BENCHMARK(RescueHourWithSummary)->Unit(benchmark::kMillisecond)->Iterations(1);

// The summary alone, over the same reading.
void SummaryOfHour(benchmark::State& state) {
    for (auto _ : state) {
        LoopedRecording recording;
        SampleSummary summary(kRate);
        SummarisingSource source(recording, summary);
        std::vector<float> block(65536);
        while (source.Read(block) != 0) {
        }
        benchmark::DoNotOptimize(summary.Length());
    }
}
BENCHMARK(SummaryOfHour)->Unit(benchmark::kMillisecond)->Iterations(1);

void ReadingAlone(benchmark::State& state) {
    for (auto _ : state) {
        LoopedRecording recording;
        std::vector<float> block(65536);
        while (recording.Read(block) != 0) {
        }
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(ReadingAlone)->Unit(benchmark::kMillisecond)->Iterations(1);

// The hour rescued once, with its summary and trace, for the redraws.
struct Hour {
    Hour() : summary(kRate, ReadAgain(HourFile(), 0)) {
        const auto recording = OpenHour();
        SummarisingSource source(*recording, summary);
        RescueSettings settings;
        settings.trace = &trace;
        result = RescueRecording(source, settings);
        PutInTimeOrder(trace);
        FixedLevel answer;
        report = AnalyseTape(result.image, answer, AnalysisSettings{});
        timeline = std::make_unique<TapeTimeline>(TapeTimeline::OfRescue(result, report));
    }
    SampleSummary summary;
    RescueTrace trace;
    RescueResult result;
    TapeReport report;
    std::unique_ptr<TapeTimeline> timeline;
};

const Hour& TheHour() {
    static const Hour hour;
    return hour;
}

picture::TapeScene Scene(const Hour& hour) {
    picture::TapeScene scene;
    scene.timeline = hour.timeline.get();
    scene.wave = &hour.summary;
    scene.trace = &hour.trace;
    scene.selection = ByteSpan{{hour.timeline->Files().size() / 2, 10}, 16};
    return scene;
}

// One redraw of a 1600 by 300 view of `range(0)` microseconds in the middle of the hour,
// panned by a tenth each time.
void RedrawZoomed(benchmark::State& state) {
    const Hour& hour = TheHour();
    const picture::TapeScene scene = Scene(hour);
    QImage image(1600, 300, QImage::Format_RGB32);
    const double span = static_cast<double>(state.range(0)) / 1e6;
    double from = kSeconds / 2;
    for (auto _ : state) {
        QPainter painter(&image);
        picture::PaintZoomed(painter, image.rect(), scene, from, from + span);
        from += span / 10;
    }
}
BENCHMARK(RedrawZoomed)
    ->Unit(benchmark::kMillisecond)
    ->Arg(3'600'000'000)
    ->Arg(60'000'000)
    ->Arg(1'000'000)
    ->Arg(50'000)
    ->Arg(2'000)
    ->Arg(200);

void RedrawOverview(benchmark::State& state) {
    const Hour& hour = TheHour();
    const picture::TapeScene scene = Scene(hour);
    QImage image(1600, 80, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        picture::PaintOverview(painter, image.rect(), scene, std::pair(1800.0, 1860.0));
    }
    state.counters["tape_files"] = static_cast<double>(hour.timeline->Files().size());
    state.counters["marks"] = static_cast<double>(hour.timeline->Marks().size());
}
BENCHMARK(RedrawOverview)->Unit(benchmark::kMillisecond);

// One redraw of the zoomed view of a recording being made, its last minute in view, as a
// twentieth of a second more sound comes each time.
void RedrawLive(benchmark::State& state) {
    LoopedRecording recording;
    LiveTape live(kRate, 60);
    std::vector<float> block(static_cast<std::size_t>(kRate / 20));
    std::vector<std::int16_t> samples(block.size());
    const auto more = [&] {
        recording.Read(block);
        for (std::size_t i = 0; i < block.size(); ++i)
            samples[i] = static_cast<std::int16_t>(std::clamp(block[i], -1.0f, 1.0f) * 32767);
        live.AddSound(samples);
    };
    while (live.Seconds() < 90)
        more();
    picture::TapeScene scene;
    scene.timeline = &live.Timeline();
    scene.wave = &live.Sound();
    QImage image(1600, 300, QImage::Format_RGB32);
    for (auto _ : state) {
        more();
        QPainter painter(&image);
        picture::PaintZoomed(painter, image.rect(), scene, live.Seconds() - 60, live.Seconds());
    }
}
BENCHMARK(RedrawLive)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
