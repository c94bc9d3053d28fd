// tonvale-cli report: the report as "&Save" writes it, the status lines on standard error; or
// all of it as one JSON document.
//
// The report is written as the analysis goes, so that a long one is never held. It begins with
// the file line, which is final only at the end of the walk: a first walk finds it, the status
// lines and the tape files, a second one hands over the lines. The second walk gets the first
// one's answers, so that nobody is asked twice.
#include "cli/Commands.h"

#include "app/RecordingName.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"
#include "cli/Tape.h"

#include <optional>

namespace tonvale::cli {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The report lines as "&Save" writes them: a continued piece without a line end.
class TextLines : public ReportSink {
  public:
    explicit TextLines(OutStream& out) : m_out(out) {}
    void Line(ByteView text, Byte tag) override {
        m_out.Write(text);
        if (tag == kTagPlain) m_out.Write(kLineEnd);
    }

  private:
    OutStream& m_out;
};

// The first walk over a tape: everything but the report lines.
TapeReport FirstWalk(const Options& options, const std::string& path, ByteView image,
                     Answers& answers) {
    DiscardLines discard;
    return Analyse(path, image, answers, options.trsFont, &discard);
}

void SecondWalk(const Options& options, ByteView image, Answers& answers, ReportSink& lines) {
    answers.Replay();
    AnalyseTape(image, answers, AnalysisSettings{options.trsFont}, &lines);
}

int Text(const Options& options, const std::string& path, bool several) {
    {
        OutStream out;
        if (several) out.Write("==> " + path + " <==" + std::string(kLineEnd));
    }
    if (IsRecordingName(path)) return ReportRecording(options, path, several);
    const TapeRead tape = ReadTape(path);
    if (!tape.image) return kExitUsage;
    return ReportImage(options, path, *tape.image, several);
}

int Json(const Options& options, const std::string& path, OutStream& out) {
    if (IsRecordingName(path)) return ReportRecordingJson(out, options, path);
    const TapeRead tape = ReadTape(path);
    if (!tape.image) {
        WriteUnreadableTapeJson(out, path, tape.failure);
        return kExitUsage;
    }
    const ByteView image(*tape.image);
    Answers answers(options);
    const TapeReport report = FirstWalk(options, path, image, answers);
    const SoundPlan sound = PlanSound(report, image, answers, options.lnw);
    JsonTapeWriter writer(out, path, image.size(), report, sound.durationLine);
    std::optional<TapeTimeline> timeline;
    if (!sound.none)
        writer.SetTimeline(&timeline.emplace(TapeTimeline::OfImage(report, image, sound.format)));
    SecondWalk(options, image, answers, writer);
    writer.Finish();
    return VerdictStatus(report);
}

} // namespace

int ReportImage(const Options& options, const std::string& path, ByteView image, bool several) {
    OutStream out;
    Answers answers(options);
    const TapeReport report = FirstWalk(options, path, image, answers);
    const SoundPlan sound = PlanSound(report, image, answers, options.lnw);

    out.Write(SavedFileLine(report));
    out.Write(kLineEnd);
    TextLines lines(out);
    SecondWalk(options, image, answers, lines);
    out.Flush();

    if (several) WriteErr(ToBytes(path + ": "));
    WriteErr(report.summaryLine);
    WriteErrLine("");
    if (!sound.durationLine.empty()) {
        WriteErr(sound.durationLine);
        WriteErrLine("");
    }
    return VerdictStatus(report);
}

int RunReport(const Options& options) {
    // A recording alone: the document `rescue --json` writes.
    if (options.json && options.tapes.size() == 1 && IsRecordingName(options.tapes[0]))
        return ReportRecording(options, options.tapes[0], false);
    int status = kExitOk;
    auto fold = [&status](int tapeStatus) {
        if (tapeStatus == kExitUsage || status == kExitOk) status = tapeStatus;
    };
    if (!options.json) {
        for (const std::string& path : options.tapes)
            fold(Text(options, path, options.tapes.size() > 1));
        return status;
    }

    OutStream out;
    out.Write("{\"version\":" + std::to_string(kJsonVersion) + ",\"tapes\":[");
    for (std::size_t i = 0; i < options.tapes.size(); ++i) {
        if (i > 0) out.Write(",");
        fold(Json(options, options.tapes[i], out));
    }
    out.Write("]}\n");
    return status;
}

} // namespace tonvale::cli
