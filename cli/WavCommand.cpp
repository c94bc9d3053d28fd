// tonvale-cli wav: the WAV image of a tape, byte for byte as "Save &Wav" writes it.
#include "app/ProposedName.h"
#include "app/SafeFile.h"
#include "cli/Commands.h"
#include "cli/Options.h"
#include "cli/SoundSession.h"

#include <cstdio>

namespace tonvale::cli {

namespace {

constexpr const char* kHelp =
    "Usage: tonvale-cli wav [OPTIONS] TAPE\n"
    "Writes the WAV image of TAPE: every bit of the tape as the cassette signal, 8-bit\n"
    "mono, 22050 samples per second (44100 with --lnw). Standard error gets the playing\n"
    "time.\n\n"
    "Options:\n"
    "  -o OUT.wav      the file to write, name used as given\n"
    "                  (default: TAPE with .cas replaced by .wav, else .wav appended)\n"
    "  --lnw           LNW 1kHz: the same signal at double speed\n"
    "  --format 1|2|H  the sound's format when the tape files' formats differ\n"
    "                  (default: ask on a terminal, else Level 2)\n"
    "  --level 1|2     answer 'Level 1 or 2?' (default: ask on a terminal, else Level 2)\n"
    "  -h, --help      this text\n\n"
    "Exit status: 0 written and every tape file ok, 1 written but a tape file bad or\n"
    "suspicious, 2 bad arguments, an unreadable tape or an output that cannot be written,\n"
    "3 no WAV image (the tape ends in a Level 1 empty CSAVE, or is too long for a WAV file).\n";

} // namespace

int RunWav(const std::vector<std::string>& args) {
    Options options;
    if (auto error = ParseOptions(args, {"--level", "--format", "--lnw", "-o"}, options)) {
        std::fprintf(stderr, "tonvale-cli wav: %s\n\n%s", error->c_str(), kHelp);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kHelp, stdout);
        return kExitOk;
    }
    if (options.tapes.size() != 1) {
        std::fprintf(stderr, "tonvale-cli wav: give one TAPE\n\n%s", kHelp);
        return kExitUsage;
    }

    Session session(options);
    EndWithMessagesWhenNoSound(session);
    if (!session.Open(options.tapes.front())) return kExitUsage;
    const CTonvaleDlg& dlg = session.dlg;
    if (dlg.WavBytes().empty()) {
        WriteErrLine(std::string("tonvale-cli wav: ") + std::string(kNoWavText));
        return kExitNoWav;
    }

    const std::string output = options.output.value_or(ProposedName(dlg.Path(), ".wav"));
    const ByteView image = dlg.WavBytes();
    switch (SaveFile(output, image)) {
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
    WriteErr(dlg.ControlText(ControlId::DurationLine));
    WriteErrLine("");
    return session.VerdictStatus();
}

} // namespace tonvale::cli
