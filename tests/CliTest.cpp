// tonvale-cli as a user runs it: a real process, real files, its exit status.
#include "CliRunner.h"
#include "app/TonvaleDlg.h"
#include "builder/TapeBuilder.h"
#include "cli/TerminalText.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tonvale {
namespace {

using test::CliRun;
using test::Quote;
using test::RunCli;

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override { dir = test::TempDir("cli"); }
    std::string Tape(const std::string& name, const Bytes& image) {
        return test::WriteFile(dir + "/" + name, image);
    }
    std::string dir;
};

TEST_F(CliTest, PrintsExactlyTheBytesThatSaveWouldWrite) {
    // Noise with an escape sequence and high bytes in it: piped output keeps every byte.
    const Bytes image = test::TapeBuilder().Data("\x1b[2J\x80\xff hostile").Noise(30).Build();
    const std::string tape = Tape("noise.cas", image);

    HeadlessPlatform platform;
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.OpenTape(tape);
    const Bytes expected = dlg.ComposeReportText();

    const CliRun run = RunCli("report " + Quote(tape));
    EXPECT_EQ(run.out, std::string(expected.begin(), expected.end()));
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "Files: bad");
    EXPECT_EQ(run.status, 1);
}

TEST_F(CliTest, NamesEachTapeWhenGivenSeveral) {
    const std::string a = Tape("a.cas", test::TapeBuilder().Noise(5, 1).Build());
    const std::string b = Tape("b.cas", test::TapeBuilder().Noise(5, 2).Build());
    const CliRun run = RunCli("report " + Quote(a) + " " + Quote(b));
    EXPECT_EQ(run.out.find("==> " + a + " <==\r\n"), 0u);
    EXPECT_NE(run.out.find("==> " + b + " <==\r\n"), std::string::npos);
    EXPECT_NE(run.err.find(b + ": Files: bad"), std::string::npos);
}

TEST_F(CliTest, FailsWithStatus2ForAnUnreadableTape) {
    const CliRun missing = RunCli("report " + Quote(dir + "/missing.cas"));
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find(dir + "/missing.cas\nUnable to open file!"), std::string::npos);

    const CliRun directory = RunCli("report " + Quote(dir));
    EXPECT_EQ(directory.status, 2);
    EXPECT_NE(directory.err.find("Unable to open file!"), std::string::npos);
}

TEST_F(CliTest, FailsWithStatus2ForWrongArguments) {
    EXPECT_EQ(RunCli("").status, 2);
    EXPECT_EQ(RunCli("frobnicate").status, 2);
    EXPECT_EQ(RunCli("report").status, 2);
    EXPECT_EQ(RunCli("report --level 3 x.cas").status, 2);
    EXPECT_EQ(RunCli("report --bogus x.cas").status, 2);
}

TEST_F(CliTest, AnswersHelpAndVersion) {
    const CliRun help = RunCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("report"), std::string::npos);
    const CliRun reportHelp = RunCli("report --help");
    EXPECT_EQ(reportHelp.status, 0);
    EXPECT_NE(reportHelp.out.find("--level 1|2"), std::string::npos);
    const CliRun version = RunCli("--version");
    EXPECT_EQ(version.out, std::string("tonvale-cli ") + TONVALE_VERSION + "\n");
}

TEST_F(CliTest, TakesLevel2ForAnUndecidedTapeWithoutATerminal) {
    const std::string tape =
        Tape("undecided.cas", test::TapeBuilder().Level2File(ToBytes("??????")).Build());
    EXPECT_EQ(RunCli("report " + Quote(tape)).out.substr(0, 7), "Level 2");
    EXPECT_EQ(RunCli("report --level 1 " + Quote(tape)).out.substr(0, 7), "Level 1");
}

TEST(TerminalText, EscapesControlBytesButKeepsLineEnds) {
    const Bytes shown = cli::EscapeForTerminal(ToBytes("a\x1b[31mb\r\nc\x07\x7f\x9b\xe9\n"));
    EXPECT_EQ(AsChars(shown), "a\\x1B[31mb\r\nc\\x07\\x7F\\x9B\xe9\n");
}

TEST(TerminalText, EscapesALoneCarriageReturn) {
    EXPECT_EQ(AsChars(cli::EscapeForTerminal(ToBytes("ab\rcd"))), "ab\\x0Dcd");
}

} // namespace
} // namespace tonvale
