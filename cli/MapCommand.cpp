// tonvale-map, what `tonvale-cli map` runs: the tape's picture without a window, drawn by the
// window's own drawing code on Qt's offscreen platform. The overview by default; with --from
// and --to the zoomed view of that stretch.
#include "app/ReadAgain.h"
#include "app/RecordingName.h"
#include "cli/Answers.h"
#include "cli/Output.h"
#include "cli/Startup.h"
#include "cli/Tape.h"
#include "platform/qt/picture/TapePicture.h"
#include "view/TapeTimeline.h"
#include "view/Waveform.h"
#if TONVALE_RECORDING
#include "recording/RecordingFile.h"
#endif

#include <CLI/CLI.hpp>

#include <QGuiApplication>

#include <memory>
#include <optional>

namespace tonvale::cli {

namespace {

const std::string kCommand = "tonvale-cli map";

struct MapOptions {
    Options tape; // the input in tapes[0], and the answers
    std::string output;
    std::optional<double> from, to;
    int width = 1200;
    int height = 0; // 0: 160 for the overview, 320 for a stretch
};

void DefineMap(CLI::App& app, MapOptions& options) {
    app.description("Draws the tape: the overview of every tape file, coloured by its verdict,\n"
                    "or with --from and --to the sound of that stretch with its bits and bytes.\n"
                    "Colours: ok #2e7d32, suspicious #f9a825, bad #c62828, doubtful #ef6c00,\n"
                    "mended #1565c0.");
    options.tape.tapes.resize(1);
    app.add_option("TAPE", options.tape.tapes[0], "the tape image or a recording (REC)")
        ->required()
        ->type_name("");
    app.add_option("-o", options.output, "the picture: OUT.png or OUT.svg")
        ->required()
        ->type_name("OUT");
    app.add_option("--from", options.from, "the stretch's start, in seconds")
        ->type_name("S")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--to", options.to, "the stretch's end, in seconds")->type_name("S");
    app.add_option("--width", options.width, "pixels (default 1200)")
        ->type_name("N")
        ->check(CLI::Range(16, 20000));
    app.add_option("--height", options.height, "pixels (default 160, or 320 with --from)")
        ->type_name("N")
        ->check(CLI::Range(16, 20000));
    AddLevelOption(app, options.tape.level);
}

int Fail(const std::string& message) {
    WriteErrLine(kCommand + ": " + message);
    return kExitUsage;
}

// What is drawn, and what keeps it alive.
struct Loaded {
    std::optional<Bytes> image;
    TapeReport report;
    std::optional<TapeTimeline> timeline;
    std::unique_ptr<Waveform> wave;
    RescueTrace trace;
    bool recording = false;
    bool doubtful = false; // a recording's tape file has doubtful bytes
};

std::optional<int> LoadTape(const MapOptions& options, Loaded& loaded) {
    const std::string& path = options.tape.tapes[0];
    TapeRead read = ReadTape(path);
    if (!read.image) return kExitUsage;
    loaded.image = std::move(read.image);
    Answers answers(options.tape);
    DiscardLines discard;
    loaded.report = Analyse(path, *loaded.image, answers, false, &discard);
    const SoundPlan sound = PlanSound(loaded.report, *loaded.image, answers, false);
    const TapeFormat format = sound.none ? TapeFormat::None : sound.format;
    loaded.timeline = TapeTimeline::OfImage(loaded.report, *loaded.image, format);
    loaded.wave = std::make_unique<SynthesisedWave>(*loaded.timeline->Clock(), format);
    return std::nullopt;
}

std::optional<int> LoadRecording(const MapOptions& options, Loaded& loaded) {
#if !TONVALE_RECORDING
    (void)options, (void)loaded;
    return Fail("reading recordings is not built into this program (no libsndfile)");
#else
    const std::string& path = options.tape.tapes[0];
    std::string failure;
    const auto recording = RecordingFile::Open(path, Channel::Stronger, failure);
    if (!recording) return Fail(path + ": " + failure);
    auto summary = std::make_unique<SampleSummary>(recording->Rate(),
                                                   ReadAgain(path, recording->ChannelTaken()));
    SummarisingSource source(*recording, *summary);
    RescueSettings settings;
    settings.trace = &loaded.trace;
    const RescueResult result = RescueRecording(source, settings);
    PutInTimeOrder(loaded.trace);
    Options quiet = options.tape;
    if (!quiet.level) quiet.level = TapeFormat::Level2;
    Answers answers(quiet);
    DiscardLines discard;
    loaded.image = result.image;
    loaded.report = Analyse(path, *loaded.image, answers, false, &discard);
    loaded.timeline = TapeTimeline::OfRescue(result, loaded.report);
    loaded.wave = std::move(summary);
    loaded.recording = true;
    loaded.doubtful = result.Doubtful() || result.files.empty();
    return std::nullopt;
#endif
}

int RunMap(const MapOptions& options) {
    const bool stretch = options.from || options.to;
    Loaded loaded;
    const std::string& path = options.tape.tapes[0];
    if (const auto failed =
            IsRecordingName(path) ? LoadRecording(options, loaded) : LoadTape(options, loaded))
        return *failed;
    const TapeTimeline& timeline = *loaded.timeline;
    const double from = options.from.value_or(0);
    const double to = options.to.value_or(timeline.Seconds());
    if (stretch && to <= from) return Fail("--to must lie behind --from");

    picture::TapeScene scene;
    scene.timeline = &timeline;
    scene.wave = loaded.wave.get();
    if (loaded.recording) scene.trace = &loaded.trace;
    const QSize size(options.width, options.height ? options.height : stretch ? 320 : 160);
    QString failure;
    const bool saved = picture::SavePicture(
        QString::fromStdString(options.output), size,
        [&](QPainter& painter, QRect area) {
            if (stretch)
                picture::PaintZoomed(painter, area, scene, from, to);
            else
                picture::PaintOverview(painter, area, scene);
        },
        failure);
    if (!saved) return Fail(failure.toStdString());
    // As report and rescue end: a recording with doubtful bytes is damaged.
    return loaded.doubtful ? kExitDamaged : VerdictStatus(loaded.report);
}

} // namespace

} // namespace tonvale::cli

int main(int argc, char** argv) {
    using namespace tonvale::cli;
    UseBinaryStandardOutput();
    Utf8Arguments arguments(argc, argv);
    CLI::App app("", kCommand);
    UseFormat(app);
    MapOptions options;
    DefineMap(app, options);
    if (const auto status = Parse(app, arguments.Count(), arguments.Values())) return *status;
    // Drawn without a display, whatever the session has.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's notes on the session (no runtime folder and the like) are nothing a script asked for.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) WriteErrLine(text.toStdString());
    });
    int qtArgc = 1;
    char name[] = "tonvale-map";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication application(qtArgc, qtArgv);
    return RunMap(options);
}
