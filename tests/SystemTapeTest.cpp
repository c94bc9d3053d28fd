// SYSTEM tapes: the name, the load blocks, where a tape file ends, and a Highspeed entry
// address that lost the end of its last byte.
#include "DecoderFixture.h"
#include "builder/SystemTapeBuilder.h"
#include "builder/TapeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace tonvale {
namespace {

using test::SystemTape;
using test::TapeBuilder;

Bytes Zeros(std::size_t count) {
    return Bytes(count, 0x00);
}
Bytes Letters(std::size_t count, char letter) {
    return Bytes(count, static_cast<Byte>(letter));
}
Bytes Counting(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<Byte>(i);
    return bytes;
}
using TextLines = std::vector<std::string>;

// Parameterised cases carry their own names.
template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

TextLines StartingWith(const TextLines& lines, std::string_view start) {
    TextLines found;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
                 [&](const std::string& line) { return line.starts_with(start); });
    return found;
}
TextLines Tail(const TextLines& lines, std::size_t count) {
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
}

// A tape of one 16-byte block and its transfer record, behind the given name bytes.
Bytes NamedTape(const Bytes& name) {
    return SystemTape::RawName(name).Block(0x4200, Zeros(16)).Transfer(0x4200).Build();
}

// One tape file handed straight to the decoder, in a buffer of exactly its size.
class SystemTapeDecoding : public test::DecoderFixture {
  protected:
    std::size_t Decode(const Bytes& file, TapeFormat format = TapeFormat::Level2,
                       TapeFormat previous = TapeFormat::None) {
        dlg.m_format = format;
        dlg.m_prevFormat = previous;
        return Run(&CTonvaleDlg::DecodeSystemTape, file);
    }
    std::string Line(std::size_t i) const {
        const TextLines lines = Lines();
        return i < lines.size() ? lines[i] : "<no such line>";
    }
    std::string FileLine() const { return Text(ControlId::FileLine); }
    std::string Summary() const { return Text(ControlId::SummaryLine); }
};

// --- The name ---------------------------------------------------------------------------------

using SystemTapeName = SystemTapeDecoding;

TEST_F(SystemTapeName, OfSixLettersBeforeTheFirstBlockGivesAPlainReport) {
    Decode(
        SystemTape("SIXLET").Block(0x4200, ToBytes("TRS-80 MODEL I/III")).Transfer(0x4200).Build());

    EXPECT_EQ(Lines(),
              (TextLines{
                  "Level 2 header (many 00h then 5Ah)",
                  "SYSTEM tape 55h name 'SIXLET'",
                  "load block 3Ch 12h 4200h (4200h-4212h)     csum D4h OK",
                  "4200 54 52 53 2D 38 30 20 4D 4F 44 45 4C 20 49 2F 49 'TRS-80 MODEL I/I'",
                  "4210 49 49                                           'II'",
                  "transfer address 78h 4200h",
                  "end",
              }));
    EXPECT_EQ(FileLine(), "Level 2 SYSTEM tape 'SIXLET' ok");
    EXPECT_EQ(Summary(), "Files: ok!");
}

struct NameCase {
    const char* name;
    Bytes tape;
    TextLines linesFromTheSecond;
    std::string fileLine; // empty: not looked at
    std::string summary;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.name;
}

class SystemTapeNames : public SystemTapeDecoding,
                        public ::testing::WithParamInterface<NameCase> {};

TEST_P(SystemTapeNames, AreReportedCountedAndTitled) {
    const NameCase& c = GetParam();
    Decode(c.tape);
    for (std::size_t i = 0; i < c.linesFromTheSecond.size(); ++i)
        EXPECT_EQ(Line(i + 1), c.linesFromTheSecond[i]);
    if (!c.fileLine.empty()) {
        EXPECT_EQ(FileLine(), c.fileLine);
    }
    EXPECT_EQ(Summary(), c.summary);
}

const std::string kBlockLine = "load block 3Ch 10h 4200h (4200h-4210h)     csum 42h OK";

INSTANTIATE_TEST_SUITE_P(
    SystemTapeName, SystemTapeNames,
    ::testing::Values(
        NameCase{"PaddedWithSpacesCountsThemAndTheTitleKeepsThem",
                 SystemTape("ABC").Block(0x4200, Zeros(16)).Transfer(0x4200).Build(),
                 {"SYSTEM tape 55h name 'ABC' padded with 3 spaces", kBlockLine},
                 "Level 2 SYSTEM tape 'ABC   ' ok",
                 "Files: ok!"},
        NameCase{"OfTwoLettersBeforeAGoodBlockIsShortAndSuspicious",
                 NamedTape(ToBytes("AB")),
                 {"SYSTEM tape 55h name 'AB'", "the name is shorter than 6 characters OK but odd",
                  "would normally have been padded (suspicious)", kBlockLine},
                 "Level 2 SYSTEM tape 'AB' suspicious",
                 "Files: ok?"},
        NameCase{"KeepsALessThanSignFollowedByAnotherWithinSixBytes",
                 NamedTape(ToBytes("AB<C<D")),
                 {"SYSTEM tape 55h name 'AB<C<D'", kBlockLine},
                 "",
                 "Files: ok!"},
        // The block's data are two more 3Ch bytes; its checksum and the record behind it decide.
        NameCase{"EndsAtALessThanSignThatStartsAGoodBlockEvenWithAnotherAhead",
                 SystemTape::RawName(ToBytes("AB"))
                     .Block(0x4200, Bytes{0x3C, 0x3C})
                     .Transfer(0x4200)
                     .Build(),
                 {"SYSTEM tape 55h name 'AB'", "the name is shorter than 6 characters OK but odd",
                  "would normally have been padded (suspicious)",
                  "load block 3Ch 02h 4200h (4200h-4202h)     csum BAh OK"},
                 "",
                 "Files: ok?"},
        NameCase{"EndsAtLowerCaseWhoseBytesAreDumpedAndCounted",
                 NamedTape(ToBytes("Gamer!")),
                 {"SYSTEM tape 55h name 'G'", "61 6D 65 72 21" + std::string(34, ' ') + "'amer!'",
                  kBlockLine},
                 "Level 2 SYSTEM tape 'Gamer!' ok",
                 "Files: ok!"},
        NameCase{"LongerThanSixIsShownWholeAndSuspicious",
                 NamedTape(ToBytes("LONGNAME")),
                 {"SYSTEM tape 55h name 'LONGNAME'", "the name is longer than 6 characters,",
                  "only 6 are significant (suspicious)"},
                 "",
                 "Files: ok?"},
        NameCase{"ANulByteEndsTheTitle",
                 NamedTape(Bytes{'A', 'B', 0x00, 'C', 'D', 'E'}),
                 {"SYSTEM tape 55h name 'AB'", "00 43 44 45" + std::string(37, ' ') + "'.CDE'"},
                 "Level 2 SYSTEM tape 'AB ok",
                 "Files: ok!"}),
    CaseName<NameCase>);

TEST_F(SystemTapeName, MissingAltogetherLeavesAnEmptyShortName) {
    EXPECT_EQ(Decode(SystemTape::RawName(Bytes{}).Build()), 1u);

    EXPECT_EQ(Lines(), (TextLines{
                           "Level 2 header (many 00h then 5Ah)",
                           "SYSTEM tape 55h name ''",
                           "the name is shorter than 6 characters OK but odd",
                           "would normally have been padded (suspicious)",
                       }));
    EXPECT_EQ(FileLine(), "Level 2 SYSTEM tape '' suspicious");
    EXPECT_EQ(Summary(), "Files: ok?");
}

TEST_F(SystemTapeName, OfHundredsOfBytesStaysWithinTheLinesAndKeepsTheVerdict) {
    Bytes name = Letters(400, 'A');
    const Bytes spaces = Letters(300, ' ');
    name.insert(name.end(), spaces.begin(), spaces.end());
    Decode(NamedTape(name));

    const std::string fileLine = FileLine();
    EXPECT_TRUE(fileLine.starts_with("Level 2 SYSTEM tape 'AAAAAAAA"));
    EXPECT_TRUE(fileLine.ends_with("AAAA' suspicious"));
    // Saved with the loader's remark behind it, the file line still fits its 356 characters.
    EXPECT_LE(fileLine.size() + std::string_view(" (and more files)").size(), 356u);

    EXPECT_TRUE(Line(1).starts_with("SYSTEM tape 55h name 'AAAAAAAA"));
    EXPECT_TRUE(Line(1).ends_with("AAAA' padded with 300 spaces"));
    EXPECT_LE(Line(1).size(), TextBuffer::kCapacity);
    EXPECT_EQ(Line(2), "the name is longer than 6 characters,");
    EXPECT_EQ(Line(4), kBlockLine);
    EXPECT_EQ(Summary(), "Files: ok?");
}

TEST_F(SystemTapeName, OfALaterHighspeedFileIsTitledInTheReport) {
    dlg.SetControlText(ControlId::FileLine, std::string_view("Level 2 BASIC ok"));
    Decode(NamedTape(ToBytes("GAME  ")), TapeFormat::Highspeed, TapeFormat::Level2);

    EXPECT_EQ(Line(0), "Highspeed header (many 55h then 7Fh)");
    EXPECT_EQ(Line(1), "Highspeed SYSTEM tape 'GAME  '");
    EXPECT_EQ(Line(2), "SYSTEM tape 55h name 'GAME' padded with 2 spaces");
    EXPECT_EQ(FileLine(), "Level 2 BASIC ok");
    EXPECT_EQ(Summary(), "Files: ok!");
}

// --- Load blocks ------------------------------------------------------------------------------

using SystemTapeBlocks = SystemTapeDecoding;

TEST_F(SystemTapeBlocks, ThatFollowOnAreJoinedAndALaterOneShowsAGap) {
    Decode(SystemTape("GAME")
               .Block(0x4200, Zeros(256))
               .Block(0x4300, Zeros(256))
               .Block(0x5000, Zeros(16))
               .Transfer(0x4200)
               .Build());

    EXPECT_EQ(StartingWith(Lines(), "load block"),
              (TextLines{
                  "load block 3Ch 00h 4200h (4200h-4300h)     csum 42h OK",
                  "load block 3Ch 00h 4300h (4300h-4400h)     csum 43h OK",
                  "load block 3Ch 10h 5000h (5000h-5010h) gap  csum 50h OK",
              }));
}

TEST_F(SystemTapeBlocks, ReachingTheTopOfMemoryEndAt10000hAndWrapWithoutAGap) {
    Decode(SystemTape("GAME")
               .Block(0xFF00, Zeros(256))
               .Block(0x0000, Zeros(16))
               .Transfer(0x0000)
               .Build());

    const auto report = Lines();
    EXPECT_EQ(StartingWith(report, "load block"),
              (TextLines{
                  "load block 3Ch 00h FF00h (FF00h-10000h)     csum FFh OK",
                  "load block 3Ch 10h 0000h (0000h-0010h)     csum 00h OK",
              }));
    EXPECT_EQ(StartingWith(report, "FFF0 ").size(), 1u);
}

TEST_F(SystemTapeBlocks, WithAWrongChecksumShowBothMakeTheFileBadAndTheWalkGoesOn) {
    Decode(SystemTape("GAME")
               .Block(0x4200, Zeros(16))
               .WrongChecksum(1)
               .Block(0x4210, Zeros(16))
               .Transfer(0x4200)
               .Build());

    const auto report = Lines();
    EXPECT_EQ(StartingWith(report, "load block"),
              (TextLines{
                  "load block 3Ch 10h 4200h (4200h-4210h)     csum 42h!=43h bad!",
                  "load block 3Ch 10h 4210h (4210h-4220h)     csum 52h OK",
              }));
    EXPECT_NE(std::find(report.begin(), report.end(), "transfer address 78h 4200h"), report.end());
    EXPECT_EQ(FileLine(), "Level 2 SYSTEM tape 'GAME  ' bad");
    EXPECT_EQ(Summary(), "Files: bad");
}

TEST_F(SystemTapeBlocks, AreSeparatedByGarbageThatIsShownAndForgiven) {
    Decode(SystemTape("GAME")
               .Block(0x4200, Zeros(16))
               .Garbage(Bytes{0x01, 0xFF, 0x41})
               .Block(0x4210, Zeros(16))
               .Transfer(0x4200)
               .Build());

    const auto report = Lines();
    const auto garbage =
        std::find(report.begin(), report.end(), "\"garbage\" 0003h bytes (ignored by ROM)");
    ASSERT_NE(garbage, report.end());
    EXPECT_EQ(garbage[1], "01 FF 41" + std::string(40, ' ') + "'..A'");
    EXPECT_EQ(garbage[2], "load block 3Ch 10h 4210h (4210h-4220h)     csum 52h OK");
    EXPECT_EQ(Summary(), "Files: ok!");
}

// --- Where the tape file ends -----------------------------------------------------------------

struct Ending {
    const char* name;
    SystemTape tape;
    TapeFormat format;
    std::vector<std::string> lastLines;
    std::size_t leftBehind; // bytes the decoder does not consume
    const char* verdict;
};

void PrintTo(const Ending& ending, std::ostream* out) {
    *out << ending.name;
}

SystemTape TwoBlocks() {
    return SystemTape("GAME").Block(0x4200, Zeros(16)).Block(0x4210, Letters(16, 'A'));
}

class SystemTapeEnding : public SystemTapeDecoding, public ::testing::WithParamInterface<Ending> {};

TEST_P(SystemTapeEnding, IsReportedWithTheRightVerdictAndPosition) {
    const Ending& ending = GetParam();
    const Bytes file = ending.tape.Build();

    const std::size_t consumed = Decode(file, ending.format);

    EXPECT_EQ(Tail(Lines(), ending.lastLines.size()), ending.lastLines);
    EXPECT_EQ(file.size() - consumed, ending.leftBehind);
    EXPECT_EQ(Summary(), std::string("Files:") + ending.verdict);
}

const std::string kLastDataLine =
    "4210 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 'AAAAAAAAAAAAAAAA'";

Ending Cut(const char* name, SystemTape tape, std::vector<std::string> lastLines,
           std::size_t leftBehind, const char* verdict, TapeFormat format = TapeFormat::Level2) {
    return {name, std::move(tape), format, std::move(lastLines), leftBehind, verdict};
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, SystemTapeEnding,
    ::testing::Values(
        Cut("AtARecordBoundaryWithoutTransfer", TwoBlocks(), {kLastDataLine}, 0, " ok!"),
        Cut("BehindTheTransferRecord", TwoBlocks().Transfer(0x4200).Garbage(Bytes{0x00, 0x00}),
            {"transfer address 78h 4200h", "end"}, 2, " ok!"),
        Cut("RightAfterABlockType", TwoBlocks().Block(0x4220, Zeros(16)).DropLast(20),
            {kLastDataLine, "unexpected end of file"}, 0, " bad"),
        Cut("RightAfterACountByte", TwoBlocks().Block(0x4220, Zeros(16)).DropLast(19),
            {kLastDataLine, "unexpected end of file"}, 0, " bad"),
        Cut("InsideALoadAddress", TwoBlocks().Block(0x4220, Zeros(16)).DropLast(18),
            {kLastDataLine, "unexpected end of file"}, 1, " bad"),
        Cut("InsideBlockData", TwoBlocks().DropLast(11),
            {"load block 3Ch 10h 4210h (4210h-4220h)     csum missing bad!",
             "4210 41 41 41 41 41 41" + std::string(31, ' ') + "'AAAAAA'",
             "unexpected end of file"},
            0, " bad"),
        Cut("WhereTheChecksumBelongs", TwoBlocks().DropLast(1),
            {"load block 3Ch 10h 4210h (4210h-4220h)     csum missing bad!", kLastDataLine,
             "unexpected end of file"},
            0, " bad"),
        Cut("RightAfterTheTransferType", TwoBlocks().Transfer(0x4200).DropLast(2),
            {kLastDataLine, "transfer address 78h truncated bad", "unexpected end of file"}, 0,
            " bad"),
        Cut("InsideTheEntryAddress", TwoBlocks().Transfer(0x532D).DropLast(1),
            {"transfer address 78h truncated ??2Dh bad", "unexpected end of file"}, 1, " bad"),
        Cut("InsideTheEntryAddressOfAHighspeedFileEndingOnAGroup",
            TwoBlocks().Transfer(0x532D).DropLast(1),
            {"transfer address 78h truncated ??2Dh bad", "unexpected end of file"}, 1, " bad",
            TapeFormat::Highspeed)),
    CaseName<Ending>);

// --- A Highspeed entry address that lost the end of its last byte ----------------------------

struct IncompleteByte {
    std::uint32_t bitsShort;
    Byte knownBits;
    std::string truncatedLine;
    std::string rangeLine;
};

// The last lines of the report: the truncated address, what its high byte could be, and the
// warning that the tape hangs a real machine.
TextLines HangReport(const IncompleteByte& incomplete) {
    return {incomplete.truncatedLine,
            incomplete.rangeLine,
            "The last (incomplete) byte is missing resulting in the bad transfer-",
            "address. Loading this on a real machine will hang.",
            "(An older version of tapegrab may have done this, sorry).",
            "unexpected end of file"};
}

class SystemTapeIncompleteEntry : public SystemTapeDecoding,
                                  public ::testing::WithParamInterface<IncompleteByte> {};

TEST_P(SystemTapeIncompleteEntry, NamesTheValuesTheHighByteCouldHave) {
    dlg.m_hsBitsShort = GetParam().bitsShort;
    dlg.m_hsLastBits = GetParam().knownBits;

    Decode(TwoBlocks().Transfer(0x532D).DropLast(1).Build(), TapeFormat::Highspeed);

    const TextLines expected = HangReport(GetParam());
    EXPECT_EQ(Tail(Lines(), expected.size()), expected);
    EXPECT_EQ(Summary(), "Files: bad");
}

INSTANTIATE_TEST_SUITE_P(
    MissingBits, SystemTapeIncompleteEntry,
    ::testing::Values(IncompleteByte{1, 0x52, "transfer address 78h truncated 5?2D bad",
                                     "where '?' can be 2 to 3"},
                      IncompleteByte{3, 0x50, "transfer address 78h truncated 5?2D bad",
                                     "where '?' can be 0 to 7"},
                      IncompleteByte{4, 0xA0, "transfer address 78h truncated A?2D bad",
                                     "where '?' can be 0 to F"},
                      IncompleteByte{5, 0xA0, "transfer address 78h truncated ??2D bad",
                                     "where '^ can be A0 to BF"},
                      IncompleteByte{6, 0x40, "transfer address 78h truncated ??2D bad",
                                     "where '^ can be 40 to 7F"},
                      IncompleteByte{7, 0x80, "transfer address 78h truncated ??2D bad",
                                     "where '^ can be 80 to FF"}));

// A Highspeed image cut a few bits into the entry address's high byte, as a tape grabber that
// stopped too early leaves it: the loader's note of the missing bits reaches the report.
class SystemTapeHighspeedImage : public SystemTapeIncompleteEntry {};

TEST_P(SystemTapeHighspeedImage, CutInsideTheEntryAddressNamesTheMissingBits) {
    const IncompleteByte& incomplete = GetParam();
    const Bytes file = TwoBlocks().Transfer(0x532D).Build();
    // Cutting the image at a byte boundary drops the last group's low bits; a few zero bits in
    // front of the leader decide how many.
    const auto shift = static_cast<int>((incomplete.bitsShort + 8 * 8 - file.size() % 8) % 8);
    const Bytes image = TapeBuilder().Shift(shift).HighspeedFile(file).BuildCutting();
    dlg.LoadTapeImage(test::WriteFile(test::TempDir("system-highspeed") + "/t.cas", image));

    EXPECT_EQ(dlg.m_hsBitsShort, incomplete.bitsShort);
    EXPECT_EQ(dlg.m_hsLastBits, incomplete.knownBits);
    const TextLines expected = HangReport(incomplete);
    EXPECT_EQ(Tail(Lines(), expected.size()), expected);
    EXPECT_EQ(FileLine(), "Highspeed SYSTEM tape 'GAME  ' bad");
    // The low address byte left behind is the end of the image, not another tape file.
    EXPECT_EQ(Summary(), "Files: bad");
}

INSTANTIATE_TEST_SUITE_P(
    MissingBits, SystemTapeHighspeedImage,
    ::testing::Values(IncompleteByte{3, 0x50, "transfer address 78h truncated 5?2D bad",
                                     "where '?' can be 0 to 7"},
                      IncompleteByte{6, 0x40, "transfer address 78h truncated ??2D bad",
                                     "where '^ can be 40 to 7F"}));

// --- Every prefix and whole images ----------------------------------------------------------

// Every prefix of a good tape, each in a buffer of exactly its size: at most one byte left
// behind for the loader, and bad only when cut inside a record. With a short name, the 3Ch
// behind it is weighed at every cut as a block start or a name character.
TEST_F(SystemTapeDecoding, PrefixesLeaveAtMostOneByteAndAreBadOnlyWhenCutInsideARecord) {
    SystemTape tape("GAME");
    const std::size_t nameEnd = tape.Length();
    tape.Block(0x4200, Counting(256));
    const std::size_t firstEnd = tape.Length();
    tape.Block(0x4300, Counting(16));
    const std::size_t secondEnd = tape.Length();
    const Bytes whole = tape.Transfer(0x4200).Build();
    const Bytes shortName = SystemTape::RawName(ToBytes("AB"))
                                .Block(0x4200, Counting(256))
                                .Block(0x4300, Counting(16))
                                .Transfer(0x4200)
                                .Build();

    for (const Bytes* tapeFile : {&whole, &shortName}) {
        for (std::size_t length = 0; length <= tapeFile->size(); ++length) {
            SCOPED_TRACE(length);
            dlg.m_verdicts.clear();
            const Bytes prefix(tapeFile->begin(), tapeFile->begin() + static_cast<long>(length));
            const std::size_t consumed = Decode(prefix);
            ASSERT_LE(consumed, length);
            EXPECT_LE(length - consumed, 1u);
            ASSERT_EQ(dlg.m_verdicts.size(), 1u);
            if (tapeFile != &whole) continue;
            const bool atBoundary = length == nameEnd || length == firstEnd ||
                                    length == secondEnd || length == whole.size();
            EXPECT_EQ(dlg.m_verdicts[0], length < nameEnd ? Verdict::Suspicious
                                         : atBoundary     ? Verdict::Ok
                                                          : Verdict::Bad);
        }
    }
}

TEST_F(SystemTapeDecoding, ImageOfTwoLevel2FilesDescribesTheFirstAndTitlesTheSecondInTheReport) {
    const Bytes image = TapeBuilder()
                            .Level2File(NamedTape(ToBytes("ONE   ")))
                            .Level2File(NamedTape(ToBytes("TWO   ")))
                            .Build();
    dlg.LoadTapeImage(test::WriteFile(test::TempDir("system-two") + "/t.cas", image));

    EXPECT_EQ(FileLine(), "Level 2 SYSTEM tape 'ONE   ' ok (and more files)");
    EXPECT_EQ(Summary(), "Files: ok! ok!");
    const auto report = Lines();
    const auto gap = std::find(report.begin(), report.end(), "");
    ASSERT_NE(gap, report.end());
    EXPECT_EQ(gap[1], "Level 2 header (many 00h then 5Ah)");
    EXPECT_EQ(gap[2], "Level 2 SYSTEM tape 'TWO   '");
    EXPECT_EQ(gap[3], "SYSTEM tape 55h name 'TWO' padded with 3 spaces");
    EXPECT_EQ(report.back(), "end");
}

} // namespace
} // namespace tonvale
