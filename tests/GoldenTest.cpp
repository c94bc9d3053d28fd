// Every case tape of tests/golden/cases.txt against its reviewed outputs: NAME.txt holds the
// text "&Save" writes, NAME.status what the window shows and what the analysis found, tape file
// by tape file. Run with TONVALE_UPDATE_GOLDEN=1 to write them afresh, then read the
// differences before committing them. The same cases, cut short at many lengths, make the
// bad-input matrix.
#include "analysis/Decoders.h"
#include "app/TonvaleDlg.h"
#include "builder/CaseTapes.h"
#include "builder/TestFiles.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sound/WavImage.h"

#include <fmt/core.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace tonvale {
namespace {

const std::string kGolden = TONVALE_SOURCE_DIR "/tests/golden/";

using test::CaseTape;

// Set: a case tape's bytes are one tape file's, handed to this decoder as the first of an image.
using Decoder = std::size_t (*)(ReportWriter&, ByteView);
Decoder DecoderOf(const CaseTape& c) {
    return c.decoder == "level1-basic"  ? ListLevel1Basic
           : c.decoder == "level1-code" ? DecodeLevel1System
                                        : nullptr;
}

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
TapeReport Analyse(const CaseTape& c, ByteView bytes, TapeFormat answer, bool trsFont,
                   ReportSink* sink = nullptr, std::size_t* consumed = nullptr) {
    if (!DecoderOf(c)) return test::Analyse(bytes, answer, trsFont, sink);
    TapeReport report;
    ReportWriter out(report, sink, AnalysisSettings{trsFont});
    out.SetSummaryLine("Files:");
    out.BeginFile(TapeFormat::Level1, 0, 0);
    const std::size_t end = DecoderOf(c)(out, bytes);
    EXPECT_LE(end, bytes.size());
    if (consumed) *consumed = end;
    report.lastFormat = out.Format();
    return report;
}

// Opens the case tape in the window: it must show the report's lines, and its WAV image must be
// the sound of the whole image in the format found (whose every edge SoundOptionsTest checks;
// that WriteWavImage hands out the same image, the fuzz replay). Returns the duration line, the
// questions asked and the WAV image's digest.
std::string ShownByTheWindow(const CaseTape& c, const TapeReport& report, const Bytes& text) {
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

class Golden : public ::testing::TestWithParam<CaseTape> {};

TEST_P(Golden, MatchesTheReviewedOutputs) {
    const CaseTape& c = GetParam();
    std::size_t consumed = 0;
    const TapeReport report = Analyse(c, c.image, c.level, c.trsFont, nullptr, &consumed);
    ExpectConsistent(report);
    const Bytes text = ComposeReportText(report);

    const std::string status = Str(report.summaryLine) + "\n" +
                               (DecoderOf(c) ? "consumed " + std::to_string(consumed) + "\n"
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

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(test::CaseTapes()), [](const auto& p) {
    std::string name = p.param.name;
    for (char& ch : name)
        if (ch == '-') ch = '_';
    return name;
});

} // namespace
} // namespace tonvale
