// Telling Level 1 from Level 2 and one content from another by a tape file's first bytes.
#include "app/TonvaleDlg.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace tonvale {
namespace {

// A Level 1 tape file begins with its start and stop address, high byte first.
Bytes Level1Header(std::uint16_t start, std::uint16_t stop, Bytes rest = {}) {
    Bytes bytes = {static_cast<Byte>(start >> 8), static_cast<Byte>(start),
                   static_cast<Byte>(stop >> 8), static_cast<Byte>(stop)};
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

constexpr Byte kEntryLow = 0x00, kEntryHigh = 0x42; // entry address 4200h, low byte first

struct Classification {
    const char* what;
    TapeFormat leader;
    Bytes first;
    TapeFormat format;
    ContentKind kind;
};

std::ostream& operator<<(std::ostream& out, const Classification& c) {
    return out << c.what;
}

class ClassifiesByFirstBytes : public ::testing::TestWithParam<Classification> {};

TEST_P(ClassifiesByFirstBytes, SettlesFormatAndContent) {
    const Classification& c = GetParam();
    HeadlessPlatform platform;
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.m_format = c.leader;
    dlg.m_prevFormat = TapeFormat::Level2; // an undecided file inherits this, no question
    dlg.AnalyseTapeFile(c.first);
    EXPECT_EQ(dlg.m_format, c.format);
    EXPECT_EQ(dlg.m_contentKind, c.kind);
    EXPECT_EQ(platform.levelQuestions, 0);
}

const Classification kClassifications[] = {
    {"Level1EmptyCsave", TapeFormat::Level1or2, Level1Header(0x4200, 0x4200), TapeFormat::Level1,
     ContentKind::EmptyLevel1Csave},
    {"Level1Basic", TapeFormat::Level1or2, Level1Header(0x4200, 0x4210), TapeFormat::Level1,
     ContentKind::Basic},
    {"Level1StopBelowStartIsNotBasic", TapeFormat::Level1or2, Level1Header(0x4200, 0x4100),
     TapeFormat::Level2, ContentKind::Unidentified},
    {"Level1MachineCode", TapeFormat::Level1or2,
     Level1Header(0x41FE, 0x4210, {kEntryLow, kEntryHigh}), TapeFormat::Level1,
     ContentKind::System},
    {"Level1MachineCodeWithOtherEntryIsNotRecognised", TapeFormat::Level1or2,
     Level1Header(0x41FE, 0x4210, {kEntryHigh, kEntryLow}), TapeFormat::Level2,
     ContentKind::Unidentified},
    {"Level2Basic",
     TapeFormat::Level1or2,
     {0xD3, 0xD3, 0xD3, 'A'},
     TapeFormat::Level2,
     ContentKind::Basic},
    {"Level2Edtasm",
     TapeFormat::Level1or2,
     {0xD3, 0xD3, 'A'},
     TapeFormat::Level2,
     ContentKind::EdtasmSource},
    {"Level2System",
     TapeFormat::Level1or2,
     {0x55, 'G', 'A', 'M', 'E'},
     TapeFormat::Level2,
     ContentKind::System},
    {"HighspeedBasic",
     TapeFormat::Highspeed,
     {0xD3, 0xD3, 0xD3, 'A'},
     TapeFormat::Highspeed,
     ContentKind::Basic},
    {"HighspeedEdtasm",
     TapeFormat::Highspeed,
     {0xD3, 'X'},
     TapeFormat::Highspeed,
     ContentKind::EdtasmSource},
    {"HighspeedSystem", TapeFormat::Highspeed, {0x55}, TapeFormat::Highspeed, ContentKind::System},
    {"HighspeedLevel1LookalikeIsUnidentified", TapeFormat::Highspeed, Level1Header(0x4200, 0x4210),
     TapeFormat::Highspeed, ContentKind::Unidentified},
    {"NoLeaderIsUnidentifiedWhateverItHolds",
     TapeFormat::None,
     {0xD3, 0xD3, 0xD3},
     TapeFormat::None,
     ContentKind::Unidentified},
    {"EmptyTapeFile", TapeFormat::Level1or2, {}, TapeFormat::Level2, ContentKind::Unidentified},
    {"ThreeBytesCannotHoldAddresses",
     TapeFormat::Level1or2,
     {0x42, 0x00, 0x42},
     TapeFormat::Level2,
     ContentKind::Unidentified},
};

INSTANTIATE_TEST_SUITE_P(Headers, ClassifiesByFirstBytes, ::testing::ValuesIn(kClassifications),
                         [](const auto& p) { return std::string(p.param.what); });

class UndecidedLevel : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg.OnInitDialog();
        dlg.ClearReport();
        dlg.SetControlText(ControlId::SummaryLine, std::string_view("Files:"));
    }
    std::string Line(std::size_t i) const { return std::string(AsChars(dlg.m_report.Line(i))); }
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
    const Bytes unknown = ToBytes("no header I know");
};

TEST_F(UndecidedLevel, IsAskedForTheFirstTapeFileAndTheAnswerNamesIt) {
    platform.levelAnswer = [] { return TapeFormat::Level1; };
    dlg.m_format = TapeFormat::Level1or2;
    EXPECT_EQ(dlg.AnalyseTapeFile(unknown), unknown.size());
    EXPECT_EQ(platform.levelQuestions, 1);
    EXPECT_EQ(dlg.m_format, TapeFormat::Level1);
    EXPECT_EQ(AsChars(dlg.ControlText(ControlId::FileLine)), "Level 1 unidentified or unsupported");
    EXPECT_EQ(Line(0), "Level 1 header (many 00h then 5Ah)");
    EXPECT_EQ(AsChars(dlg.ControlText(ControlId::SummaryLine)), "Files: bad");
}

TEST_F(UndecidedLevel, IsTakenFromTheTapeFileBeforeWithoutAQuestion) {
    dlg.m_format = TapeFormat::Level1or2;
    dlg.m_prevFormat = TapeFormat::Level2;
    dlg.AnalyseTapeFile(unknown);
    EXPECT_EQ(platform.levelQuestions, 0);
    EXPECT_EQ(Line(0), "Level 2 unidentified or unsupported");
    EXPECT_EQ(Line(1), "Level 2 header (many 00h then 5Ah)");
}

TEST_F(UndecidedLevel, IsAskedAgainBehindAHighspeedTapeFile) {
    dlg.m_format = TapeFormat::Level1or2;
    dlg.m_prevFormat = TapeFormat::Highspeed;
    dlg.AnalyseTapeFile(unknown);
    EXPECT_EQ(platform.levelQuestions, 1);
    EXPECT_EQ(dlg.m_format, TapeFormat::Level2); // the close box's answer
}

TEST_F(UndecidedLevel, AnImageWithoutLeaderIsDumpedWhole) {
    dlg.m_format = TapeFormat::None;
    const Bytes image = test::TapeBuilder().Noise(40).Build();
    EXPECT_EQ(dlg.AnalyseTapeFile(image), 40u);
    EXPECT_EQ(AsChars(dlg.ControlText(ControlId::FileLine)),
              "No header unidentified or unsupported");
    EXPECT_EQ(Line(0), "No header detected (fragment? not CAS?)");
    EXPECT_EQ(dlg.m_report.Count(), 1u + 3u); // 40 bytes: three dump lines
    EXPECT_EQ(AsChars(dlg.ControlText(ControlId::SummaryLine)), "Files: bad");
}

TEST_F(UndecidedLevel, ARemainderBehindAGoodTapeFileIsNoiseBelow20Bytes) {
    dlg.m_format = TapeFormat::None;
    dlg.m_prevFormat = TapeFormat::Level2;
    dlg.AnalyseTapeFile(test::TapeBuilder().Noise(19).Build());
    EXPECT_EQ(Line(0), "No header unidentified or unsupported");
    EXPECT_EQ(Line(1), "Garbage (turning off noise?)");
    dlg.AnalyseTapeFile(test::TapeBuilder().Noise(20).Build());
    EXPECT_EQ(Line(5), "Premature end? Remainder of garbeled \"file\"");
    EXPECT_EQ(AsChars(dlg.ControlText(ControlId::SummaryLine)), "Files: ..? bad");
}

} // namespace
} // namespace tonvale
