// Raw bytes as hex-dump lines.
#include "app/TonvaleDlg.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

namespace tonvale {
namespace {

class HexDumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg.OnInitDialog();
        dlg.ClearReport();
    }
    std::string Line(std::size_t i) const { return std::string(AsChars(dlg.m_report.Line(i))); }
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
};

TEST_F(HexDumpTest, WritesSixteenBytesWithTheirAddressAndCharacters) {
    const Bytes bytes = ToBytes("ABCDEFGHIJKLMNOP");
    dlg.AddHexDump(true, bytes, 0x4200);
    ASSERT_EQ(dlg.m_report.Count(), 1u);
    EXPECT_EQ(Line(0), "4200 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 'ABCDEFGHIJKLMNOP'");
}

TEST_F(HexDumpTest, ClosesAPartialLineBehindItsLastCharacter) {
    const Bytes bytes = ToBytes("ABCDEFGHIJKLMNOPQ");
    dlg.AddHexDump(true, bytes, 0);
    ASSERT_EQ(dlg.m_report.Count(), 2u);
    EXPECT_EQ(Line(1), "0010 51" + std::string(46, ' ') + "'Q'");
}

TEST_F(HexDumpTest, LeavesOutTheAddressColumnWhenAskedTo) {
    const Bytes bytes = ToBytes("0123456789abcdefXY");
    dlg.AddHexDump(false, bytes, 0x1234);
    ASSERT_EQ(dlg.m_report.Count(), 2u);
    EXPECT_EQ(Line(0).size(), 66u);
    EXPECT_EQ(Line(0).substr(0, 6), "30 31 ");
    EXPECT_EQ(Line(1), "58 59" + std::string(43, ' ') + "'XY'");
}

TEST_F(HexDumpTest, WrapsTheAddressColumnAtSixteenBits) {
    Bytes bytes(24);
    std::iota(bytes.begin(), bytes.end(), Byte{0});
    dlg.AddHexDump(true, bytes, 0xFFF8);
    EXPECT_EQ(Line(0).substr(0, 4), "FFF8");
    EXPECT_EQ(Line(1).substr(0, 4), "0008");
}

TEST_F(HexDumpTest, AddsNothingForNoBytes) {
    dlg.AddHexDump(true, {}, 0);
    EXPECT_EQ(dlg.m_report.Count(), 0u);
}

TEST_F(HexDumpTest, ShowsControlBytesAsDotsAndHighBytesByTheFont) {
    const Bytes bytes = {0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF};
    dlg.AddHexDump(false, bytes, 0);
    EXPECT_EQ(Line(0).substr(48), "'.. ~...'");
    dlg.m_trsFont = true;
    dlg.AddHexDump(false, bytes, 0);
    EXPECT_EQ(Line(1).substr(48), std::string("'.. ~\x7F\x80\xFF'"));
}

} // namespace
} // namespace tonvale
