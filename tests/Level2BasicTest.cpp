// Listing Level 2 BASIC programs: keywords, strings and remarks, long lines, the next-pointer
// chain, line order, cut recordings, and reading nothing outside the tape file's bytes.
#include "app/TonvaleDlg.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tonvale {
namespace {

using test::Level2Basic;
using Lines = std::vector<std::string>;

std::string Text(ByteView bytes) {
    return std::string(AsChars(bytes));
}

Bytes Concat(std::string_view a, Bytes b, std::string_view c) {
    Bytes out = ToBytes(a);
    out.insert(out.end(), b.begin(), b.end());
    const Bytes tail = ToBytes(c);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

class Level2BasicListing : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg.OnInitDialog();
        dlg.m_format = TapeFormat::Level2;
        dlg.m_prevFormat = TapeFormat::None;
    }
    // Lists the program as the first tape file of an image; returns the report.
    Lines List(const Bytes& program) {
        dlg.ClearReport();
        dlg.SetControlText(ControlId::SummaryLine, std::string_view("Files:"));
        end = dlg.ListLevel2Basic(program);
        Lines lines;
        for (std::size_t i = 0; i < dlg.m_report.Count(); ++i)
            lines.push_back(Text(dlg.m_report.Line(i)));
        return lines;
    }
    std::string FileLine() const { return Text(dlg.ControlText(ControlId::FileLine)); }
    std::string Summary() const { return Text(dlg.ControlText(ControlId::SummaryLine)); }

    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
    std::size_t end = 0;
};

// --- The program as a whole -----------------------------------------------------------------

TEST(Level2BasicBuilder, LaysOutAProgramAsCsaveWritesIt) {
    const Byte kPrint = 0xB2;
    const Bytes header = {0xD3, 0xD3, 0xD3, 'A'};
    const Bytes line10 = Concat("", {0xF4, 0x42, 10, 0, kPrint}, " \"HI\"");
    Bytes expected = header;
    expected.insert(expected.end(), line10.begin(), line10.end());
    expected.insert(expected.end(), {0x00, 0x00, 0x00}); // terminator, end marker
    EXPECT_EQ(Level2Basic('A').Line(10, "PRINT \"HI\"").Build(), expected);
}

TEST(Level2BasicBuilder, TokenisesTheLongestKeywordOutsideQuotesAndHidesColons) {
    const Byte kIf = 0x8F, kThen = 0xCA, kElse = 0x95, kRem = 0x93, kApostrophe = 0xFB;
    const Byte kGreater = 0xD4, kLess = 0xD6, kInput = 0x89;
    EXPECT_EQ(Level2Basic::Tokenise("IF A<>B THEN INPUT ELSE 7 ' NO \"PRINT\""),
              Concat("",
                     {kIf, ' ', 'A', kLess, kGreater, 'B', ' ', kThen, ' ', kInput, ' ', ':', kElse,
                      ' ', '7', ' ', ':', kRem, kApostrophe},
                     " NO \"PRINT\""));
    EXPECT_EQ(Level2Basic::Tokenise("\"END\"END"), Concat("\"END\"", {0x80}, ""));
}

TEST_F(Level2BasicListing, ListsAOneLineProgramAndEndsBehindItsEndMarker) {
    const Bytes program = Level2Basic('A').LoadAt(0x42E9).Line(10, "PRINT \"HI\"").Build();
    EXPECT_EQ(List(program), Lines{"10 PRINT \"HI\""});
    EXPECT_EQ(FileLine(), "Level 2 BASIC named 'A' ok");
    EXPECT_EQ(Summary(), "Files: ok!");
    EXPECT_EQ(end, program.size());
}

TEST_F(Level2BasicListing, FindsTheProgramWhereverItWasStored) {
    const Bytes program =
        Level2Basic('X').LoadAt(0x7000).Line(10, "CLS").Line(20, "GOTO 10").Build();
    EXPECT_EQ(List(program), (Lines{"10 CLS", "20 GOTO 10"}));
    EXPECT_EQ(Summary(), "Files: ok!");
}

TEST_F(Level2BasicListing, DescribesAHeaderWithOnlyANameAsAGoodEmptyProgram) {
    EXPECT_EQ(List(Bytes{0xD3, 0xD3, 0xD3, 'E'}), Lines{});
    EXPECT_EQ(FileLine(), "Level 2 BASIC named 'E' ok");
    EXPECT_EQ(Summary(), "Files: ok!");
    EXPECT_EQ(end, 4u);
}

TEST_F(Level2BasicListing, NamesTheRecordingFormatAndPutsALaterFilesDescriptionInTheReport) {
    dlg.m_format = TapeFormat::Highspeed;
    dlg.m_prevFormat = TapeFormat::Highspeed;
    dlg.SetControlText(ControlId::FileLine, std::string_view("first file ok"));
    EXPECT_EQ(List(Level2Basic('Z').Line(10, "END").Build()),
              (Lines{"Highspeed BASIC named 'Z'", "10 END"}));
    EXPECT_EQ(FileLine(), "first file ok");
    EXPECT_EQ(Summary(), "Files: ok!");
}

TEST_F(Level2BasicListing, EndsTheDescriptionAtANameByteOf00h) {
    List(Level2Basic(0x00).Line(10, "END").Build());
    EXPECT_EQ(FileLine(), "Level 2 BASIC named ' ok");
}

TEST_F(Level2BasicListing, ReadsLineNumbersAsUnsignedSixteenBitValues) {
    const Bytes program =
        Level2Basic().Line(30000, "CLS").Line(40000, "CLS").Line(65529, "END").Build();
    EXPECT_EQ(List(program), (Lines{"30000 CLS", "40000 CLS", "65529 END"}));
    EXPECT_EQ(Summary(), "Files: ok!");
}

TEST_F(Level2BasicListing, ReportsEachLineNumberThatDoesNotRise) {
    const Bytes program =
        Level2Basic().Line(10, "CLS").Line(20, "CLS").Line(20, "CLS").Line(15, "END").Build();
    EXPECT_EQ(List(program),
              (Lines{"10 CLS", "20 CLS", "20 CLS", "<Bad linenumber, not in rising order>",
                     "15 END", "<Bad linenumber, not in rising order>"}));
    EXPECT_EQ(FileLine(), "Level 2 BASIC named 'A' bad");
    EXPECT_EQ(Summary(), "Files: bad");
}

TEST_F(Level2BasicListing, DoesNotCheckTheLineBehindALine0) {
    EXPECT_EQ(List(Level2Basic().Line(0, "CLS").Line(0, "END").Line(0, "STOP").Build()),
              (Lines{"0 CLS", "0 END", "0 STOP"}));
    EXPECT_EQ(Summary(), "Files: ok!");
}

// --- Keywords -----------------------------------------------------------------------------

struct KeywordCase {
    Byte token;
    const char* shown;
};

class Level2BasicKeyword : public Level2BasicListing,
                           public ::testing::WithParamInterface<KeywordCase> {};

TEST_P(Level2BasicKeyword, SpellsTheTokenOut) {
    const Bytes program = Level2Basic().RawLine(10, Bytes{GetParam().token}).Build();
    EXPECT_EQ(List(program), Lines{std::string("10 ") + GetParam().shown});
}

INSTANTIATE_TEST_SUITE_P(Tokens, Level2BasicKeyword,
                         ::testing::Values(KeywordCase{0x80, "END"}, KeywordCase{0x93, "REM"},
                                           KeywordCase{0xBC, "TAB("}, KeywordCase{0xC4, "STRING$"},
                                           KeywordCase{0xD1, "["}, KeywordCase{0xFA, "MID$"},
                                           KeywordCase{0xFB, "'"}, KeywordCase{0xFC, "<FCh>"},
                                           KeywordCase{0xFF, "<FFh>"}));

TEST_F(Level2BasicListing, ShowsElseAndTheApostropheWithoutTheirHiddenColons) {
    const Bytes program = Level2Basic()
                              .Line(10, "IF A=1 THEN 20 ELSE 30")
                              .Line(20, "CLS ' CLEAR: ELSE")
                              .Line(30, "PRINT A:PRINT B")
                              .Build();
    EXPECT_EQ(List(program),
              (Lines{"10 IF A=1 THEN 20 ELSE 30", "20 CLS ' CLEAR: ELSE", "30 PRINT A:PRINT B"}));
}

TEST_F(Level2BasicListing, DropsTheHiddenColonsInsideStringsToo) {
    const Bytes program =
        Level2Basic().RawLine(10, Concat("\"", {':', 0x95, ':', 0x93, 0xFB}, "\"")).Build();
    EXPECT_EQ(List(program), (Lines{"10 \"ELSE'\"", "<string with non ascii characters found>",
                                    "<possible machine code.>"}));
}

// --- Strings and remarks ------------------------------------------------------------------

class Level2BasicString : public Level2BasicListing, public ::testing::WithParamInterface<bool> {};

TEST_P(Level2BasicString, ShowsAHighByteInQuotesByTheFontAndFlagsIt) {
    dlg.m_trsFont = GetParam();
    const Byte graphic = 0xC0;
    const Bytes program = Level2Basic().RawLine(10, Concat("PRINT\"", {graphic}, "\"")).Build();
    const std::string shown = GetParam() ? std::string(1, static_cast<char>(graphic)) : "VARPTR";
    EXPECT_EQ(List(program),
              (Lines{"10 PRINT\"" + shown + "\"", "<string with non ascii characters found>",
                     "<possible machine code.>"}));
    EXPECT_EQ(Summary(), "Files: ok!");
}

TEST_P(Level2BasicString, ShowsAHighByteOutsideQuotesAsItsKeyword) {
    dlg.m_trsFont = GetParam();
    const Bytes program = Level2Basic().Line(10, "A=VARPTR(B):PRINT\"VARPTR\"").Build();
    EXPECT_EQ(List(program), Lines{"10 A=VARPTR(B):PRINT\"VARPTR\""});
}

INSTANTIATE_TEST_SUITE_P(TrsFont, Level2BasicString, ::testing::Bool());

TEST_F(Level2BasicListing, FlagsARemarkThatHoldsMachineCode) {
    const Bytes program = Level2Basic()
                              .RawLine(10, Concat("", {0x93, 'A', 0xCD, 0x01}, "B"))
                              .Line(20, "REM ALL \"PLAIN\" TEXT")
                              .Build();
    EXPECT_EQ(List(program), (Lines{"10 REMA+", "B", "<REM followed by non ascii characters found>",
                                    "<possible machine code.>", "20 REM ALL \"PLAIN\" TEXT"}));
    EXPECT_EQ(Summary(), "Files: ok!");
}

TEST_F(Level2BasicListing, DropsLineFeedsInStringsAndRemarksAndBreaksAtOtherControlBytes) {
    const Bytes program = Level2Basic()
                              .Line(10, "REM TWO\nLINES")
                              .Line(20, "PRINT \"A\nB\"")
                              .Line(30, "CLS\rPRINT")
                              .Line(40, "CLS\nEND")
                              .Build();
    EXPECT_EQ(List(program),
              (Lines{"10 REM TWOLINES", "20 PRINT \"AB\"", "30 CLS", "PRINT", "40 CLS", "END"}));
    EXPECT_EQ(Summary(), "Files: ok!");
}

// --- Long lines -----------------------------------------------------------------------------

struct SplitCase {
    std::size_t listed; // characters of the listing line, number and space included
    std::vector<std::size_t> pieces;
};

class Level2BasicLongLine : public Level2BasicListing,
                            public ::testing::WithParamInterface<SplitCase> {};

TEST_P(Level2BasicLongLine, SplitsIntoContinuedPiecesOf64) {
    const std::string text(GetParam().listed - 3, 'A');
    List(Level2Basic().Line(10, text).Build());
    const std::vector<std::size_t>& pieces = GetParam().pieces;
    ASSERT_EQ(dlg.m_report.Count(), pieces.size());
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(dlg.m_report.Line(i).size(), pieces[i]);
        EXPECT_EQ(dlg.m_lineTags[i], i + 1 < pieces.size() ? kTagContinued : kTagPlain);
        joined += Text(dlg.m_report.Line(i));
    }
    EXPECT_EQ(joined, "10 " + text);
}

INSTANTIATE_TEST_SUITE_P(Lengths, Level2BasicLongLine,
                         ::testing::Values(SplitCase{64, {64}}, SplitCase{65, {64, 1}},
                                           SplitCase{128, {64, 64}}, SplitCase{129, {64, 64, 1}}));

TEST_F(Level2BasicListing, SplitsAKeywordThatCrossesColumn64) {
    List(Level2Basic().Line(10, std::string(59, 'A') + "PRINT").Build());
    ASSERT_EQ(dlg.m_report.Count(), 2u);
    EXPECT_EQ(Text(dlg.m_report.Line(0)), "10 " + std::string(59, 'A') + "PR");
    EXPECT_EQ(Text(dlg.m_report.Line(1)), "INT");
}

// --- The next-pointer chain -----------------------------------------------------------------

Level2Basic FourLines() {
    Level2Basic program('P');
    for (std::uint16_t number = 10; number <= 40; number += 10)
        program.Line(number, "PRINT \"HI\"");
    return program;
}

struct PointerCase {
    std::size_t line;
    int delta;
};

class Level2BasicNextPointer : public Level2BasicListing,
                               public ::testing::WithParamInterface<PointerCase> {};

TEST_P(Level2BasicNextPointer, ReportsAPointerOffByOneAndTheRealOne) {
    Level2Basic program = FourLines();
    const std::uint16_t real = program.AddressOf(GetParam().line + 1);
    program.NextPointerOffBy(GetParam().line, GetParam().delta);
    char bad[64], possible[64];
    std::snprintf(bad, sizeof bad, "bad next pointer %04Xh in this line", real + GetParam().delta);
    std::snprintf(possible, sizeof possible, "<possible real next pointer %04Xh>", real);

    Lines expected = {"10 PRINT \"HI\"", "20 PRINT \"HI\"", "30 PRINT \"HI\"", "40 PRINT \"HI\""};
    expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(GetParam().line) + 1,
                    {bad, possible});
    EXPECT_EQ(List(program.Build()), expected);
    EXPECT_EQ(Summary(), "Files: bad");
}

INSTANTIATE_TEST_SUITE_P(Lines, Level2BasicNextPointer,
                         ::testing::Values(PointerCase{1, +1}, PointerCase{1, -1},
                                           PointerCase{2, +1}, PointerCase{2, -1}));

TEST_F(Level2BasicListing, TakesTheLoadAddressFromAWrongFirstPointerAndFailsTheLinesAfter) {
    // Line 10 passes its own check; the addresses after it are one off, so line 20 never finds
    // its terminator and runs on over the lines behind it (their pointers 430Ah and 4315h
    // break it at 0Ah and show as "C"; the numbers 1Eh and 28h break it or show as "(").
    EXPECT_EQ(List(FourLines().NextPointerOffBy(0, 1).Build()),
              (Lines{"10 PRINT \"HI\"", "20 PRINT \"HI\"", "", "C", "", "PRINT \"HI\"", "", "C(",
                     "PRINT \"HI\"", "", "", "", "bad next pointer 42FFh in this line"}));
    EXPECT_EQ(Summary(), "Files: bad");
}

TEST_F(Level2BasicListing, ListsTheRestOfTheBytesWhenAPointerLeadsNowhere) {
    const Bytes program = Level2Basic()
                              .Line(10, "CLS")
                              .Line(20, "PRINT 2")
                              .Line(30, "PRINT 3")
                              .NextPointer(1, 0x1234)
                              .NextPointer(2, 0x1234)
                              .WithoutEndMarker()
                              .Build();
    // Line 30's pointer (34h 12h) and number (1Eh 00h) show as far as they are text.
    EXPECT_EQ(List(program), (Lines{"10 CLS", "20 PRINT 2", "4", "", "", "PRINT 3", "",
                                    "bad next pointer 1234h in this line"}));
    EXPECT_EQ(Summary(), "Files: bad");
    EXPECT_EQ(end, program.size());
}

TEST_F(Level2BasicListing, TellsACutRecordingOnlyByTheVerdict) {
    Bytes program = FourLines().WithoutEndMarker().Build();
    program.resize(program.size() - 3);
    EXPECT_EQ(List(program),
              (Lines{"10 PRINT \"HI\"", "20 PRINT \"HI\"", "30 PRINT \"HI\"", "40 PRINT \"H"}));
    EXPECT_EQ(FileLine(), "Level 2 BASIC named 'P' bad");
    EXPECT_EQ(Summary(), "Files: bad");
    EXPECT_EQ(end, program.size());
}

// --- The end marker -------------------------------------------------------------------------

TEST_F(Level2BasicListing, HintsAtAMissingLastByteAndStopsInFrontOfTheByteLeft) {
    const Bytes program = Level2Basic().Line(10, "END").WithoutLastByte().Build();
    EXPECT_EQ(List(program),
              (Lines{"10 END", "You can fix this file by adding one byte of 00 with a hexeditor"}));
    EXPECT_EQ(Summary(), "Files: bad");
    EXPECT_EQ(end, program.size() - 1);
}

TEST_F(Level2BasicListing, CountsTheMissingBitsOnlyWhenTheHighspeedRemnantIsAllZero) {
    const Bytes program = Level2Basic().Line(10, "END").WithoutLastByte().Build();
    dlg.m_format = TapeFormat::Highspeed;
    dlg.m_hsBitsShort = 3;
    dlg.m_hsLastBits = 0x00;
    EXPECT_EQ(List(program), (Lines{"10 END", "This CAS file is 3 bits short",
                                    "You can fix this file by adding one byte of 00 with a "
                                    "hexeditor"}));
    dlg.m_hsLastBits = 0x80;
    EXPECT_EQ(List(program).size(), 2u);
}

TEST_F(Level2BasicListing, JudgesAProgramWithoutItsEndMarkerBad) {
    const Bytes program = Level2Basic().Line(10, "CLS").Line(20, "END").WithoutEndMarker().Build();
    EXPECT_EQ(List(program), (Lines{"10 CLS", "20 END"}));
    EXPECT_EQ(FileLine(), "Level 2 BASIC named 'A' bad");
    EXPECT_EQ(Summary(), "Files: bad");
    EXPECT_EQ(end, program.size());
}

// --- Never outside the bytes ----------------------------------------------------------------

TEST_F(Level2BasicListing, AssumesABlankNameForATapeFileCutBeforeIt) {
    EXPECT_EQ(List(Bytes{0xD3, 0xD3, 0xD3}), Lines{});
    EXPECT_EQ(FileLine(), "Level 2 BASIC named ' ' ok");
    EXPECT_EQ(Summary(), "Files: ok!");
}

TEST_F(Level2BasicListing, RejectsARepairCandidateThatPointsBeforeTheLine) {
    // Line 20 lies at FFE6h; 34 bytes in, its addresses wrap round to 0008h, where a 00h and
    // a small pointer would lead far in front of the tape file's first byte.
    Level2Basic program = Level2Basic().LoadAt(0xFFE0).Line(10, "PRINT");
    program.RawLine(20, Concat(std::string(30, 'A'), {0x00, 0x20, 0x00}, "B"));
    program.Line(30, "END").NextPointer(1, 0x1234);
    ASSERT_EQ(program.AddressOf(1), 0xFFE6);
    const Lines lines = List(program.Build());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "bad next pointer 1234h in this line");
    EXPECT_EQ(Summary(), "Files: bad");
}

// Every prefix of a program, as a recording cut anywhere would give it: a description and
// one verdict each, and a position within the bytes. The bounds checks of the views catch
// any read beyond a prefix.
TEST(Level2BasicSafety, ListsEveryPrefixOfGoodAndDamagedPrograms) {
    const Level2Basic good = Level2Basic('G')
                                 .Line(10, "IF A=1 THEN 20 ELSE 30 ' SKIP")
                                 .Line(20, "PRINT \"A\nB\";CHR$(34)")
                                 .RawLine(30, Concat("REM", {0x01, 0xC0, 0x0A}, "\""))
                                 .Line(40, "END");
    std::vector<Bytes> programs = {
        good.Build(),
        Level2Basic(good).NextPointerOffBy(1, 1).Build(),
        Level2Basic(good).NextPointer(2, 0xFFFF).WithoutLastByte().Build(),
        Level2Basic(good).LoadAt(0xFFD0).NextPointer(1, 0x0001).WithoutEndMarker().Build(),
        Level2Basic(good).RawLine(50, Bytes{0x22, 0x00, 0x00, 0x22, 0x93}).Build(),
    };
    for (const Bytes& program : programs) {
        for (std::size_t length = 0; length <= program.size(); ++length) {
            HeadlessPlatform platform;
            CTonvaleDlg dlg(platform);
            dlg.OnInitDialog();
            dlg.m_format = length % 2 ? TapeFormat::Highspeed : TapeFormat::Level2;
            dlg.m_hsBitsShort = 4;
            const Bytes prefix(program.begin(),
                               program.begin() + static_cast<std::ptrdiff_t>(length));
            const std::size_t end = dlg.ListLevel2Basic(prefix);
            EXPECT_LE(end, length);
            EXPECT_EQ(dlg.m_verdicts.size(), 1u);
            EXPECT_NE(Text(dlg.ControlText(ControlId::FileLine)).find(" BASIC named '"),
                      std::string::npos)
                << "length " << length;
        }
    }
}

// --- Whole tape images ----------------------------------------------------------------------

class Level2BasicTape : public ::testing::Test {
  protected:
    void Load(const Bytes& image) {
        dlg.OnInitDialog();
        dlg.LoadTapeImage(test::WriteFile(test::TempDir("level2basic") + "/t.cas", image));
    }
    Lines Report() const {
        Lines lines;
        for (std::size_t i = 0; i < dlg.m_report.Count(); ++i)
            lines.push_back(Text(dlg.m_report.Line(i)));
        return lines;
    }
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
};

TEST_F(Level2BasicTape, FindsASecondProgramBehindTheFirstOnesEndMarker) {
    Load(test::TapeBuilder()
             .Level2File(Level2Basic('A').Line(10, "CLS").Build())
             .Level2File(Level2Basic('B').Line(20, "END").Build())
             .Build());
    EXPECT_EQ(Report(), (Lines{"10 CLS", "", "Level 2 BASIC named 'B'", "20 END"}));
    EXPECT_EQ(Text(dlg.ControlText(ControlId::FileLine)),
              "Level 2 BASIC named 'A' ok (and more files)");
    EXPECT_EQ(Text(dlg.ControlText(ControlId::SummaryLine)), "Files: ok! ok!");
}

TEST_F(Level2BasicTape, LeavesTheByteInFrontOfAMissingLastByteToTheNextSearch) {
    Load(test::TapeBuilder()
             .Level2File(Level2Basic().Line(10, "END").WithoutLastByte().Build())
             .Build());
    ASSERT_GE(dlg.m_report.Count(), 2u);
    EXPECT_EQ(Text(dlg.m_report.Line(1)),
              "You can fix this file by adding one byte of 00 with a hexeditor");
    EXPECT_EQ(Text(dlg.ControlText(ControlId::SummaryLine)), "Files: bad ..?");
}

// A Highspeed recording that stopped inside the group of the end marker's last byte: the
// group's start bit and `present - 1` zero data bits made it onto the tape.
class Level2BasicHighspeedCut : public Level2BasicTape,
                                public ::testing::WithParamInterface<int> {};

TEST_P(Level2BasicHighspeedCut, SaysHowManyBitsTheLastByteLacks) {
    const int present = GetParam();
    const Bytes program = Level2Basic('H').Line(10, "END").WithoutLastByte().Build();
    // Shift the tape so that the image ends right behind the present bits.
    const int shift = (8 - static_cast<int>((program.size() + present) % 8)) % 8;
    Load(test::TapeBuilder().Shift(shift).HighspeedFile(program).Bits(0, present).Build());

    Lines expected = {"10 END", "You can fix this file by adding one byte of 00 with a hexeditor"};
    if (present >= 2)
        expected.insert(expected.begin() + 1,
                        "This CAS file is " + std::to_string(9 - present) + " bits short");
    EXPECT_EQ(Report(), expected);
    EXPECT_EQ(Text(dlg.ControlText(ControlId::FileLine)), "Highspeed BASIC named 'H' bad");
    EXPECT_EQ(Text(dlg.ControlText(ControlId::SummaryLine)), "Files: bad");
}

INSTANTIATE_TEST_SUITE_P(PresentBits, Level2BasicHighspeedCut, ::testing::Range(0, 9));

} // namespace
} // namespace tonvale
