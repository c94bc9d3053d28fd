// tonvale-cli wav: the WAV image of a tape, byte for byte as "Save &Wav" writes it, made and
// written piece by piece so that a long one is never held.
#include "app/ProposedName.h"
#include "app/SafeFile.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Tape.h"
#include "sound/WavImage.h"

namespace tonvale::cli {

int RunWav(const Options& options) {
    const std::string& path = options.tapes.front();
    const TapeRead tape = ReadTape(path);
    if (!tape.image) return kExitUsage;
    const ByteView image(*tape.image);

    Answers answers(options);
    DiscardLines discard;
    const TapeReport report = Analyse(path, image, answers, false, &discard);
    const SoundPlan sound = PlanSound(report, image, answers, options.lnw, options.sound);
    if (sound.none) {
        WriteErrLine(std::string("tonvale-cli wav: ") + std::string(kNoWavText));
        return kExitNoWav;
    }
    if (!sound.fits) return kExitNoWav;

    const std::string output = options.output.value_or(ProposedName(path, ".wav"));
    const SaveResult saved = SaveFileFrom(output, [&](const ByteWriter& write) {
        return WriteWavImage(sound.format, image, options.lnw, options.sound, write);
    });
    switch (saved) {
    case SaveResult::Saved:
        break;
    case SaveResult::NotCreated:
        WriteErrLine("tonvale-cli wav: Error opening file " + output);
        return kExitUsage;
    case SaveResult::WriteFailed:
        WriteErrLine("tonvale-cli wav: Error writing file " + output +
                     " (disk full?); nothing was saved");
        return kExitUsage;
    }
    WriteErr(ToBytes(output + ": "));
    WriteErr(sound.durationLine);
    WriteErrLine("");
    return VerdictStatus(report);
}

} // namespace tonvale::cli
