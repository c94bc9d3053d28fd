// Converting tapes between Level 2 and Highspeed, and extracting their tape files as PC files.
#include "analysis/AnalyseTape.h"
#include "analysis/TapeFileBytes.h"
#include "format/SystemTape.h"
#include "tape/TapeImageWriter.h"
#include "writer/ConvertTape.h"
#include "writer/ExtractTape.h"
#include "writer/LoadModuleReader.h"
#include "writer/SafeFileName.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

namespace tonvale {
namespace {

const std::string kSource = TONVALE_SOURCE_DIR;

struct CaseTape {
    TapeFormat level;
    Bytes image;
};

// The golden case tapes and the examples, by name, with their answer to "Level 1 or 2?".
std::map<std::string, CaseTape> CaseTapes() {
    std::map<std::string, CaseTape> tapes;
    std::ifstream index(kSource + "/tests/golden/cases.txt");
    for (std::string line, name; std::getline(index, line);) {
        int level = 0;
        if (line.starts_with("#") || !(std::istringstream(line) >> name >> level)) continue;
        std::string path = kSource + "/tests/golden/cases/" + name + ".cas";
        if (!std::filesystem::exists(path)) path = kSource + "/examples/" + name + ".cas";
        std::ifstream in(path, std::ios::binary);
        tapes[name] = {level == 1 ? TapeFormat::Level1 : TapeFormat::Level2,
                       Bytes(std::istreambuf_iterator<char>(in), {})};
    }
    return tapes;
}

struct FixedLevel : LevelQuestion {
    explicit FixedLevel(TapeFormat l) : level(l) {}
    TapeFormat AskLevel() override { return level; }
    TapeFormat level;
};

TapeReport Analyse(ByteView image, TapeFormat level = TapeFormat::Level2) {
    FixedLevel question(level);
    return AnalyseTape(image, question, AnalysisSettings{true});
}

// The bytes of every tape file behind a leader, in order: the analysis makes the same of them
// at either speed.
std::vector<Bytes> TapeFiles(ByteView image, TapeFormat level = TapeFormat::Level2) {
    const TapeReport report = Analyse(image, level);
    TapeFileBytes bytes(image, report);
    std::vector<Bytes> files;
    for (std::size_t i = 0; i < report.files.size(); ++i)
        if (report.files[i].synced) files.emplace_back(bytes.Of(i)->begin(), bytes.Of(i)->end());
    return files;
}

// Every case tape laid down in Highspeed and that back in Level 2 keeps its tape files' bytes;
// a tape of Level 2 only gets the same verdicts again.
TEST(Convert, LaysEveryCaseTapeDownInHighspeedAndBackWithTheSameTapeFiles) {
    for (const auto& [name, tape] : CaseTapes()) {
        SCOPED_TRACE(name);
        const TapeReport source = Analyse(tape.image, tape.level);
        const TapeConversion highspeed = ConvertTape(tape.image, source, TapeFormat::Highspeed);
        if (highspeed.outcome != ConvertOutcome::Converted) {
            EXPECT_TRUE(highspeed.image.empty());
            continue;
        }
        const TapeConversion level2 =
            ConvertTape(highspeed.image, Analyse(highspeed.image), TapeFormat::Level2);
        ASSERT_EQ(level2.outcome, ConvertOutcome::Converted);
        EXPECT_EQ(TapeFiles(highspeed.image), TapeFiles(tape.image, tape.level));
        EXPECT_EQ(TapeFiles(level2.image), TapeFiles(tape.image, tape.level));
        if (std::none_of(source.files.begin(), source.files.end(), [](const TapeFileReport& f) {
                return f.synced && f.format != TapeFormat::Level2;
            })) {
            EXPECT_EQ(Analyse(level2.image).summaryLine, source.summaryLine);
        }
    }
}

// A tape file's report lines that match `pattern`.
std::string Lines(const TapeReport& report, const TapeFileReport& file, const char* pattern) {
    std::string lines;
    for (const Bytes& line : JoinedLines(report, file))
        if (std::regex_match(std::string(AsChars(line)), std::regex(pattern)))
            lines += std::string(AsChars(line)) + "\n";
    return lines;
}

TEST(Extract, WritesEachKindOfTapeFileAsTheFileAPcOpens) {
    const struct {
        std::string tape;
        std::vector<std::string> names;
        std::size_t damaged; // blocks told as damaged
    } cases[] = {
        {"demo", {"T.bas"}, 0},
        {"demo-highspeed", {"T.bas"}, 0},
        {"demo-level1", {"tape.bas"}, 0},
        {"edtasm-source", {"DEMO.asm"}, 0},
        {"demo-system", {"TONVAL.cmd"}, 0},
        {"system-blocks-top-of-memory", {"GAME.cmd"}, 0},
        {"damaged-system", {"BROKEN.cmd"}, 1},
        {"system-end-in-block-data", {"GAME.cmd"}, 1},
        {"system-two-files", {"ONE.cmd", "TWO.cmd"}, 0},
        {"l2basic-two-programs", {"A.bas", "B.bas"}, 0},
        {"level1-machine-code", {"tape.bin"}, 0},
        {"level1-empty-csave", {"tape.bin"}, 0},
        {"driver-noise-40", {}, 0},
    };
    const std::map<std::string, CaseTape> tapes = CaseTapes();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tape);
        const CaseTape& tape = tapes.at(c.tape);
        const TapeReport report = Analyse(tape.image, tape.level);
        const std::vector<ExtractedFile> files = ExtractTapeFiles(tape.image, report);
        std::vector<std::string> names;
        std::size_t damaged = 0;
        for (const ExtractedFile& file : files) {
            names.push_back(file.name);
            damaged += file.damage.size();
            const TapeFileReport& source = report.files[file.index];
            // The lines that begin with a number, without the space Level 1 puts in front.
            if (file.name.ends_with(".bas")) {
                EXPECT_EQ(AsChars(file.contents),
                          std::regex_replace(Lines(report, source, " ?\\d+ .*"),
                                             std::regex("^ ", std::regex::multiline), ""));
            }
            // Memory from 41FEh: the entry address, then the code; an empty CSAVE's 64 KB.
            if (file.name.ends_with(".bin")) {
                EXPECT_EQ(file.contents.size(), source.kind == ContentKind::EmptyLevel1Csave
                                                    ? 0x10000u
                                                    : source.end.value_or(0) - 0x41FEu);
            }
            if (file.name.ends_with(".cmd")) {
                // Read as a load module and laid down as a SYSTEM tape by the writer: the same
                // memory and entry.
                const Outcome<MachineCode> code = ReadLoadModule(file.contents);
                ASSERT_TRUE(code) << code.error;
                EXPECT_EQ(code->entry, source.entry);
                const TapeReport again =
                    Analyse(TapeImageWriter()
                                .File(TapeFormat::Level2, *SystemTapeFile("A", code->pieces, 0))
                                .Image());
                const char* dump = "[0-9A-F]{4}( [0-9A-F]{2})+ .*";
                EXPECT_EQ(Lines(again, again.files[0], dump), Lines(report, source, dump));
            }
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(damaged, c.damaged);
    }
}

TEST(Extract, MakesNamesFromTheTapeSafeOnEveryFileSystem) {
    const std::pair<std::string, std::string> cases[] = {
        {"GAME", "GAME"},         {"con", "con_"},
        {"LPT1.X", "LPT1_.X"},    {"COM10", "COM10"},
        {"Aux", "Aux_"},          {"a<b>:c|d", "a_b__c_d"},
        {"\x01\x80Z?*", "__Z__"}, {"NAME. .", "NAME"},
        {"  X  ", "X"},           {"", "tape"},
        {"..", "tape"},           {"A\"/\\B", "A___B"},
        {"COM!", "COM!"},         {"lpt0.txt", "lpt0_.txt"},
    };
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(SafeFileName(ToBytes(name)), safe) << name;
    FileNamer namer;
    EXPECT_EQ(namer.Next("GAME", ".cmd"), "GAME.cmd");
    EXPECT_EQ(namer.Next("game", ".cmd"), "game-2.cmd");
    EXPECT_EQ(namer.Next("GAME", ".bas"), "GAME.bas");
    EXPECT_EQ(namer.Next("GAME", ".cmd"), "GAME-3.cmd");
}

} // namespace
} // namespace tonvale
