// Reading an image and walking it tape file by tape file.
#include "app/TonvaleDlg.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/SampleTapes.h"
#include "builder/SystemTapeBuilder.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace tonvale {
namespace {

using test::TapeBuilder;

class TapeLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = test::TempDir("loader");
        dlg.OnInitDialog();
    }
    void Load(const Bytes& image) { dlg.LoadTapeImage(test::WriteFile(dir + "/tape.cas", image)); }
    std::string FileLine() const {
        return std::string(AsChars(dlg.ControlText(ControlId::FileLine)));
    }
    std::string Summary() const {
        return std::string(AsChars(dlg.ControlText(ControlId::SummaryLine)));
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < dlg.m_report.Count(); ++i)
            lines.emplace_back(AsChars(dlg.m_report.Line(i)));
        return lines;
    }

    std::string dir;
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
    const Bytes basic = test::DemoBasicProgram();
    const Bytes system = test::DemoSystemProgram();
};

TEST_F(TapeLoaderTest, ReportsOneTapeFileWithOneVerdict) {
    Load(TapeBuilder().Level2File(basic).Build());
    EXPECT_EQ(Summary(), "Files: ok!");
    EXPECT_EQ(FileLine(), "Level 2 BASIC named 'T' ok");
    EXPECT_EQ(dlg.m_format, TapeFormat::Level2);
    EXPECT_EQ(dlg.m_prevFormat, TapeFormat::None);
    EXPECT_FALSE(dlg.m_mixedFormats);
}

TEST_F(TapeLoaderTest, GivesAShiftedImageTheSameReport) {
    Load(TapeBuilder().Level2File(basic).Build());
    const std::vector<std::string> plain = Lines();
    for (int shift = 1; shift < 8; ++shift) {
        Load(TapeBuilder().Shift(shift).Level2File(basic).Build());
        EXPECT_EQ(Lines(), plain) << "shift " << shift;
        EXPECT_EQ(Summary(), "Files: ok!") << "shift " << shift;
    }
}

TEST_F(TapeLoaderTest, SeparatesTwoTapeFilesByAnEmptyLine) {
    Load(TapeBuilder().Level2File(system).Level2File(system).Build());
    EXPECT_EQ(Summary(), "Files: ok! ok!");
    EXPECT_EQ(FileLine(), "Level 2 SYSTEM tape 'TONVAL' ok (and more files)");
    const std::vector<std::string> lines = Lines();
    const auto separator = std::find(lines.begin(), lines.end(), "");
    ASSERT_NE(separator, lines.end());
    EXPECT_EQ(*(separator + 1), "Level 2 header (many 00h then 5Ah)");
    EXPECT_EQ(*(separator + 2), "Level 2 SYSTEM tape 'TONVAL'");
    EXPECT_FALSE(dlg.m_mixedFormats);
    EXPECT_EQ(dlg.m_prevFormat, TapeFormat::Level2);
}

TEST_F(TapeLoaderTest, NoticesTapeFilesOfDifferentFormats) {
    Load(TapeBuilder().Level2File(system).HighspeedFile(system).Build());
    EXPECT_EQ(Summary(), "Files: ok! ok!");
    EXPECT_TRUE(dlg.m_mixedFormats);
    EXPECT_EQ(dlg.m_format, TapeFormat::Highspeed);
    EXPECT_EQ(dlg.m_prevFormat, TapeFormat::Level2);
}

TEST_F(TapeLoaderTest, ReportsNoiseBehindATapeFileAsGarbageAndKeepsTheFormat) {
    Load(TapeBuilder().Level2File(system).Noise(10).Build());
    EXPECT_EQ(Summary(), "Files: ok! ..?");
    EXPECT_EQ(dlg.m_format, TapeFormat::Level2);
    EXPECT_FALSE(dlg.m_mixedFormats);
    const std::vector<std::string> lines = Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Garbage (turning off noise?)"), lines.end());
}

TEST_F(TapeLoaderTest, CountsASingleByteBehindAHighspeedTapeFileAsConsumed) {
    // The padding bits of the last group fill a byte that reads as one more data byte.
    Load(TapeBuilder().HighspeedFile(system).HighspeedData(Bytes{0x00}).Build());
    EXPECT_EQ(Summary(), "Files: ok!");
}

TEST_F(TapeLoaderTest, CapsTheSummaryLineOfAHundredTapeFiles) {
    TapeBuilder tape;
    for (int i = 0; i < 100; ++i)
        tape.Level2File(system, 16);
    Load(tape.Build());
    EXPECT_EQ(dlg.m_verdicts.size(), 100u);
    EXPECT_EQ(Summary().size(), 359u);
    EXPECT_EQ(Summary().substr(0, 14), "Files: ok! ok!");
    EXPECT_EQ(FileLine(), "Level 2 SYSTEM tape 'TONVAL' ok (and more files)");
}

TEST_F(TapeLoaderTest, HandsAnEmptyFileToTheAnalysis) {
    Load(Bytes{});
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(FileLine(), "No header unidentified or unsupported");
    EXPECT_EQ(Summary(), "Files: bad");
    EXPECT_NE(dlg.m_tapeData, nullptr);
    EXPECT_EQ(dlg.m_tapeSize, 0u);
}

TEST_F(TapeLoaderTest, KeepsThePreviousReportWhenAFileCannotBeOpened) {
    Load(TapeBuilder().Level2File(basic).Build());
    const std::vector<std::string> before = Lines();
    for (const std::string& path : {dir + "/missing.cas", dir}) {
        dlg.LoadTapeImage(path);
        ASSERT_FALSE(platform.messages.empty());
        EXPECT_EQ(AsChars(platform.messages.back().text), path + "\nUnable to open file!");
        EXPECT_EQ(platform.messages.back().caption, "Tonvale - HOW?");
        EXPECT_EQ(platform.messages.back().icon, MessageIcon::StopSign);
        EXPECT_EQ(Lines(), before);
        EXPECT_EQ(dlg.m_tapeSize, 0u);
    }
}

TEST_F(TapeLoaderTest, TreatsAPathTooLongForAPathBufferAsNotFound) {
    // The file exists under its short name; the long path must not be cut down to it.
    const std::string path = dir + "/tape.cas";
    test::WriteFile(path, TapeBuilder().Level2File(basic).Build());
    std::string longPath = path;
    while (longPath.size() <= kMaxPath)
        longPath.insert(dir.size(), "/.");
    dlg.LoadTapeImage(longPath);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(AsChars(platform.messages.back().text).substr(0, 16), longPath.substr(0, 16));
    EXPECT_EQ(dlg.m_tapeSize, 0u);
}

TEST_F(TapeLoaderTest, RefusesAFileItMayNotRead) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::string path = test::WriteFile(dir + "/secret.cas", basic);
    std::filesystem::permissions(path, std::filesystem::perms::none);
    dlg.LoadTapeImage(path);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(AsChars(platform.messages.back().text), path + "\nUnable to open file!");
}

TEST_F(TapeLoaderTest, WalksTenThousandShiftedTapeFiles) {
    // All at one alignment, so every later tape file is a view into one realigned buffer.
    // (A shifted leader loses a byte to the bits of whatever came before it.)
    TapeBuilder tape;
    tape.Shift(5);
    for (int i = 0; i < 10000; ++i)
        tape.Level2File(system, 17);
    Load(tape.Build());
    EXPECT_EQ(dlg.m_verdicts.size(), 10000u);
    EXPECT_EQ(std::count(dlg.m_verdicts.begin(), dlg.m_verdicts.end(), Verdict::Ok), 10000);
}

} // namespace
} // namespace tonvale
