// The scratch text's limits, the report's lines and tags, and the text "&Save" writes.
#include "app/TonvaleDlg.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace tonvale {
namespace {

TEST(ScratchText, DropsWhatDoesNotFitIn359Characters) {
    TextBuffer text;
    text.Set(std::string(300, 'a'));
    text.AppendFormat("%s", std::string(100, 'b').c_str());
    EXPECT_EQ(text.Length(), 359u);
    text.Append(" (and more files)");
    EXPECT_EQ(text.Length(), 359u);
    EXPECT_EQ(text.Chars().back(), 'b');
}

TEST(ScratchText, EndsAtANulByteUntilItIsSetAgain) {
    TextBuffer text;
    text.Format("Level 2 BASIC named '%c'", 0);
    EXPECT_EQ(text.Chars(), "Level 2 BASIC named '");
    text.AppendByte('x');
    text.Append("more");
    EXPECT_EQ(text.Chars(), "Level 2 BASIC named '");
    text.Set(text.View());
    text.Append(" ok");
    EXPECT_EQ(text.Chars(), "Level 2 BASIC named ' ok");
}

class ReportTest : public ::testing::Test {
  protected:
    void SetUp() override { dlg.OnInitDialog(); }
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
};

TEST_F(ReportTest, StartsWithThePlaceholderLine) {
    ASSERT_EQ(dlg.m_report.Count(), 1u);
    EXPECT_EQ(AsChars(dlg.m_report.Line(0)), "<no data>");
    EXPECT_EQ(dlg.m_widestLine, 9);
    EXPECT_EQ(platform.reportExtent, 8 * 9 + 4);
}

TEST_F(ReportTest, WidensTheExtentOnlyForALongerLine) {
    dlg.AddReportLine("123456789");
    EXPECT_EQ(platform.reportExtent, 8 * 9 + 4);
    dlg.AddReportLine("");
    EXPECT_EQ(platform.reportExtent, 8 * 9 + 4);
    dlg.AddReportLine("1234567890");
    EXPECT_EQ(platform.reportExtent, 8 * 10 + 4);
}

TEST_F(ReportTest, SetsTheExtentAgainAfterAClearEvenIfNarrower) {
    dlg.AddReportLine(std::string(40, 'x'));
    dlg.ClearReport();
    EXPECT_EQ(platform.reportExtent, 8 * 40 + 4); // left as it was
    dlg.AddReportLine("");
    EXPECT_EQ(platform.reportExtent, 8 * 40 + 4); // an empty line never sets it
    dlg.AddReportLine("ab");
    EXPECT_EQ(platform.reportExtent, 8 * 2 + 4);
}

TEST_F(ReportTest, KeepsEveryTagWhenTheTagArrayGrows) {
    dlg.ClearReport();
    for (int i = 0; i < 2500; ++i)
        dlg.AddReportLine(std::to_string(i),
                          static_cast<Byte>(i % 3 == 0 ? kTagContinued : kTagPlain));
    EXPECT_EQ(dlg.m_lineTagCap, 3000);
    for (int i = 0; i < 2500; ++i) {
        ASSERT_EQ(dlg.m_lineTags[i], i % 3 == 0 ? kTagContinued : kTagPlain) << i;
        ASSERT_EQ(AsChars(dlg.m_report.Line(i)), std::to_string(i));
    }
}

TEST_F(ReportTest, SplitsLongListingLinesIntoContinuedPiecesOf64) {
    dlg.ClearReport();
    TextBuffer text;
    text.Set(std::string(64, 'a') + std::string(64, 'b') + "c");
    dlg.SplitLongLine(text);
    EXPECT_EQ(text.Chars(), "c");
    ASSERT_EQ(dlg.m_report.Count(), 2u);
    EXPECT_EQ(AsChars(dlg.m_report.Line(1)), std::string(64, 'b'));
    EXPECT_EQ(dlg.m_lineTags[0], kTagContinued);

    text.Set(std::string(64, 'x'));
    dlg.SplitLongLine(text);
    EXPECT_EQ(text.Length(), 64u);
}

TEST_F(ReportTest, SavedTextJoinsContinuedLinesAndEndsEachWithCrLf) {
    dlg.ClearReport();
    dlg.SetControlText(ControlId::FileLine, std::string_view("Level 2 BASIC named 'A' ok"));
    dlg.AddReportLine("one", kTagContinued);
    dlg.AddReportLine("two", kTagContinued);
    dlg.AddReportLine("three", kTagPlain);
    dlg.AddReportLine("", kTagPlain);
    dlg.AddReportLine("\x80\xFF", kTagContinued);
    EXPECT_EQ(AsChars(dlg.ComposeReportText()),
              "Level 2 BASIC named 'A' ok\r\nonetwothree\r\n\r\n\x80\xFF");
}

TEST_F(ReportTest, SavedTextOfAnEmptyReportIsTheFileLineAlone) {
    dlg.ClearReport();
    EXPECT_EQ(AsChars(dlg.ComposeReportText()), "\r\n");
}

TEST_F(ReportTest, VerdictsGoToTheFileLineOnlyForTheFirstTapeFile) {
    dlg.SetControlText(ControlId::FileLine, std::string_view("first"));
    dlg.SetControlText(ControlId::SummaryLine, std::string_view("Files:"));
    dlg.m_prevFormat = TapeFormat::None;
    dlg.AppendVerdict(false, true);
    dlg.m_prevFormat = TapeFormat::Level2;
    dlg.AppendVerdict(true, true);
    dlg.AppendVerdict(false, false);
    EXPECT_EQ(AsChars(dlg.ControlText(ControlId::FileLine)), "first suspicious");
    EXPECT_EQ(AsChars(dlg.ControlText(ControlId::SummaryLine)), "Files: ok? bad ok!");
    EXPECT_EQ(dlg.m_verdicts,
              (std::vector<Verdict>{Verdict::Suspicious, Verdict::Bad, Verdict::Ok}));
}

} // namespace
} // namespace tonvale
