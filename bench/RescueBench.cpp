// How fast a recording is rescued: 8.5 minutes of Level 2 sound as a sound card captures it,
// read from a 16-bit mono WAV at 44.1 kHz and decoded. Two recordings: the product's own sound
// resampled with a little noise, and the capture model of a real cassette (measured pulse shape
// A at 938 bit/s). Goal: 500 times real time on one core, under 1.03 s of CPU.
#include "CaptureModel.h"
#include "Degrade.h"
#include "builder/TestFiles.h"
#include "recording/RecordingFile.h"
#include "rescue/Rescue.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

namespace {

using namespace tonvale;

constexpr double kMinutes = 8.5;

// Copies of the demo program, one after another, until the recording is long enough.
test::Recording Repeated(const test::Recording& one) {
    test::Recording all = one;
    while (static_cast<double>(all.samples.size()) < kMinutes * 60 * one.rate)
        all = test::Join(all, one);
    all.samples.resize(static_cast<std::size_t>(kMinutes * 60 * one.rate));
    return all;
}

std::string WriteRecording(bool captureModel) {
    const Bytes demo = test::ReadFile(std::string(TONVALE_SOURCE_DIR) + "/examples/demo.cas");
    test::Recording capture;
    if (captureModel) {
        test::CaptureSettings settings;
        settings.shape = &test::kShapeA;
        settings.bitsPerSecond = 938;
        capture = Repeated(test::CapturePulses(demo, settings));
    } else {
        capture =
            test::Capture(Repeated(test::Synthesise(TapeFormat::Level2, demo)), 44100, 1.0, 0.005);
        test::Noise(capture, 30);
    }

    static const std::string dir = test::TempDir("rescue-bench");
    const std::string path = dir + (captureModel ? "/model.wav" : "/capture.wav");
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_float(file, capture.samples.data(), static_cast<sf_count_t>(capture.samples.size()));
    sf_close(file);
    return path;
}

void RescueRecordingFromFile(benchmark::State& state) {
    static const std::string paths[] = {WriteRecording(false), WriteRecording(true)};
    const std::string& path = paths[state.range(0)];
    std::size_t files = 0;
    double seconds = 0;
    for (auto _ : state) {
        std::string failure;
        const auto recording = RecordingFile::Open(path, Channel::Stronger, failure);
        const RescueResult result = RescueRecording(*recording);
        files = result.files.size();
        seconds = result.seconds;
        benchmark::DoNotOptimize(result.image.data());
    }
    state.counters["tape_files"] = static_cast<double>(files);
    state.counters["recording_s"] = seconds;
    state.counters["x_real_time"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// 0: the product's own sound; 1: the capture model.
BENCHMARK(RescueRecordingFromFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
