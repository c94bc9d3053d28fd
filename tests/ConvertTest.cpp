// Converting tapes between Level 2 and Highspeed, and extracting their tape files as PC files.
#include "analysis/AnalyseTape.h"
#include "analysis/TapeFileBytes.h"
#include "writer/ConvertTape.h"
#include "writer/ExtractTape.h"
#include "writer/SafeFileName.h"
#include "writer/TapeImageWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

namespace tonvale {
namespace {

const std::string kSource = TONVALE_SOURCE_DIR;

struct CaseTape {
    std::string name;
    TapeFormat level;
    Bytes image;
};

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The golden case tapes and the examples, with their answer to "Level 1 or 2?".
std::vector<CaseTape> CaseTapes() {
    std::vector<CaseTape> tapes;
    std::ifstream index(kSource + "/tests/golden/cases.txt");
    for (std::string line; std::getline(index, line);) {
        std::istringstream fields(line);
        std::string name;
        int level = 0;
        if (line.starts_with("#") || !(fields >> name >> level)) continue;
        std::string path = kSource + "/tests/golden/cases/" + name + ".cas";
        if (!std::filesystem::exists(path)) path = kSource + "/examples/" + name + ".cas";
        tapes.push_back({name, level == 1 ? TapeFormat::Level1 : TapeFormat::Level2, ReadAll(path)});
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

// What must survive a conversion, per tape file with a leader: its bytes and what the analysis
// makes of them, its listing, and with `allLines` every report line, the format's words made
// alike. Of unidentified data only the bytes count: Highspeed data that begins like a Level 1
// tape file reads as one behind a 00h leader. The other report lines may differ by the end of a Highspeed image, whose
// filler bits read as an incomplete last byte.
std::vector<std::string> Findings(ByteView image, const TapeReport& report, bool allLines) {
    static const std::regex format(
        "Highspeed header \\(many 55h then 7Fh\\)|Level 2 header \\(many 00h then 5Ah\\)|"
        "Highspeed|Level 2");
    std::vector<std::string> findings;
    TapeFileBytes bytes(image, report);
    for (std::size_t i = 0; i < report.files.size(); ++i) {
        const TapeFileReport& f = report.files[i];
        if (!f.synced) continue;
        std::ostringstream out;
        out << AsChars(*bytes.Of(i)) << '\n';
        if (f.kind != ContentKind::Unidentified && f.format != TapeFormat::Level1) {
            out << int(f.kind) << '|' << AsChars(f.name.value_or(Bytes{})) << '|'
                << f.load.value_or(0) << '|' << f.end.value_or(0) << '|' << f.entry.value_or(0)
                << '|' << int(f.verdict) << '\n';
            for (const SystemBlock& b : f.blocks)
                out << b.address << ' ' << b.length << ' ' << b.stored.value_or(0) << '\n';
            for (const ListingLine& line : f.listing)
                for (std::size_t l = line.first; l < line.first + line.count; ++l)
                    out << AsChars(report.lines.Line(l)) << '\n';
        }
        if (allLines) {
            std::vector<Bytes> lines = JoinedLines(report, f);
            if (!lines.empty() && lines.back().empty()) lines.pop_back(); // the separator
            for (const Bytes& line : lines)
                out << std::regex_replace(std::string(AsChars(line)), format, "FORMAT") << '\n';
        }
        findings.push_back(out.str());
    }
    return findings;
}

// Level 2 to Highspeed and back gives the same report again; a Highspeed tape to Level 2 and
// every tape's Highspeed version keep their tape files' bytes, names, addresses and listings.
TEST(Convert, LaysEveryCaseTapeDownInHighspeedAndBackWithTheSameTapeFiles) {
    int converted = 0;
    for (const CaseTape& tape : CaseTapes()) {
        SCOPED_TRACE(tape.name);
        const TapeReport source = Analyse(tape.image, tape.level);
        const TapeConversion highspeed = ConvertTape(tape.image, source, TapeFormat::Highspeed);
        if (highspeed.outcome != ConvertOutcome::Converted) {
            EXPECT_TRUE(highspeed.image.empty());
            continue;
        }
        ++converted;
        const TapeReport there = Analyse(highspeed.image);
        const TapeConversion level2 = ConvertTape(highspeed.image, there, TapeFormat::Level2);
        ASSERT_EQ(level2.outcome, ConvertOutcome::Converted);
        const TapeReport back = Analyse(level2.image);
        const bool level2Only = std::none_of(source.files.begin(), source.files.end(),
                                             [](const TapeFileReport& f) {
                                                 return f.synced && f.format != TapeFormat::Level2;
                                             });
        EXPECT_EQ(Findings(highspeed.image, there, false), Findings(tape.image, source, false));
        EXPECT_EQ(Findings(level2.image, back, level2Only),
                  Findings(tape.image, source, level2Only));
        if (level2Only) {
            EXPECT_EQ(back.summaryLine, source.summaryLine);
        }
    }
    EXPECT_GT(converted, 100);
}

} // namespace
} // namespace tonvale
