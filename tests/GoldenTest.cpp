// Every case tape of tests/golden/cases.txt against its reviewed outputs: NAME.txt holds the
// text "&Save" writes, NAME.status what the window shows and what the analysis found, tape file
// by tape file. Run with TONVALE_UPDATE_GOLDEN=1 to write them afresh, then read the
// differences before committing them. The same cases, cut short at many lengths, make the
// bad-input matrix.
#include "analysis/Decoders.h"
#include "app/TonvaleDlg.h"
#include "builder/TestFiles.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sound/WavImage.h"

#include <fmt/core.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace tonvale {
namespace {

namespace fs = std::filesystem;
const std::string kGolden = TONVALE_SOURCE_DIR "/tests/golden/";

struct Case {
    std::string name;
    Bytes image;
    TapeFormat level; // the answer to "Level 1 or 2?", should it be asked
    bool trsFont;
    // Set: `image` is one tape file's bytes, handed to this decoder as the first of an image.
    std::size_t (*decoder)(ReportWriter&, ByteView);
};
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    std::ifstream index(kGolden + "cases.txt");
    for (std::string line; std::getline(index, line);) {
        std::istringstream fields(line);
        std::string name, font, decoder;
        int level = 0;
        if (line.starts_with("#") || !(fields >> name >> level >> font >> decoder)) continue;
        std::string path = kGolden + "cases/" + name + ".cas";
        if (!fs::exists(path)) path = TONVALE_SOURCE_DIR "/examples/" + name + ".cas";
        cases.push_back({name, test::ReadFile(path),
                         level == 1 ? TapeFormat::Level1 : TapeFormat::Level2, font == "trs",
                         decoder == "level1-basic"  ? ListLevel1Basic
                         : decoder == "level1-code" ? DecodeLevel1System
                                                    : nullptr});
    }
    return cases;
}

struct FixedLevel : LevelQuestion {
    explicit FixedLevel(TapeFormat l) : level(l) {}
    TapeFormat AskLevel() override { return level; }
    TapeFormat level;
};

// Report lines, each followed by its tag.
struct Collect : ReportSink {
    void Line(ByteView text, Byte tag) override {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(tag);
    }
    Bytes bytes;
};

std::string Str(ByteView bytes) {
    return std::string(AsChars(bytes));
}

std::string Hex(std::optional<std::uint32_t> value, int digits = 4) {
    return value ? fmt::format("{:0{}X}", *value, digits) : "-";
}

// The findings as reviewable text; bytes outside 20h-7Eh of a name as \xNN.
std::string Findings(const TapeReport& r) {
    static const char* const kFormats[] = {"None", "Level1or2", "Level1", "Level2", "Highspeed"};
    static const char* const kKinds[] = {"BASIC", "SYSTEM", "EDTASM", "", "", "empty CSAVE", "?"};
    static const char* const kVerdicts[] = {"ok", "suspicious", "bad", "noise"};
    std::string s = "lines " + std::to_string(r.lineCount) + ", widest " +
                    std::to_string(r.widestLine) + (r.mixedFormats ? ", mixed formats\n" : "\n");
    for (const TapeFileReport& f : r.files) {
        s += "file at " + std::to_string(f.offset) + "." + std::to_string(f.shift) + ": " +
             kFormats[int(f.format)] + " " + kKinds[int(f.kind)] + " " + kVerdicts[int(f.verdict)];
        if (f.name) {
            s += " name '";
            for (Byte b : *f.name)
                s += b >= 0x20 && b < 0x7F ? std::string(1, char(b)) : "\\x" + Hex(b, 2);
            s += "'";
        }
        s += " load " + Hex(f.load) + " end " + Hex(f.end) + " entry " + Hex(f.entry) + " word '" +
             Str(f.summaryWord) + "' lines " + std::to_string(f.firstLine) + "+" +
             std::to_string(f.lineCount) + "\n";
        for (const SystemBlock& b : f.blocks)
            s += "  block " + Hex(b.address) + " " + std::to_string(b.length) + " sum " +
                 Hex(b.stored, 2) + " " + Hex(b.computed, 2) + "\n";
    }
    return s;
}

// What must hold for any report: each tape file's lines, joined, are the saved text behind
// its first line, byte for byte, and the tape files share out the lines between them.
void ExpectConsistent(const TapeReport& r) {
    ASSERT_FALSE(r.files.empty());
    EXPECT_LE(r.fileLine.size(), TextBuffer::kCapacity);
    EXPECT_LE(r.summaryLine.size(), TextBuffer::kCapacity);
    Bytes joined(r.fileLine.begin(),
                 r.fileLine.begin() + std::min(kSavedFileLineLength, r.fileLine.size()));
    joined.insert(joined.end(), {'\r', '\n'});
    std::size_t next = 0;
    for (const TapeFileReport& f : r.files) {
        EXPECT_NE(f.format, TapeFormat::Level1or2);
        EXPECT_EQ(f.firstLine, next);
        next = f.firstLine + f.lineCount;
        for (const Bytes& line : JoinedLines(r, f)) {
            EXPECT_EQ(std::find(line.begin(), line.end(), 0), line.end());
            joined.insert(joined.end(), line.begin(), line.end());
            joined.insert(joined.end(), {'\r', '\n'});
        }
    }
    EXPECT_EQ(next, r.lines.Count());
    EXPECT_EQ(Str(joined), Str(ComposeReportText(r)));
}

// A case's report: of the whole image, or of its bytes as the first tape file for its decoder.
TapeReport Analyse(const Case& c, ByteView bytes, TapeFormat answer, bool trsFont,
                   ReportSink* sink = nullptr, std::size_t* consumed = nullptr) {
    FixedLevel level(answer);
    if (!c.decoder) return AnalyseTape(bytes, level, AnalysisSettings{trsFont}, sink);
    TapeReport report;
    ReportWriter out(report, sink, AnalysisSettings{trsFont});
    out.SetSummaryLine("Files:");
    out.BeginFile(TapeFormat::Level1, 0, 0);
    const std::size_t end = c.decoder(out, bytes);
    EXPECT_LE(end, bytes.size());
    if (consumed) *consumed = end;
    report.lastFormat = out.Format();
    return report;
}

// Opens the case tape in the window: it must show the report's lines, and its WAV image must be
// the sound of the whole image in the format found (whose every edge SoundOptionsTest checks;
// that WriteWavImage hands out the same image, the fuzz replay). Returns the duration line, the
// questions asked and the WAV image's digest.
std::string ShownByTheWindow(const Case& c, const TapeReport& report, const Bytes& text) {
    HeadlessPlatform platform;
    platform.levelAnswer = [&c] { return c.level; };
    platform.trsFont = c.trsFont;
    CTonvaleDlg dlg(platform);
    dlg.OnStart();
    dlg.OpenTape(test::WriteFile(test::TempDir("golden") + "/" + c.name + ".cas", c.image));
    EXPECT_EQ(Str(dlg.ControlText(ControlId::FileLine)), Str(report.fileLine));
    EXPECT_EQ(Str(dlg.ControlText(ControlId::SummaryLine)), Str(report.summaryLine));
    EXPECT_EQ(Str(platform.Text(ControlId::FileLine)), Str(report.fileLine));
    EXPECT_EQ(Str(dlg.ComposeReportText()), Str(text));

    std::uint32_t hash = 2166136261u; // FNV-1a
    for (Byte b : dlg.WavBytes())
        hash = (hash ^ b) * 16777619u;
    std::string wav = "none";
    if (!dlg.WavBytes().empty()) {
        wav = fmt::format("{} bytes, FNV-1a {:08X}", dlg.WavBytes().size(), hash);
        const TapeFormat format = report.mixedFormats ? TapeFormat::Level2 : report.lastFormat;
        EXPECT_TRUE(std::ranges::equal(dlg.WavBytes(), BuildWavImage(format, c.image).View()));
    }
    return Str(dlg.ControlText(ControlId::DurationLine)) + "\nquestions " +
           std::to_string(platform.levelQuestions) + " " +
           std::to_string(platform.formatQuestions) + ", wav " + wav + "\n";
}

class Golden : public ::testing::TestWithParam<Case> {};

TEST_P(Golden, MatchesTheReviewedOutputs) {
    const Case& c = GetParam();
    std::size_t consumed = 0;
    const TapeReport report = Analyse(c, c.image, c.level, c.trsFont, nullptr, &consumed);
    ExpectConsistent(report);
    const Bytes text = ComposeReportText(report);

    // Lines handed to a sink are the same lines, and nothing else changes.
    Collect sink, kept;
    const TapeReport streamed = Analyse(c, c.image, c.level, c.trsFont, &sink);
    EXPECT_EQ(streamed.lines.Count(), 0u);
    EXPECT_EQ(Findings(streamed), Findings(report));
    for (std::size_t i = 0; i < report.lines.Count(); ++i)
        kept.Line(report.lines.Line(i), report.tags[i]);
    EXPECT_TRUE(sink.bytes == kept.bytes) << "a sink gets other lines";

    const std::string status = Str(report.summaryLine) + "\n" +
                               (c.decoder ? "consumed " + std::to_string(consumed) + "\n"
                                          : ShownByTheWindow(c, report, text)) +
                               Findings(report);

    if (std::getenv("TONVALE_UPDATE_GOLDEN")) {
        test::WriteFile(kGolden + c.name + ".txt", text);
        test::WriteFile(kGolden + c.name + ".status", ToBytes(status));
        GTEST_SKIP() << "wrote " << c.name;
    }
    EXPECT_EQ(Str(text), Str(test::ReadFile(kGolden + c.name + ".txt")));
    EXPECT_EQ(status, Str(test::ReadFile(kGolden + c.name + ".status")));
}

// Every case cut to every length near its start, behind its first leader and near its end,
// with both answers to the level question and both fonts: a consistent report every time, and
// under the sanitizers no read outside the bytes.
TEST_P(Golden, CutShortGivesAConsistentReportAtEveryLength) {
    const Bytes& whole = GetParam().image;
    std::set<std::size_t> lengths;
    for (std::size_t k = 0; k <= 64; ++k)
        for (std::size_t at : {k, 257 + k, whole.size() - std::min(whole.size(), k)})
            lengths.insert(std::min(whole.size(), at));
    for (std::size_t length : lengths) {
        SCOPED_TRACE("cut to " + std::to_string(length));
        const Bytes image(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        for (int variant = 0; variant < 4; ++variant) {
            ExpectConsistent(Analyse(GetParam(), image,
                                     variant & 2 ? TapeFormat::Level1 : TapeFormat::Level2,
                                     (variant & 1) != 0));
        }
        if (HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(Cases()), [](const auto& p) {
    std::string name = p.param.name;
    for (char& ch : name)
        if (ch == '-') ch = '_';
    return name;
});

} // namespace
} // namespace tonvale
