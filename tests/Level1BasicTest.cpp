// Listing Level 1 BASIC programs: their lines, stop address and checksum, and what a damaged
// or cut recording shows.
#include "DecoderFixture.h"
#include "builder/Level1Builder.h"
#include "builder/TapeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tonvale {
namespace {

using test::Level1Basic;

class Level1BasicListing : public test::DecoderFixture {
  protected:
    void SetUp() override {
        DecoderFixture::SetUp();
        dlg.m_format = TapeFormat::Level1;
    }
    std::size_t List(const Bytes& file) { return Run(&CTonvaleDlg::ListLevel1Basic, file); }
};

// A program whose stop address is `stop`: numbered lines of REM text filling it exactly.
Level1Basic ProgramUpTo(std::uint16_t stop) {
    Level1Basic program;
    std::size_t remaining = stop - Level1Basic::kStart;
    std::uint16_t number = 10;
    for (; remaining > 46; remaining -= 43, number += 10)
        program.Line(number, std::string(40, 'R'));
    return program.Line(number, std::string(remaining - 3, 'E'));
}

TEST_F(Level1BasicListing, ListsEachLineWithItsNumberAndNamesTheRightChecksumWhenItIsWrong) {
    const Bytes file = Level1Basic().Line(1, "A").Line(2, "B").Build();
    EXPECT_EQ(List(file), file.size());
    const std::vector<std::string> expected = {
        "Level 1 header many 00h one 5Ah",
        "Start at 4200h BASIC",
        "Stop address 4208h ok",
        " 1 A",
        " 2 B",
        "checksum 60h ok", // 01 00 41 0D 02 00 42 0D sum to A0h
    };
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(Text(ControlId::FileLine), "Level 1 BASIC ok");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");

    // A wrong checksum is named with the one that would have been right.
    SetUp();
    List(Level1Basic().Line(1, "A").Line(2, "B").Checksum(0x61).Build());
    EXPECT_EQ(Lines().back(), "checksum 61h error (calculated 60h)");
    EXPECT_EQ(Text(ControlId::FileLine), "Level 1 BASIC bad");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1BasicListing, ShowsBytesThatCannotStandInALineAsHex) {
    List(Level1Basic().Line(10, "A\nB").Line(20, "\xC1").Line(30, "a").Build());
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(lines[3], " 10 A<0A>B");
    EXPECT_EQ(lines[4], " 20 <C1>");
    EXPECT_EQ(lines[5], " 30 <61>"); // lower case is not Level 1 text
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1BasicListing, MarksLineNumbersThatDoNotGoUpButNeverChecksTheFirst) {
    List(Level1Basic().Line(10, "A").Line(20, "B").Line(20, "C").Line(5, "D").Build());
    const std::vector<std::string> lines = Lines();
    const std::vector<std::string> listing(lines.begin() + 3, lines.end() - 1);
    const std::vector<std::string> expected = {
        " 10 A", " 20 B", "<bad linenumber>", " 20 C", "<bad linenumber>", " 5 D"};
    EXPECT_EQ(listing, expected);
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");

    SetUp();
    List(Level1Basic().Line(0, "A").Line(1, "B").Build());
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");
}

TEST_F(Level1BasicListing, KeepsTheFirstLineWholeButSplitsLaterOnes) {
    const std::string text(70, 'X');
    List(Level1Basic().Line(10, text).Line(20, text).Build());
    ASSERT_EQ(dlg.m_report.Count(), 7u);
    EXPECT_EQ(Lines()[3], " 10 " + text);
    EXPECT_EQ(dlg.m_lineTags[3], kTagPlain);
    EXPECT_EQ(Lines()[4], " 20 " + std::string(60, 'X'));
    EXPECT_EQ(dlg.m_lineTags[4], kTagContinued);
    EXPECT_EQ(Lines()[5], std::string(10, 'X'));
    EXPECT_EQ(dlg.m_lineTags[5], kTagPlain);
}

TEST_F(Level1BasicListing, CutsAnEndlessFirstLineAtTheTextLimitAndKeepsEveryPieceOfLaterOnes) {
    const std::string text(1000, 'X');
    List(Level1Basic().Line(10, text).Line(20, text).Build());
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(lines[3], (" 10 " + text).substr(0, TextBuffer::kCapacity));
    std::string joined;
    for (std::size_t i = 4; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(dlg.m_lineTags[i], i + 2 < lines.size() ? kTagContinued : kTagPlain) << i;
        joined += lines[i];
    }
    EXPECT_EQ(joined, " 20 " + text);
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");
}

TEST_F(Level1BasicListing, MarksALineThatTheStopAddressEndsBeforeItsEnd) {
    List(Level1Basic().Line(10, "A").LineWithoutEnd(20, "B").Build());
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(lines[4], " 20 B");
    EXPECT_EQ(lines[5], "<truncated>");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1BasicListing,
       ListsEveryByteOfACutRecordingSaysTruncatedOnceAndNeverCallsItsChecksumOk) {
    // Cut behind a complete line, only the lost checksum tells; cut inside one, it ends there.
    const Bytes cut = Level1Basic().Line(1, "A").Line(2, "B").DropLast(1).Build();
    EXPECT_EQ(List(cut), cut.size());
    std::vector<std::string> lines = Lines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
              (std::vector<std::string>{" 1 A", " 2 B", "<truncated>", "checksum missing"}));
    EXPECT_EQ(Text(ControlId::FileLine), "Level 1 BASIC bad");

    SetUp();
    List(Level1Basic().Line(1, "A").Line(2, "BCD").DropLast(3).Build());
    lines = Lines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
              (std::vector<std::string>{" 1 A", " 2 BC", "<truncated>", "checksum missing"}));
}

TEST_F(Level1BasicListing, TakesAStopAddressBelowTheStartAsNoProgram) {
    const Bytes file = Level1Basic().Line(1, "A").Stop(0x4100).Build();
    EXPECT_EQ(List(file), 5u); // the addresses and one checksum byte
    EXPECT_EQ(Lines()[2], "Stop address 4100h before the program");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1BasicListing, ReportsAFileTooShortToHoldItsStopAddress) {
    List(Level1Basic().Line(1, "A").CutTo(3).Build());
    const std::vector<std::string> expected = {"Level 1 header many 00h one 5Ah",
                                               "Start at 4200h BASIC", "Stop address missing",
                                               "checksum missing"};
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1BasicListing, ReadsNothingBeyondAnyCutOfAGoodFile) {
    const Bytes whole = Level1Basic().Line(10, "PRINT \"HI\"").Line(20, "GOTO 10").Build();
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        SetUp();
        dlg.m_verdicts.clear();
        const std::size_t end = List(Bytes(whole.begin(), whole.begin() + length));
        EXPECT_EQ(end, length) << length;
        const bool wholeFile = length == whole.size();
        EXPECT_EQ(dlg.m_verdicts.back(), wholeFile ? Verdict::Ok : Verdict::Bad) << length;
        EXPECT_EQ(Lines().back() == "checksum missing", !wholeFile) << length;
    }
}

TEST_F(Level1BasicListing, ReturnsTheEndSoTheLoaderFindsTheNextTapeFile) {
    const Bytes first = Level1Basic().Line(10, "PRINT \"HI\"").Build();
    const Bytes second = Level1Basic().Line(20, "END").Build();
    const std::string path =
        test::WriteFile(test::TempDir("level1basic") + "/two.cas",
                        test::TapeBuilder().Level1File(first).Shift(5).Level1File(second).Build());
    dlg.LoadTapeImage(path);
    EXPECT_EQ(Text(ControlId::FileLine), "Level 1 BASIC ok (and more files)");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok! ok!");
    const std::vector<std::string> lines = Lines();
    const auto secondDescription = std::find(lines.begin(), lines.end(), "Level 1 BASIC");
    ASSERT_NE(secondDescription, lines.end());
    EXPECT_EQ(*(secondDescription - 1), "Level 1 header many 00h one 5Ah");
}

struct RamNeed {
    std::uint16_t stop;
    const char* stopLine;
    Verdict verdict;
};

std::ostream& operator<<(std::ostream& out, const RamNeed& r) {
    return out << r.stopLine;
}

class Level1BasicRamNeed : public Level1BasicListing,
                           public ::testing::WithParamInterface<RamNeed> {};

TEST_P(Level1BasicRamNeed, JudgesTheStopAddressByTheMemoryItNeeds) {
    const RamNeed& r = GetParam();
    List(ProgramUpTo(r.stop).Build());
    EXPECT_EQ(Lines()[2], r.stopLine);
    EXPECT_EQ(dlg.m_verdicts.back(), r.verdict);
    EXPECT_EQ(Text(ControlId::FileLine),
              r.verdict == Verdict::Ok ? "Level 1 BASIC ok" : "Level 1 BASIC suspicious");
}

INSTANTIATE_TEST_SUITE_P(
    StopAddresses, Level1BasicRamNeed,
    ::testing::Values(
        RamNeed{0x4FFF, "Stop address 4FFFh ok", Verdict::Ok},
        RamNeed{0x5000, "Stop address 5000h ok but needs 16K RAM", Verdict::Suspicious},
        RamNeed{0x8000, "Stop address 8000h ok but needs 16K RAM", Verdict::Suspicious},
        RamNeed{0x8001, "Stop address 8001h ok but needs 32K RAM", Verdict::Suspicious},
        RamNeed{0xC001, "Stop address C001h ok but needs 48K RAM", Verdict::Suspicious}));

} // namespace
} // namespace tonvale
