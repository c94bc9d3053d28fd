// Listing EDTASM sources: name, numbered lines with their tabs, and what damage or a cut
// recording shows.
#include "DecoderFixture.h"
#include "builder/EdtasmBuilder.h"
#include "builder/TapeBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tonvale {
namespace {

using test::EdtasmSource;

class EdtasmListing : public test::DecoderFixture {
  protected:
    void SetUp() override {
        DecoderFixture::SetUp();
        dlg.m_format = TapeFormat::Level2;
    }
    std::size_t List(const Bytes& file) { return Run(&CTonvaleDlg::ListEdtasmSource, file); }
};

TEST_F(EdtasmListing, ListsNumberedLinesWithTabsExpanded) {
    const Bytes file = EdtasmSource("ASM").Line(10, "\tLD\tA,B").Build();
    EXPECT_EQ(List(file), file.size());
    const std::vector<std::string> expected = {"00010         LD      A,B"};
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(Text(ControlId::FileLine), "Level 2 EDTASM named 'ASM' ok");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");
}

TEST_F(EdtasmListing,
       NamesTheHighspeedFormatDescribesLaterFilesInTheReportAndKeepsOnlyLettersAndDigitsOfTheName) {
    dlg.m_format = TapeFormat::Highspeed;
    dlg.m_prevFormat = TapeFormat::Highspeed;
    List(EdtasmSource("AB CD").Line(10, "X").Build());
    EXPECT_EQ(Lines()[0], "Highspeed EDTASM named 'ABCD'");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");

    SetUp();
    dlg.m_prevFormat = TapeFormat::None;
    List(EdtasmSource("A.B\xC1").Line(10, "X").Build());
    EXPECT_EQ(Text(ControlId::FileLine), "Level 2 EDTASM named 'AB' bad");
}

TEST_F(EdtasmListing, ComplainsOnceAboutLineNumbersOutOfOrder) {
    List(EdtasmSource("A").Line(0, "X").Line(20, "Y").Line(20, "Z").Line(10, "W").Build());
    const std::vector<std::string> expected = {"00000 X", "00020 Y", "00020 Z", "00010 W",
                                               "line numbers are not sequential"};
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(EdtasmListing, SplitsALongLineAfterSixtyFourCharacters) {
    const std::string text(70, 'X');
    List(EdtasmSource("A").Line(10, text).Build());
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[0], "00010 " + std::string(58, 'X'));
    EXPECT_EQ(dlg.m_lineTags[0], kTagContinued);
    EXPECT_EQ(Lines()[1], std::string(12, 'X'));
    EXPECT_EQ(dlg.m_lineTags[1], kTagPlain);
}

TEST_F(EdtasmListing, KeepsALineWholeThatOnlyItsClosingTabMakesLong) {
    List(EdtasmSource("A").Line(10, std::string(56, 'X') + "\t").Build());
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0], "00010 " + std::string(56, 'X') + std::string(8, ' '));
}

TEST_F(EdtasmListing, ExpandsARunOfTabsWithoutOverrunningTheLine) {
    List(EdtasmSource("A").Line(10, std::string(100, '\t') + "X").Build());
    for (const std::string& line : Lines())
        EXPECT_LE(line.size(), TextBuffer::kCapacity);
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");
}

TEST_F(EdtasmListing, LeavesOutCharactersThatEdtasmDoesNotWrite) {
    List(EdtasmSource("A")
             .Line(10, "L\x7F"
                       "D\n\xC1")
             .Build());
    EXPECT_EQ(Lines()[0], "00010 LD");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(EdtasmListing,
       ShowsAndCountsADigitWithoutItsHighBitButEndsTheTextAtOneThatLosesItToNothing) {
    List(EdtasmSource("A").Line(Bytes{0xB0, 0xB0, 0xB0, '1', 0xB0}, "X").Line(10, "Y").Build());
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"00010 X", "00010 Y", "line numbers are not sequential"}));
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");

    SetUp();
    List(EdtasmSource("A").Line(Bytes{0xB0, 0xB0, 0x80, 0xB1, 0xB0}, "X").Line(20, "Y").Build());
    EXPECT_EQ(Lines(), (std::vector<std::string>{"00", "00020 Y"}));
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(EdtasmListing, DropsASeparatorThatIsNotASpace) {
    List(EdtasmSource("A").Line(EdtasmSource::Digits(10), "X", '-').Build());
    EXPECT_EQ(Lines()[0], "00010X");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(EdtasmListing, AcceptsASourceThatEndsBehindALineWithoutItsEndMarker) {
    const Bytes file = EdtasmSource("A").Line(10, "X").Line(20, "Y").NoEnd().Build();
    EXPECT_EQ(List(file), file.size());
    EXPECT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");
}

TEST_F(EdtasmListing, ShowsWhereASourceWasCutInItsTextItsLineNumberOrItsName) {
    using L = std::vector<std::string>;
    // The name, the line 00010, then 00020, its space and two characters.
    const Bytes inText =
        EdtasmSource("A").Line(10, "X").Line(20, "LD A,B").CutTo(7 + 8 + 8).Build();
    EXPECT_EQ(List(inText), inText.size());
    EXPECT_EQ(Lines(), (L{"00010 X", "00020 LD", "truncated"}));
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");

    // Cut in a line number: back to that line's start.
    SetUp();
    const EdtasmSource source = EdtasmSource("A").Line(10, "X");
    const std::size_t lineStart = source.Size();
    EXPECT_EQ(List(EdtasmSource(source).Line(20, "Y").CutTo(lineStart + 2).Build()), lineStart);
    EXPECT_EQ(Lines(), (L{"00010 X", "00", "truncated"}));

    SetUp();
    const Bytes inName = EdtasmSource("ASM").CutTo(3).Build();
    EXPECT_EQ(List(inName), inName.size());
    EXPECT_EQ(Lines(), L{"truncated"});
    EXPECT_EQ(Text(ControlId::FileLine), "Level 2 EDTASM named 'AS' bad");
}

TEST_F(EdtasmListing, ReadsNothingBeyondAnyCutOfAGoodFile) {
    EdtasmSource source("ASM");
    const std::size_t firstLine = source.Size();
    source.Line(10, "\tLD\tA,B");
    const std::size_t secondLine = source.Size();
    source.Line(20, "\tRET");
    const std::size_t endMarker = source.Size();
    const Bytes whole = source.Build();
    constexpr std::size_t kNumberAndSpace = 6;

    for (std::size_t length = 0; length <= whole.size(); ++length) {
        SetUp();
        dlg.m_verdicts.clear();
        const std::size_t end = List(Bytes(whole.begin(), whole.begin() + length));
        // Cut within a line number or before its space: back to the start of that line.
        std::size_t expected = length;
        for (std::size_t start : {firstLine, secondLine})
            if (length > start && length < start + kNumberAndSpace) expected = start;
        EXPECT_EQ(end, expected) << length;
        // Cut right behind the name or a whole line is no damage.
        const bool clean = length == firstLine || length == secondLine || length == endMarker ||
                           length == whole.size();
        EXPECT_EQ(dlg.m_verdicts.back(), clean ? Verdict::Ok : Verdict::Bad) << length;
    }
}

TEST_F(EdtasmListing, ReturnsBehindTheEndMarkerSoTheLoaderFindsTheNextTapeFile) {
    const Bytes source = EdtasmSource("ASM").Line(10, "\tRET").Build();
    const std::string path =
        test::WriteFile(test::TempDir("edtasm") + "/two.cas",
                        test::TapeBuilder().Level2File(source).Noise(3).Level2File(source).Build());
    dlg.LoadTapeImage(path);
    EXPECT_EQ(Text(ControlId::FileLine), "Level 2 EDTASM named 'ASM' ok (and more files)");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok! ok!");
}

} // namespace
} // namespace tonvale
