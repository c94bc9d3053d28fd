// tonvale-cli convert: a tape laid down again at the other speed, Level 2 (500 baud) or
// Highspeed (1500 baud), as a tape image or as its sound.
#include "app/SafeFile.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Tape.h"
#include "sound/WavImage.h"
#include "writer/ConvertTape.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace tonvale::cli {

namespace {

const std::string kCommand = "tonvale-cli convert: ";

bool EndsWith(std::string text, std::string_view ending) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return text.size() >= ending.size() && text.ends_with(ending);
}

Bytes Duration(TapeFormat format, ByteView image) {
    TextBuffer text;
    FormatDuration(text, PlayMillis(WavDataLength(format, image)));
    return text.ToBytes();
}

// One line for each tape file laid down: kind, name, formats, bytes.
void TellFiles(const TapeReport& report, const TapeConversion& conversion) {
    for (const ConvertedFile& converted : conversion.files) {
        const TapeFileReport& file = report.files[converted.index];
        Bytes line = ToBytes(NamesOf(file.kind).title);
        if (file.name) {
            line.insert(line.end(), {' ', '\''});
            line.insert(line.end(), file.name->begin(), file.name->end());
            line.push_back('\'');
        }
        const std::string rest = std::string(": ") + std::string(NamesOf(converted.from).title) +
                                 " -> " + std::string(NamesOf(converted.to).title) +
                                 (converted.from == converted.to ? " (kept)" : "") + ", " +
                                 std::to_string(converted.bytes) + " bytes";
        line.insert(line.end(), rest.begin(), rest.end());
        WriteErr(line);
        WriteErrLine("");
    }
}

// The playing time before and after; a tape of mixed formats played as one is timed in the
// format its sound would have without a question, Level 2.
void TellPlayingTime(const TapeReport& report, ByteView image, const TapeConversion& conversion,
                     TapeFormat target) {
    const TapeFormat before = report.mixedFormats ? TapeFormat::Level2 : report.lastFormat;
    Bytes line = ToBytes("playing time ");
    const Bytes now = Duration(target, conversion.image), was = Duration(before, image);
    line.insert(line.end(), now.begin(), now.end());
    line.insert(line.end(), {',', ' ', 'w', 'a', 's', ' '});
    line.insert(line.end(), was.begin(), was.end());
    WriteErr(line);
    WriteErrLine("");
}

bool Refused(const std::string& path, const TapeReport& report, const TapeConversion& result) {
    switch (result.outcome) {
    case ConvertOutcome::Converted:
        return false;
    case ConvertOutcome::Level1: {
        const std::size_t index = *result.level1File;
        WriteErrLine(kCommand + path + ": tape file " + std::to_string(index + 1) + " (" +
                     std::string(NamesOf(report.files[index].kind).title) +
                     ") is Level 1, which has only one speed; nothing was written");
        return true;
    }
    case ConvertOutcome::NoTapeFile:
        WriteErrLine(kCommand + path + ": no tape file (no leader and sync byte) to convert");
        return true;
    case ConvertOutcome::NoMemory:
        WriteErrLine(kCommand + path + ": not enough memory");
        return true;
    }
    return true;
}

SaveResult Save(const std::string& output, bool wav, TapeFormat target, ByteView image) {
    if (!wav) return SaveFile(output, image);
    if (!FitsWavSizeFields(WavDataLength(target, image))) return SaveResult::WriteFailed;
    return SaveFileFrom(output, [&](const ByteWriter& write) {
        return WriteWavImage(target, image, false, write);
    });
}

} // namespace

void DefineConvert(CLI::App& app, ConvertOptions& options) {
    app.group("Commands");
    app.description(
        "Lays every tape file of TAPE down again at the other speed.\n"
        "Level 2 (500 baud) becomes Highspeed (1500 baud) or back; names, addresses and bytes\n"
        "stay as they are, and tape files already in that format are laid down afresh.\n"
        "Level 1 tapes have one speed only and are refused. Standard error gets a line for\n"
        "each tape file and the playing time before and after.");
    app.add_option("TAPE", options.tape, "the tape image (.cas)")->required()->type_name("");
    app.add_option("-o", options.output,
                   "the file to write: a tape image when it ends in .cas, its sound\n"
                   "when it ends in .wav")
        ->required()
        ->type_name("OUT");
    app.add_option_function<std::string>(
           "--format",
           [&options](const std::string& value) {
               options.format = value == "2" ? TapeFormat::Level2 : TapeFormat::Highspeed;
           },
           "the format to lay the tape files down in")
        ->required()
        ->check(CLI::IsMember({"2", "H"}, CLI::ignore_case).description(""))
        ->type_name("2|H");
    AddLevelOption(app, options.level);
    app.footer("Exit status: 0 written and every tape file ok, 1 written but a tape file bad or\n"
               "suspicious, 2 bad arguments, an unreadable tape, a Level 1 tape or an output "
               "that\ncannot be written.");
}

int RunConvert(const ConvertOptions& options) {
    const bool wav = EndsWith(options.output, ".wav");
    if (!wav && !EndsWith(options.output, ".cas")) {
        WriteErrLine(kCommand + options.output + ": OUT must end in .cas or .wav");
        return kExitUsage;
    }
    const TapeRead tape = ReadTape(options.tape);
    if (!tape.image) return kExitUsage;
    const ByteView image(*tape.image);

    Options asked;
    asked.level = options.level;
    Answers answers(asked);
    DiscardLines discard;
    const TapeReport report = Analyse(options.tape, image, answers, false, &discard);
    if (report.workBufferShortfall) return kExitUsage;
    const TapeConversion conversion = ConvertTape(image, report, options.format);
    if (Refused(options.tape, report, conversion)) return kExitUsage;

    switch (Save(options.output, wav, options.format, conversion.image)) {
    case SaveResult::Saved:
        break;
    case SaveResult::NotCreated:
        WriteErrLine(kCommand + "Error opening file " + options.output);
        return kExitUsage;
    case SaveResult::WriteFailed:
        WriteErrLine(kCommand + "Error writing file " + options.output +
                     " (disk full, or too long for a WAV file?); nothing was saved");
        return kExitUsage;
    }
    TellFiles(report, conversion);
    TellPlayingTime(report, image, conversion, options.format);
    return VerdictStatus(report);
}

} // namespace tonvale::cli
