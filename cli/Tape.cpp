#include "cli/Tape.h"

#include "app/LoadMessages.h"
#include "app/SoundChoice.h"
#include "base/TextBuffer.h"
#include "cli/Output.h"
#include "sound/WavImage.h"
#include "tape/TapeImage.h"

namespace tonvale::cli {

namespace {

// A message as the window composes it (at most 359 characters) and shows it.
void Tell(const TextBuffer& message) {
    WriteErr(message.View());
    WriteErrLine("");
}

} // namespace

TapeRead ReadTape(const std::string& path) {
    TapeImageFile file = ReadTapeImage(path);
    if (file.outcome == TapeReadOutcome::Read) return {std::move(file.bytes), {}};
    TextBuffer failure;
    FormatReadFailure(failure, file);
    TextBuffer message;
    message.Set(path);
    message.Append("\n");
    message.Append(failure.View());
    Tell(message);
    return {std::nullopt, std::string(failure.Chars())};
}

TapeReport Analyse(const std::string& path, ByteView image, Answers& answers, bool trsFont,
                   ReportSink* sink) {
    TapeReport report = AnalyseTape(image, answers, AnalysisSettings{trsFont}, sink);
    if (report.workBufferShortfall) {
        TextBuffer message;
        message.Set(path);
        AppendWorkBufferFailure(message, *report.workBufferShortfall);
        Tell(message);
    }
    return report;
}

SoundPlan PlanSound(const TapeReport& report, ByteView image, Answers& answers, bool lnw,
                    const SoundOptions& sound) {
    SoundPlan plan;
    const SoundChoice choice = ChooseSound(report, [&answers] { return answers.AskFormat(); });
    if (choice.none) {
        plan.none = true;
        plan.durationLine = choice.silentDurationLine;
        return plan;
    }
    plan.format = choice.format;
    plan.dataLength = WavDataLength(plan.format, image, lnw, sound);
    TextBuffer text;
    plan.fits = FitsWavSizeFields(plan.dataLength);
    if (!plan.fits) {
        FormatSoundFailure(text, plan.dataLength + kWavHeaderSize);
        Tell(text);
        return plan;
    }
    const std::uint32_t millis = PlayMillis(plan.dataLength, lnw, sound);
    FormatDuration(text, lnw ? millis / 2 : millis);
    plan.durationLine = text.ToBytes();
    return plan;
}

int VerdictStatus(const TapeReport& report) {
    return report.Damaged() ? kExitDamaged : kExitOk;
}

} // namespace tonvale::cli
