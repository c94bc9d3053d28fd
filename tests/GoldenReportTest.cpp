// The whole report of each sample tape against a stored, reviewed copy. Run with
// TONVALE_UPDATE_GOLDEN=1 to write the copies (and the demo tapes in examples/) afresh, then
// read the differences before committing them.
#include "app/TonvaleDlg.h"
#include "builder/SampleTapes.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tonvale {
namespace {

const std::string kGoldenDir = std::string(TONVALE_SOURCE_DIR) + "/tests/golden/";
const std::string kExamplesDir = std::string(TONVALE_SOURCE_DIR) + "/examples/";

bool Updating() {
    return std::getenv("TONVALE_UPDATE_GOLDEN") != nullptr;
}

std::string AsString(ByteView bytes) {
    return std::string(AsChars(bytes));
}

class GoldenReport : public ::testing::TestWithParam<test::SampleTape> {};

TEST_P(GoldenReport, MatchesTheStoredReport) {
    const test::SampleTape& tape = GetParam();
    const std::string path =
        test::WriteFile(test::TempDir("golden") + "/" + tape.name + ".cas", tape.image);

    HeadlessPlatform platform;
    const TapeFormat level = tape.levelAnswer;
    platform.levelAnswer = [level] { return level; };
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.OpenTape(path);

    const std::string report = AsString(dlg.ComposeReportText());
    const std::string status = AsString(dlg.ControlText(ControlId::SummaryLine)) + "\n" +
                               AsString(dlg.ControlText(ControlId::DurationLine)) + "\n";
    const std::string reportFile = kGoldenDir + tape.name + ".txt";
    const std::string statusFile = kGoldenDir + tape.name + ".status";
    const std::string exampleFile = kExamplesDir + tape.name + ".cas";

    if (Updating()) {
        test::WriteFile(reportFile, ToBytes(report));
        test::WriteFile(statusFile, ToBytes(status));
        if (tape.demo) test::WriteFile(exampleFile, tape.image);
        GTEST_SKIP() << "wrote " << reportFile;
    }
    ASSERT_TRUE(std::filesystem::exists(reportFile)) << reportFile;
    EXPECT_EQ(report, AsString(test::ReadFile(reportFile)));
    EXPECT_EQ(status, AsString(test::ReadFile(statusFile)));
    if (tape.demo) {
        EXPECT_EQ(tape.image, test::ReadFile(exampleFile)) << "examples/ is out of date";
    }
}

INSTANTIATE_TEST_SUITE_P(SampleTapes, GoldenReport, ::testing::ValuesIn(test::SampleTapes()),
                         [](const auto& p) {
                             std::string name = p.param.name;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

} // namespace
} // namespace tonvale
