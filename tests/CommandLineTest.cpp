// The command-line argument: quoting, wildcards, bounded paths, and the not-found exit.
#include "app/CommandLine.h"
#include "app/TonvaleDlg.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

namespace tonvale {
namespace {

TEST(FirstArgument, TakesAQuotedArgumentWithItsSpaces) {
    EXPECT_EQ(FirstArgument("\"my tapes/game one.cas\" other"), "my tapes/game one.cas");
    EXPECT_EQ(FirstArgument("\"unterminated quote"), "unterminated quote");
}

TEST(FirstArgument, EndsAnUnquotedArgumentAtTheFirstSpace) {
    EXPECT_EQ(FirstArgument("game.cas other"), "game.cas");
    EXPECT_EQ(FirstArgument("game.cas"), "game.cas");
}

TEST(Wildcards, MatchLikeADirectorySearch) {
    EXPECT_TRUE(MatchesWildcard("*.cas", "game.cas"));
    EXPECT_TRUE(MatchesWildcard("g?me*", "game.cas"));
    EXPECT_TRUE(MatchesWildcard("*", ""));
    EXPECT_FALSE(MatchesWildcard("*.cas", "game.wav"));
    EXPECT_FALSE(MatchesWildcard("?", ""));
    // Many stars against a long name stay fast (no exponential backtracking).
    EXPECT_FALSE(MatchesWildcard("*a*a*a*a*a*a*a*a*b", std::string(200, 'a')));
}

TEST(FileNamePart, EndsTheDirectoryAtEitherSeparator) {
    EXPECT_EQ(FileNamePart("C:\\tapes\\game.cas"), "game.cas");
    EXPECT_EQ(FileNamePart("/home/me/game.cas"), "game.cas");
    EXPECT_EQ(FileNamePart("dir\\sub/game.cas"), "game.cas");
    EXPECT_EQ(FileNamePart("game.cas"), "game.cas");
}

class FindFirstFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = test::TempDir("find-first-file");
        for (const char* name : {"zork.cas", "adventure.cas", "notes.txt"})
            test::WriteFile(dir + "/" + name, ToBytes("x"));
    }
    std::string dir;
};

TEST_F(FindFirstFileTest, ResolvesAWildcardToTheFirstMatchInNameOrder) {
    EXPECT_EQ(FindFirstFile(dir + "/*.cas"), dir + "/adventure.cas");
    EXPECT_EQ(FindFirstFile(dir + "/z*"), dir + "/zork.cas");
}

TEST_F(FindFirstFileTest, FindsAPlainName) {
    EXPECT_EQ(FindFirstFile(dir + "/notes.txt"), dir + "/notes.txt");
}

TEST_F(FindFirstFileTest, FindsNothingForAMissingNameOrAnOverlongPath) {
    EXPECT_FALSE(FindFirstFile(dir + "/*.wav"));
    EXPECT_FALSE(FindFirstFile(dir + "/missing.cas"));
    EXPECT_FALSE(FindFirstFile(dir + "/"));
    EXPECT_FALSE(FindFirstFile(""));
    EXPECT_FALSE(FindFirstFile(dir + "/" + std::string(300, 'a') + "*"));
}

TEST_F(FindFirstFileTest, AnUnknownCommandLineFileEndsTheProgramWithStatus1) {
    HeadlessPlatform platform;
    platform.onExit = [](int) {};
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.OnOpenCommandLine("\"" + dir + "/no such tape.cas\"");
    EXPECT_EQ(platform.exitStatus, 1);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(AsChars(platform.messages[0].text),
              "Error opening file\n" + dir + "/no such tape.cas");
    EXPECT_EQ(platform.messages[0].caption, "Tonvale - WHAT?");
    EXPECT_EQ(AsChars(dlg.m_report.Line(0)), "<no data>");
}

TEST_F(FindFirstFileTest, AFoundCommandLineFileIsOpenedAndNamedInTheTitle) {
    HeadlessPlatform platform;
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.OnOpenCommandLine(dir + "/zo?k.cas");
    EXPECT_FALSE(platform.exitStatus);
    EXPECT_EQ(dlg.m_path, dir + "/zork.cas");
    EXPECT_EQ(AsChars(platform.Title()), "Tonvale 2 - zork.cas");
}

} // namespace
} // namespace tonvale
