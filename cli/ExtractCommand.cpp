// tonvale-cli extract: each tape file of a tape as a file a PC opens (writer/ExtractTape.h says
// which), into a directory, never over an existing file unless asked.
#include "app/SafeFile.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Tape.h"
#include "writer/ExtractTape.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <system_error>

namespace tonvale::cli {

namespace {

namespace fs = std::filesystem;

const std::string kCommand = "tonvale-cli extract: ";

fs::path ToPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ToUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

// The directory, made when missing; false (and said why) when it cannot be had.
bool MakeDirectory(const std::string& directory) {
    std::error_code error;
    const fs::path path = ToPath(directory);
    if (fs::is_directory(path, error)) return true;
    fs::create_directories(path, error);
    if (!error && fs::is_directory(path, error)) return true;
    WriteErrLine(kCommand + directory + ": cannot make this directory");
    return false;
}

// Every output's path; nullopt when one exists and may not be replaced (nothing is written then).
std::optional<std::vector<std::string>> OutputPaths(const ExtractOptions& options,
                                                    const std::vector<ExtractedFile>& files) {
    std::vector<std::string> paths;
    bool clash = false;
    for (const ExtractedFile& file : files) {
        const fs::path path = ToPath(options.directory) / ToPath(file.name);
        paths.push_back(ToUtf8(path));
        if (!options.force && Exists(path)) {
            WriteErrLine(kCommand + paths.back() + " exists; --force replaces it");
            clash = true;
        }
    }
    if (clash) return std::nullopt;
    return paths;
}

// A tape file with a leader that gave no file: say so, so that nobody looks for it.
void TellSkipped(const TapeReport& report, const std::vector<ExtractedFile>& files) {
    std::size_t next = 0;
    for (std::size_t i = 0; i < report.files.size(); ++i) {
        if (next < files.size() && files[next].index == i) {
            ++next;
            continue;
        }
        if (report.files[i].synced)
            WriteErrLine("tape file " + std::to_string(i + 1) + ": nothing to write");
    }
}

} // namespace

void DefineExtract(CLI::App& app, ExtractOptions& options) {
    app.group("Commands");
    app.description(
        "Writes each tape file of TAPE as a file of its own.\n"
        "BASIC as its listing (.bas), SYSTEM tapes as DOS load modules (.cmd), EDTASM\n"
        "sources as text (.asm), Level 1 machine code, the Level 1 empty CSAVE and\n"
        "unidentified data as bytes (.bin). Names come from the tape, made safe for every\n"
        "file system and numbered where they repeat. Standard output gets each file written\n"
        "and what it holds, standard error what is damaged.");
    app.add_option("TAPE", options.tape, "the tape image (.cas)")->required()->type_name("");
    app.add_option("-d", options.directory,
                   "the directory to write into, made when missing (default: the\n"
                   "current directory)")
        ->type_name("DIR");
    app.add_flag("--force", options.force, "replace files that exist");
    AddLevelOption(app, options.level);
    app.footer("Exit status: 0 written and every tape file ok, 1 written but a tape file bad or\n"
               "suspicious, 2 bad arguments, an unreadable tape, a file that exists (without\n"
               "--force) or cannot be written.");
}

int RunExtract(const ExtractOptions& options) {
    const TapeRead tape = ReadTape(options.tape);
    if (!tape.image) return kExitUsage;
    const ByteView image(*tape.image);

    Options asked;
    asked.level = options.level;
    Answers answers(asked);
    // The files are made from what the formats' parsers read: the report lines are not needed.
    DiscardLines discard;
    const TapeReport report = Analyse(options.tape, image, answers, false, &discard);
    if (report.workBufferShortfall) return kExitUsage;
    const std::vector<ExtractedFile> files = ExtractTapeFiles(image, report);
    if (files.empty()) WriteErrLine(kCommand + options.tape + ": no tape file to write");

    if (!MakeDirectory(options.directory)) return kExitUsage;
    const std::optional<std::vector<std::string>> paths = OutputPaths(options, files);
    if (!paths) return kExitUsage;

    bool damaged = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = (*paths)[i];
        if (SaveFile(path, files[i].contents) != SaveResult::Saved) {
            WriteErrLine(kCommand + "Error writing file " + path);
            return kExitUsage;
        }
        WriteOut(ToBytes(path + ": " + files[i].kind + "\n"));
        for (const std::string& damage : files[i].damage) {
            WriteErrLine(path + ": " + damage + "; written as it stands");
            damaged = true;
        }
    }
    TellSkipped(report, files);
    return damaged ? kExitDamaged : VerdictStatus(report);
}

} // namespace tonvale::cli
