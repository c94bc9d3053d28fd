// tonvale-cli rescue: a recording of a real cassette read back into a tape image. The image is
// written beside the recording, its report printed as `report` prints it, then the rescue's
// own lines: per tape file where it begins, its speed and polarity, what was mended and which
// bytes stay doubtful, with their times in the recording.
#include "app/SafeFile.h"
#include "app/TraceCsv.h"
#include "cli/Commands.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"
#include "cli/Tape.h"
#include "rescue/Rescue.h"
#if TONVALE_RECORDING
#include "recording/RecordingFile.h"
#endif

#include <CLI/CLI.hpp>
#include <fmt/core.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace tonvale::cli {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kLineEnd = "\r\n";
const std::string kCommand = "tonvale-cli rescue";

int Fail(const std::string& message) {
    WriteErrLine(kCommand + ": " + message);
    return kExitUsage;
}

#if TONVALE_RECORDING
// REC with its extension replaced by .cas (or .cas appended when it has none).
std::string TapeName(const std::string& recording) {
    const std::size_t folder = recording.find_last_of("/\\");
    const std::size_t dot = recording.rfind('.');
    const bool extension =
        dot != std::string::npos && dot > 0 && (folder == std::string::npos || dot > folder + 1);
    return (extension ? recording.substr(0, dot) : recording) + ".cas";
}

bool Exists(const std::string& utf8) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())),
                                   error);
}

// "Rescuing: 42%" on a terminal, rewritten in place as it grows.
class ProgressLine {
  public:
    explicit ProgressLine(bool shown) : m_shown(shown) {}
    ~ProgressLine() { Clear(); }
    void Show(double fraction) {
        const int percent = static_cast<int>(fraction * 100);
        if (!m_shown || percent == m_percent) return;
        m_percent = percent;
        fmt::print(stderr, "\rRescuing: {}%", percent);
        std::fflush(stderr);
    }
    void Clear() {
        if (m_shown && m_percent >= 0) std::fputs("\r              \r", stderr);
        m_percent = -1;
    }

  private:
    bool m_shown;
    int m_percent = -1;
};

double Rounded(double seconds) {
    return std::round(seconds * 1000) / 1000;
}

Json RescueJson(const RescuedTapeFile& file, const TapeFileReport* report) {
    Json mended = Json::array();
    for (const MendedByte& m : file.mended) {
        Json entry = {{"offset", m.offset},
                      {"seconds", Rounded(m.seconds)},
                      {"was", m.was},
                      {"now", m.now},
                      {"how", m.how == Mending::Checksum ? "checksum"
                              : m.how == Mending::Copy   ? "copy"
                                                         : "basic"}};
        if (m.how == Mending::Copy) entry["from"] = m.from;
        mended.push_back(std::move(entry));
    }
    Json doubtful = Json::array();
    for (const DoubtfulByte& d : file.doubtful)
        doubtful.push_back(
            {{"offset", d.offset}, {"seconds", Rounded(d.seconds)}, {"value", d.value}});
    Json gaps = Json::array();
    for (const SignalGap& gap : file.gaps)
        gaps.push_back({{"from", Rounded(gap.fromSeconds)},
                        {"to", Rounded(gap.toSeconds)},
                        {"offset", gap.offset},
                        {"lostBits", gap.lostBits},
                        {"inStep", gap.inStep}});
    Json badLine = nullptr;
    if (file.firstBadLine)
        badLine = {{"offset", *file.firstBadLine}, {"seconds", Rounded(file.firstBadLineSeconds)}};
    return {{"start", Rounded(file.startSeconds)},
            {"dataStart", Rounded(file.dataSeconds)},
            {"end", Rounded(file.endSeconds)},
            {"bitsPerSecond", std::round(file.bitsPerSecond * 10) / 10},
            {"polarity", file.inverted ? "inverted" : "normal"},
            {"copyOf", file.copyOf ? Json(*file.copyOf) : Json(nullptr)},
            {"heard", file.heard},
            {"mended", std::move(mended)},
            {"doubtful", std::move(doubtful)},
            {"gaps", std::move(gaps)},
            {"firstBadLine", std::move(badLine)},
            {"verdict", RescueVerdict(file, report)}};
}

// The JSON object of the rescued image, each tape file with the rescue's findings beside the
// analysis's.
int WriteTapeJson(OutStream& out, const Options& options, const std::string& name,
                  const RescueResult& result) {
    const ByteView image(result.image);
    Answers answers(options);
    DiscardLines discard;
    const TapeReport report = Analyse(name, image, answers, options.trsFont, &discard);
    const SoundPlan sound = PlanSound(report, image, answers, options.lnw);
    std::vector<std::string> extras;
    for (const TapeFileReport& file : report.files) {
        std::string extra;
        for (const RescuedTapeFile& rescued : result.files)
            if (ReportOf(rescued, report) == &file)
                extra = "\"rescue\":" + RescueJson(rescued, &file).dump();
        extras.push_back(extra);
    }
    JsonTapeWriter writer(out, name, image.size(), report, sound.durationLine);
    writer.SetFileExtras(std::move(extras));
    const TapeTimeline timeline = TapeTimeline::OfRescue(result, report);
    writer.SetTimeline(&timeline);
    answers.Replay();
    AnalyseTape(image, answers, AnalysisSettings{options.trsFont}, &writer);
    writer.Finish();
    return VerdictStatus(report);
}

// The whole document: the recording's own fields in front of the image's object.
int WriteJson(const Options& options, const std::string& name, const std::string& recording,
              const RescueResult& result) {
    OutStream out;
    const Json head = {{"path", recording},
                       {"seconds", Rounded(result.seconds)},
                       {"rate", result.rate},
                       {"stoppedEarly", result.cancelled}};
    out.Write("{\"version\":" + std::to_string(kJsonVersion) + ",\"recording\":" +
              head.dump(-1, ' ', true, Json::error_handler_t::replace) + ",\"tapes\":[");
    const int status = WriteTapeJson(out, options, name, result);
    out.Write("]}\n");
    return status;
}

// The rescue's own lines, behind the report.
int WriteLines(const Options& options, const std::string& name, const RescueResult& result) {
    Options quiet = options; // the report has asked already; Level 2 where nobody says
    if (!quiet.level) quiet.level = TapeFormat::Level2;
    Answers answers(quiet);
    DiscardLines discard;
    const TapeReport report = Analyse(name, result.image, answers, false, &discard);
    OutStream out;
    out.Write(kLineEnd);
    for (const Bytes& line : RescueLines(result, report)) {
        out.Write(line);
        out.Write(kLineEnd);
    }
    for (const RescuedTapeFile& file : result.files)
        if (std::string_view(RescueVerdict(file, ReportOf(file, report))) == "damaged")
            return kExitDamaged;
    return kExitOk;
}

// The recording read and rescued, its trace kept in `trace` when that is given; none when it
// cannot be read, which standard error is told.
std::optional<RescueResult> Rescue(const std::string& command, const std::string& path,
                                   Channel channel, RescueSettings settings, std::string& failure) {
    const auto recording = RecordingFile::Open(path, channel, failure);
    if (!recording) {
        WriteErrLine(command + ": " + path + ": " + failure);
        return std::nullopt;
    }
    ProgressLine progressLine(StderrIsTerminal());
    RescueProgress progress;
    progress.report = [&progressLine](double fraction) { progressLine.Show(fraction); };
    RescueResult result = RescueRecording(*recording, settings, progress);
    progressLine.Clear();
    if (recording->EndedEarly())
        WriteErrLine(path + ": the recording ends after " +
                     std::to_string(recording->FramesRead()) + " of " +
                     std::to_string(recording->Length()) + " samples");
    return result;
}

// What `rescue` prints for the image it wrote as `name`: the report as `report` prints it
// (standard error gets its status lines), then the rescue's lines; or the JSON document.
int PrintRescued(const Options& options, const std::string& name, const std::string& recording,
                 const RescueResult& result, bool several = false) {
    if (options.json) return WriteJson(options, name, recording, result);
    const int status = ReportImage(options, name, result.image, several);
    if (status == kExitUsage) return status;
    return std::max(status, WriteLines(options, name, result));
}

bool Refused(SaveResult saved, const std::string& path) {
    switch (saved) {
    case SaveResult::Saved:
        return false;
    case SaveResult::NotCreated:
        Fail("Error opening file " + path);
        return true;
    case SaveResult::WriteFailed:
        Fail("Error writing file " + path + " (disk full?); nothing was saved");
        return true;
    }
    return true;
}
#endif

} // namespace

void DefineRescue(CLI::App& app, RescueOptions& options) {
    app.group("Commands");
    app.description(
        "Reads a recording of a cassette back into a tape image.\n"
        "The recording (WAV, FLAC, AIFF; 8 to 32 bits, 8 to 192 kHz, mono or stereo) may be\n"
        "off speed, quiet, inverted or noisy: speed and level are learnt from each leader.\n"
        "Writes the tape image, prints its report as 'report' does, then per tape file\n"
        "where it begins, its speed and polarity, where its signal was lost, the bytes\n"
        "mended (by a checksum, the chain of BASIC lines or from another copy) and the bytes\n"
        "that stay doubtful, with their times.");
    app.add_option("REC", options.recording, "the recording")->required()->type_name("");
    app.add_option_function<std::string>(
           "-o", [&options](const std::string& value) { options.output = value; },
           "the tape image to write (default: REC with its extension replaced\nby .cas)")
        ->type_name("OUT.cas");
    app.add_option_function<std::string>(
           "--format",
           [&options](const std::string& value) {
               options.format = value == "1"   ? TapeFormat::Level1
                                : value == "2" ? TapeFormat::Level2
                                               : TapeFormat::Highspeed;
           },
           "listen for this format only (default: all); 1 or 2 also answers\n'Level 1 or 2?'")
        ->check(CLI::IsMember({"1", "2", "H"}, CLI::ignore_case).description(""))
        ->type_name("1|2|H");
    app.add_option_function<std::string>(
           "--channel", [&options](const std::string& value) { options.channel = value; },
           "the channel of a stereo recording (default: the stronger one)")
        ->check(CLI::IsMember({"left", "right"}).description(""))
        ->type_name("left|right");
    app.add_option_function<std::string>(
           "--trace", [&options](const std::string& value) { options.trace = value; },
           "also write every pulse and bit cell the decoders found, with the\n"
           "clock, as CSV (described in README.md)")
        ->type_name("FILE.csv");
    app.add_flag("--force", options.force,
                 "replace OUT or the trace when it exists (default: refuse)");
    app.add_flag("--json", options.json,
                 "the report as JSON, each tape file with a \"rescue\" object\n"
                 "(described in README.md)");
    app.footer("Exit status: 0 every tape file ok, 1 a tape file damaged, mended badly or with\n"
               "doubtful bytes (or none found), 2 bad arguments, an unreadable recording or an\n"
               "output that cannot be written.");
}

int RunRescue(const RescueOptions& options) {
#if !TONVALE_RECORDING
    (void)options;
    return Fail("reading recordings is not built into this program (no libsndfile)");
#else
    const std::string& path = options.recording;
    const std::string output = options.output.value_or(TapeName(path));
    if (output == path) return Fail(output + ": the output would replace the recording");
    if (Exists(output) && !options.force) return Fail(output + " exists; --force replaces it");
    if (options.trace) {
        const std::string& trace = *options.trace;
        if (trace == path || trace == output)
            return Fail(trace + ": the trace would replace the " +
                        (trace == path ? "recording" : "tape image"));
        if (Exists(trace) && !options.force) return Fail(trace + " exists; --force replaces it");
    }
    const Channel channel = options.channel == "left"    ? Channel::Left
                            : options.channel == "right" ? Channel::Right
                                                         : Channel::Stronger;
    // The trace costs time and memory: kept only when asked for.
    RescueTrace trace;
    RescueSettings settings;
    if (options.trace) settings.trace = &trace;
    if (options.format)
        settings.format = *options.format == TapeFormat::Highspeed ? TapeFormat::Highspeed
                                                                   : TapeFormat::Level1or2;
    std::string failure;
    const std::optional<RescueResult> result = Rescue(kCommand, path, channel, settings, failure);
    if (!result) return kExitUsage;
    // Written also when nothing was found: then it shows best why.
    if (options.trace && Refused(SaveFileFrom(*options.trace,
                                              [&trace](const ByteWriter& write) {
                                                  return WriteTraceCsv(trace, write);
                                              }),
                                 *options.trace))
        return kExitUsage;
    if (result->files.empty()) {
        WriteErrLine(kCommand + ": no tape file found in " + path);
        return kExitDamaged;
    }
    if (Refused(SaveFile(output, result->image), output)) return kExitUsage;

    Options report;
    report.tapes = {output};
    report.json = options.json;
    if (options.format && *options.format != TapeFormat::Highspeed) report.level = options.format;
    return PrintRescued(report, output, path, *result);
#endif
}

int ReportRecording(const Options& options, const std::string& path, bool several) {
    const std::string command = "tonvale-cli report";
#if !TONVALE_RECORDING
    (void)options;
    (void)several;
    WriteErrLine(command + ": " + path +
                 ": reading recordings is not built into this program (no libsndfile)");
    return kExitUsage;
#else
    // As the window rescues it: the stronger channel, every format.
    std::string failure;
    const std::optional<RescueResult> result =
        Rescue(command, path, Channel::Stronger, {}, failure);
    if (!result) return kExitUsage;
    if (result->files.empty()) {
        WriteErrLine(command + ": no tape file found in " + path);
        return kExitDamaged;
    }
    // No image is written: the recording names the text's messages, the image's would-be
    // name the JSON's tape, as `rescue --json` names it.
    return PrintRescued(options, options.json ? TapeName(path) : path, path, *result, several);
#endif
}

int ReportRecordingJson(OutStream& out, const Options& options, const std::string& path) {
#if !TONVALE_RECORDING
    (void)options;
    WriteUnreadableTapeJson(out, path,
                            "reading recordings is not built into this program (no libsndfile)");
    return kExitUsage;
#else
    std::string failure;
    const std::optional<RescueResult> result =
        Rescue("tonvale-cli report", path, Channel::Stronger, {}, failure);
    if (!result) {
        WriteUnreadableTapeJson(out, path, failure);
        return kExitUsage;
    }
    if (result->files.empty()) {
        WriteUnreadableTapeJson(out, path, "no tape file found");
        return kExitDamaged;
    }
    return WriteTapeJson(out, options, TapeName(path), *result);
#endif
}

#if TONVALE_RECORDING
int SaveAndReport(const std::string& command, const std::string& recording,
                  const std::string& output, const RescueResult& result,
                  const RescueOptions& options) {
    if (result.files.empty()) {
        WriteErrLine(command + ": no tape file found in " + recording);
        return kExitDamaged;
    }
    switch (SaveFile(output, result.image)) {
    case SaveResult::Saved:
        break;
    case SaveResult::NotCreated:
        WriteErrLine(command + ": Error opening file " + output);
        return kExitUsage;
    case SaveResult::WriteFailed:
        WriteErrLine(command + ": Error writing file " + output +
                     " (disk full?); nothing was saved");
        return kExitUsage;
    }
    Options report;
    report.tapes = {output};
    report.json = options.json;
    if (options.format && *options.format != TapeFormat::Highspeed) report.level = options.format;
    return PrintRescued(report, output, recording, result);
}
#endif

} // namespace tonvale::cli
