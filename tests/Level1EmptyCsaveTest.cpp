// The Level 1 "empty CSAVE": the whole 64 KB of a Level 1 machine on tape, of which the report
// checks the checksum and shows the ROM, however much of it the recording holds.
#include "DecoderFixture.h"
#include "app/TonvaleDlg.h"
#include "builder/Level1Builder.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tonvale {
namespace {

using test::Level1EmptyCsave;

constexpr std::size_t kWhole = 65541;
constexpr std::size_t kChecksumAt = 65540;

class Level1EmptyCsaveReport : public test::DecoderFixture {
  protected:
    // Analyses the bytes as the first tape file behind a 00h leader.
    std::size_t Analyse(const Bytes& file) {
        dlg.m_format = TapeFormat::Level1or2;
        return Run(&CTonvaleDlg::AnalyseTapeFile, file);
    }
};

std::string ChecksumLine(const Bytes& file, const char* word) {
    char line[32];
    std::snprintf(line, sizeof line, "Checksum %02X %s", file[kChecksumAt], word);
    return line;
}

TEST_F(Level1EmptyCsaveReport, ChecksTheWholeRecordingAndShowsTheRom) {
    const Bytes rom = test::MadeUpRom();
    const Bytes file = Level1EmptyCsave().Rom(rom).Memory(0x4200, ToBytes("PROGRAM")).Build();
    ASSERT_EQ(file.size(), kWhole);
    EXPECT_EQ(Analyse(file), kWhole);
    EXPECT_EQ(dlg.m_format, TapeFormat::Level1);
    EXPECT_EQ(dlg.m_contentKind, ContentKind::EmptyLevel1Csave);

    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 3u + 256u + 1u);
    EXPECT_EQ(lines[0], "Level 1 CSAVE without program from 4200h to 4200h");
    EXPECT_EQ(lines[1], ChecksumLine(file, "ok"));
    EXPECT_EQ(lines[2], "... the Level 1 ROM");
    char first[16];
    std::snprintf(first, sizeof first, "0000 %02X %02X ", rom[0], rom[1]);
    EXPECT_EQ(lines[3].substr(0, 11), first);
    EXPECT_EQ(lines[258].substr(0, 5), "0FF0 ");
    EXPECT_EQ(lines[259], "...");
    EXPECT_EQ(Text(ControlId::FileLine), "Model I Level 1 empty CSAVE can't be CLOAD'ed");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");
}

TEST_F(Level1EmptyCsaveReport, CallsAWrongChecksumBad) {
    const Bytes file = Level1EmptyCsave().Rom(test::MadeUpRom()).ChecksumOffBy(1).Build();
    Analyse(file);
    EXPECT_EQ(Lines()[1], ChecksumLine(file, "BAD"));
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1EmptyCsaveReport, IsRecognisedBehindALeaderInATapeImage) {
    const std::string path = test::WriteFile(
        test::TempDir("emptycsave") + "/empty.cas",
        test::TapeBuilder().Level1File(Level1EmptyCsave().Rom(test::MadeUpRom()).Build()).Build());
    dlg.LoadTapeImage(path);
    EXPECT_EQ(dlg.m_format, TapeFormat::Level1);
    EXPECT_EQ(dlg.m_contentKind, ContentKind::EmptyLevel1Csave);
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");
}

struct Cut {
    std::size_t length;
    const char* truncatedLine; // null: none
    const char* verdict;       // the summary line
    std::size_t dumpLines;
    const char* lastLine;
};

std::ostream& operator<<(std::ostream& out, const Cut& c) {
    return out << c.length;
}

class Level1EmptyCsaveCut : public Level1EmptyCsaveReport,
                            public ::testing::WithParamInterface<Cut> {};

TEST_P(Level1EmptyCsaveCut, ShowsWhatIsLeftOfTheRom) {
    const Cut& c = GetParam();
    const Bytes file = Level1EmptyCsave().Rom(test::MadeUpRom()).CutTo(c.length).Build();
    EXPECT_EQ(Analyse(file), c.length);
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], c.truncatedLine);
    EXPECT_EQ(Text(ControlId::SummaryLine), c.verdict);
    if (lines.size() == 2) return; // nothing behind a recording that stops before the ROM
    ASSERT_EQ(lines.size(), 3u + c.dumpLines + 1u);
    EXPECT_EQ(lines[2], "... the Level 1 ROM");
    EXPECT_EQ(lines.back(), c.lastLine);
}

INSTANTIATE_TEST_SUITE_P(Lengths, Level1EmptyCsaveCut,
                         ::testing::Values(Cut{48643, "Truncated before the ROM, useless",
                                               "Files:", 0, nullptr},
                                           Cut{48644, "Truncated before the end of the ROM",
                                               "Files: bad", 0, "Truncated"},
                                           Cut{52739, "Truncated before the end of the ROM",
                                               "Files: bad", 256, "Truncated"},
                                           Cut{52740, "Truncated", "Files: ok?", 256, "..."},
                                           Cut{65540, "Truncated", "Files: ok?", 256, "..."}));

} // namespace
} // namespace tonvale
