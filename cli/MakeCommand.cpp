// tonvale-cli make: a tape from programs kept on a PC: BASIC listings, machine code as a raw
// binary, a DOS load module or Intel HEX, EDTASM sources. Each input becomes one tape file,
// in order, laid down with its leader and sync byte; the tape is written as a .cas image or
// as its sound, and the analysis of what was written is told on standard error.
#include "app/SafeFile.h"
#include "base/TextBuffer.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Startup.h"
#include "cli/Tape.h"
#include "format/Level1.h"
#include "format/SystemTape.h"
#include "sound/WavImage.h"
#include "tape/TapeImage.h"
#include "tape/TapeImageWriter.h"
#include "writer/AssemblerSource.h"
#include "writer/IntelHexReader.h"
#include "writer/Level1Listing.h"
#include "writer/Level2Listing.h"
#include "writer/LoadModuleReader.h"

#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <filesystem>
#include <map>

namespace tonvale::cli {

namespace fs = std::filesystem;

enum class InputKind {
    Basic,
    Binary,
    System,
    LoadModule,
    IntelHex,
    Edtasm,
    Level1Basic,
    Level1Code
};

struct MakeOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::optional<TapeFormat> format;
    std::optional<std::string> name;
    std::optional<std::uint16_t> load;
    std::optional<std::uint16_t> entry;
    std::optional<InputKind> kind;
};

namespace {

constexpr const char* kCommand = "tonvale-cli make: ";

const std::map<std::string, InputKind> kKindNames = {
    {"basic", InputKind::Basic},
    {"bin", InputKind::Binary},
    {"system", InputKind::System},
    {"cmd", InputKind::LoadModule},
    {"hex", InputKind::IntelHex},
    {"edtasm", InputKind::Edtasm},
    {"level1-basic", InputKind::Level1Basic},
    {"level1-code", InputKind::Level1Code},
};

const std::map<std::string, InputKind> kExtensions = {
    {".bas", InputKind::Basic},    {".txt", InputKind::Basic},    {".cmd", InputKind::LoadModule},
    {".hex", InputKind::IntelHex}, {".ihx", InputKind::IntelHex}, {".bin", InputKind::Binary},
    {".com", InputKind::Binary},   {".asm", InputKind::Edtasm},   {".src", InputKind::Edtasm},
};

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// An address as the TRS-80 world writes it, always hexadecimal: 7000, 7000h, 7000H, 0x7000.
std::uint16_t ParseAddress(const std::string& option, std::string text) {
    const std::string given = text;
    if (text.size() > 2 && (text[1] == 'x' || text[1] == 'X') && text[0] == '0')
        text = text.substr(2);
    else if (!text.empty() && (text.back() == 'h' || text.back() == 'H'))
        text.pop_back();
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw CLI::ValidationError(option + ": " + given +
                                   " is no address from 0000h to FFFFh (hexadecimal)");
    return static_cast<std::uint16_t>(std::stoul(text, nullptr, 16));
}

std::string Hex4(unsigned value) {
    return fmt::format("{:04X}h", value & 0xFFFFu);
}

struct Input {
    std::string path;
    InputKind kind;
    Bytes bytes;
};

// The kind the input's extension tells, then what --format makes of it.
std::optional<InputKind> KindOf(const MakeOptions& options, const std::string& path) {
    std::optional<InputKind> kind = options.kind;
    if (!kind) {
        const auto found = kExtensions.find(Lower(fs::path(path).extension().string()));
        if (found == kExtensions.end()) return std::nullopt;
        kind = found->second;
    }
    if (options.format == TapeFormat::Level1 && kind == InputKind::Basic)
        return InputKind::Level1Basic;
    if (options.format == TapeFormat::Level1 && kind == InputKind::Binary)
        return InputKind::Level1Code;
    return kind;
}

// The name from the input's file name: its letters and digits, upper-cased, as many as fit.
std::string NameFromPath(const std::string& path, std::size_t room, const char* fallback) {
    std::string name;
    for (const char c : fs::path(path).stem().string())
        if (name.size() < room && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')))
            name += c;
        else if (name.size() < room && c >= 'a' && c <= 'z')
            name += static_cast<char>(c - 'a' + 'A');
    return name.empty() ? fallback : name;
}

struct TapeFile {
    TapeFormat format;
    Bytes bytes;
};

// The entry address: --entry, else the one the file gives; fails without either.
Outcome<std::uint16_t> EntryOf(const MakeOptions& options, const MachineCode& code) {
    if (options.entry) return *options.entry;
    if (code.entry) return *code.entry;
    return Failure{"the file gives no entry address: give --entry"};
}

Outcome<MachineCode> ReadCode(const MakeOptions& options, const Input& input) {
    if (input.kind == InputKind::LoadModule) return ReadLoadModule(input.bytes);
    if (input.kind == InputKind::IntelHex) return ReadIntelHex(AsChars(input.bytes));
    const bool level1 = input.kind == InputKind::Level1Code;
    if (!options.load && !level1) return Failure{"a raw binary needs --load ADDR"};
    auto code = CodeFromBinary(input.bytes, options.load.value_or(kLevel1Program));
    if (code && !code->entry) code.value->entry = code->pieces.front().address;
    return code;
}

Outcome<Bytes> Level1Code(const MakeOptions& options, const MachineCode& code) {
    const auto entry = EntryOf(options, code);
    if (!entry) return Failure{entry.error};
    const std::optional<MemoryPiece> flat = code.Flat();
    return Level1CodeFile(flat->data, flat->address, *entry);
}

Outcome<Bytes> SystemTape(const MakeOptions& options, const Input& input, const MachineCode& code) {
    const auto entry = EntryOf(options, code);
    if (!entry) return Failure{entry.error};
    return SystemTapeFile(
        options.name.value_or(NameFromPath(input.path, kSystemNameLength, "PROG")), code.pieces,
        *entry);
}

Outcome<Bytes> Level2Basic(const MakeOptions& options, const Input& input) {
    const std::string name = options.name.value_or(NameFromPath(input.path, 1, "A"));
    if (name.size() != 1) return Failure{"a BASIC tape's name is one character"};
    return Level2BasicFromListing(AsChars(input.bytes), static_cast<Byte>(name[0]),
                                  options.load.value_or(kModelIBasicStart));
}

// One input's tape file; the notes of the reader go to standard error.
Outcome<TapeFile> MakeTapeFile(const MakeOptions& options, const Input& input) {
    const TapeFormat asked = options.format.value_or(TapeFormat::Level2);
    const bool level1 = input.kind == InputKind::Level1Basic || input.kind == InputKind::Level1Code;
    if (level1 && asked != TapeFormat::Level1 && options.format)
        return Failure{"a Level 1 tape file cannot be recorded in another format"};
    if (!level1 && asked == TapeFormat::Level1 && input.kind != InputKind::LoadModule &&
        input.kind != InputKind::IntelHex)
        return Failure{"Level 1 has BASIC and machine code only"};
    const TapeFormat format = level1 ? TapeFormat::Level1 : asked;
    auto made = [format](const Outcome<Bytes>& file) -> Outcome<TapeFile> {
        if (!file) return Failure{file.error};
        return TapeFile{format, *file};
    };
    switch (input.kind) {
    case InputKind::Basic:
        return made(Level2Basic(options, input));
    case InputKind::Level1Basic:
        return made(Level1BasicFromListing(AsChars(input.bytes)));
    case InputKind::Edtasm:
        return made(EdtasmSourceFile(AsChars(input.bytes),
                                     options.name.value_or(NameFromPath(input.path, 6, "SOURCE"))));
    default:
        break;
    }
    const auto code = ReadCode(options, input);
    if (!code) return Failure{code.error};
    for (const std::string& note : code->notes)
        WriteErrLine(kCommand + input.path + ": " + note);
    if (format == TapeFormat::Level1) return made(Level1Code(options, *code));
    return made(SystemTape(options, input, *code));
}

// What the analysis makes of the tape: one line per tape file, the summary and the time.
void TellWhatWasMade(const std::string& output, const TapeReport& report, const Bytes& duration) {
    static const std::map<ContentKind, const char*> kKinds = {
        {ContentKind::Basic, "BASIC"},
        {ContentKind::System, "SYSTEM"},
        {ContentKind::EdtasmSource, "EDTASM"},
        {ContentKind::Unidentified, "unidentified"},
        {ContentKind::EmptyLevel1Csave, "empty CSAVE"}};
    WriteErrLine(output + ":");
    for (const TapeFileReport& file : report.files) {
        std::string line = file.format == TapeFormat::Level1      ? "  Level 1 "
                           : file.format == TapeFormat::Highspeed ? "  Highspeed "
                                                                  : "  Level 2 ";
        line += kKinds.at(file.kind);
        if (file.name) {
            const std::string_view name = AsChars(*file.name);
            line += " '" + std::string(name.substr(0, name.find_last_not_of(' ') + 1)) + "'";
        }
        if (file.load && file.end) line += " " + Hex4(*file.load) + "-" + Hex4(*file.end - 1);
        if (file.entry) line += " entry " + Hex4(*file.entry);
        WriteErrLine(line + std::string(AsChars(file.summaryWord)));
    }
    WriteErr(report.summaryLine);
    WriteErrLine("");
    WriteErr(duration);
    WriteErrLine("");
}

int Refuse(const std::string& message) {
    WriteErrLine(kCommand + message);
    return kExitUsage;
}

} // namespace

std::shared_ptr<MakeOptions> DefineMake(CLI::App& app) {
    auto options = std::make_shared<MakeOptions>();
    app.group("Commands");
    app.description(
        "Makes a tape from programs: BASIC listings, machine code, EDTASM sources.\n"
        "Each INPUT becomes one tape file, in order. OUT ending in .cas gets the tape image,\n"
        "ending in .wav its sound. Standard error gets what the analysis finds on it.");
    app.add_option("INPUT", options->inputs, "the programs")->required()->type_name("");
    app.add_option("-o", options->output, "the tape to write: OUT.cas or OUT.wav")
        ->required()
        ->type_name("OUT");
    app.add_option_function<std::string>(
           "--format",
           [o = options.get()](const std::string& value) {
               o->format = value == "1"   ? TapeFormat::Level1
                           : value == "2" ? TapeFormat::Level2
                                          : TapeFormat::Highspeed;
           },
           "1 Level 1 (500 baud), 2 Level 2 (500 baud, the default),\nH Highspeed (1500 baud)")
        ->check(CLI::IsMember({"1", "2", "H"}, CLI::ignore_case).description(""))
        ->type_name("1|2|H");
    app.add_option_function<std::string>(
           "--name", [o = options.get()](const std::string& value) { o->name = value; },
           "the name on tape: one character for BASIC, up to six for SYSTEM\nand EDTASM "
           "(default: from the file name, upper-cased)")
        ->type_name("NAME");
    app.add_option_function<std::string>(
           "--load",
           [o = options.get()](const std::string& v) { o->load = ParseAddress("--load", v); },
           "where a raw binary loads (needed, Level 1: 4200h); for BASIC,\nwhere the "
           "program's line links point (default 42E9h)")
        ->type_name("ADDR");
    app.add_option_function<std::string>(
           "--entry",
           [o = options.get()](const std::string& v) { o->entry = ParseAddress("--entry", v); },
           "where machine code starts (default: the load module's or HEX\nfile's own, a "
           "binary's load address)")
        ->type_name("ADDR");
    std::vector<std::string> kinds;
    for (const auto& [kindName, kind] : kKindNames)
        kinds.push_back(kindName);
    app.add_option_function<std::string>(
           "--kind", [o = options.get()](const std::string& v) { o->kind = kKindNames.at(v); },
           "what every INPUT is, instead of its extension")
        ->check(CLI::IsMember(kinds).description(""))
        ->type_name("KIND");
    app.footer(
        "Kinds, by extension or --kind:\n"
        "  .bas .txt   basic: a Level 2 BASIC listing as LIST shows it, one program line\n"
        "              per text line (LF or CR LF), tokenised as the ROM tokenises a typed\n"
        "              line; keywords in any case\n"
        "  .bin .com   bin: a raw binary, loaded at --load; system: the same, always SYSTEM\n"
        "  .cmd        cmd: a DOS load module; its load and transfer records are used,\n"
        "              other records are skipped and told\n"
        "  .hex .ihx   hex: Intel HEX; the end record's address is the entry when not 0\n"
        "  .asm .src   edtasm: an EDTASM source; a line beginning with a number keeps it,\n"
        "              other lines get the number 10 above the line before (first 00010)\n"
        "  level1-basic, level1-code: what --format 1 makes of basic and bin\n"
        "Formats: 2 and H make BASIC, SYSTEM and EDTASM tape files; 1 makes Level 1 BASIC\n"
        "from a listing and Level 1 machine code (its entry address in the two bytes\n"
        "below the code) from a binary, a load module or Intel HEX.\n"
        "Addresses are hexadecimal: 7000, 7000h, 0x7000.\n"
        "Exit status: 0 written and every tape file ok, 1 written but a tape file\n"
        "suspicious, 2 bad arguments or an input that cannot be made into a tape\n"
        "(nothing is written then).");
    return options;
}

int RunMake(const MakeOptions& options) {
    const std::string ending = Lower(fs::path(options.output).extension().string());
    if (ending != ".cas" && ending != ".wav")
        return Refuse(options.output + ": OUT must end in .cas or .wav");
    std::vector<std::string> inputs = options.inputs;
    ExpandWildcards(inputs);

    TapeImageWriter tape;
    for (const std::string& path : inputs) {
        const std::optional<InputKind> kind = KindOf(options, path);
        if (!kind)
            return Refuse(path + ": what it holds is not known by its extension; give --kind");
        TapeImageFile file = ReadTapeImage(path);
        if (file.outcome != TapeReadOutcome::Read) return Refuse(path + ": cannot be read");
        const auto made = MakeTapeFile(options, {path, *kind, std::move(file.bytes)});
        if (!made) return Refuse(path + ": " + made.error);
        tape.File(made->format, made->bytes);
    }

    const ByteView image = tape.Image();
    Options answers;
    answers.level = TapeFormat::Level2;
    answers.format = options.format.value_or(TapeFormat::Level2);
    Answers answer(answers);
    DiscardLines discard;
    const TapeReport report = Analyse(options.output, image, answer, false, &discard);
    const SoundPlan sound = PlanSound(report, image, answer, false);
    if (ending == ".wav" && !sound.fits) return kExitUsage;
    const SaveResult saved = ending == ".cas"
                                 ? SaveFile(options.output, image)
                                 : SaveFileFrom(options.output, [&](const ByteWriter& write) {
                                       return WriteWavImage(sound.format, image, false, write);
                                   });
    if (saved == SaveResult::NotCreated) return Refuse("Error opening file " + options.output);
    if (saved == SaveResult::WriteFailed)
        return Refuse("Error writing file " + options.output + " (disk full?); nothing was saved");
    TellWhatWasMade(options.output, report, sound.durationLine);
    return VerdictStatus(report);
}

} // namespace tonvale::cli
