// What only Windows has: drive letters and "\" in paths, names that ignore case, names beyond
// the ANSI code page, text-mode line ends and Ctrl-Z, and one command line for all arguments.
#include "app/CommandLine.h"
#include "app/ProposedName.h"
#include "app/SafeFile.h"
#include "builder/TestFiles.h"
#include "cli/Startup.h"
#include "tape/TapeImage.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tonvale {
namespace {

TEST(WindowsPaths, DriveLettersAndBackslashes) {
    const struct {
        const char *path, *folder, *proposed;
    } cases[] = {
        {"C:\\TAPES\\GAME.CAS", "C:\\TAPES\\", "C:\\TAPES\\GAME.wav"},
        {"C:game.cas", "C:", "C:game.wav"},
        {"\\\\server\\share\\x.cas", "\\\\server\\share\\", "\\\\server\\share\\x.wav"},
        {"1:x.cas", "", "1:x.wav"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(std::string(FolderPart(c.path)) + std::string(FileNamePart(c.path)), c.path);
        EXPECT_EQ(ProposedName(c.path, ".wav"), c.proposed);
    }
    EXPECT_TRUE(MatchesWildcard("*.cas", "GAME.CAS"));
    EXPECT_TRUE(MatchesWildcard("G?ME.*", "game.cas"));
    EXPECT_FALSE(MatchesWildcard("*.cas", "game.ca"));
}

// Every byte as it is, whatever a text mode would make of CR, LF and Ctrl-Z (1Ah); names
// from outside the ANSI code page, found by wildcards in name order.
TEST(WindowsFiles, UnicodeNamesKeepEveryByte) {
    const std::string dir = test::TempDir("windows");
    const Bytes bytes = ToBytes("a\r\nb\nc\r\x1A\r\n\x1A"
                                "d");
    const std::string names[] = {"A.CAS", "b.cas", "\xC3\xA9\xCE\xBA\xE3\x83\x86.cas", "x.txt"};
    for (const std::string& name : names)
        ASSERT_EQ(SaveFile(dir + "\\" + name, bytes), SaveResult::Saved) << name;
    ASSERT_EQ(SaveFile(dir + "\\" + names[2], bytes), SaveResult::Saved); // over the old one
    const TapeImageFile read = ReadTapeImage(dir + "\\" + names[2]);
    EXPECT_EQ(read.outcome, TapeReadOutcome::Read);
    EXPECT_EQ(read.bytes, bytes);
    const std::vector<std::string> expected = {dir + "\\A.CAS", dir + "\\b.cas",
                                               dir + "\\" + names[2]};
    EXPECT_EQ(MatchingFiles(dir + "\\*.Cas"), expected);
    EXPECT_EQ(FindFirstFile(dir + "/?.cas"), dir + "/A.CAS");
}

// The arguments handed to tonvale-play come apart as they went in.
TEST(WindowsCommandLine, QuotedArgumentsSplitBackIntoTheSame) {
    const std::vector<std::string> arguments = {
        "tonvale-play.exe",
        "plain",
        "",
        "two words",
        "C:\\My Tapes\\",
        "a\"b",
        "a\\\"b",
        "end\\\\",
        "\t",
        "\xCE\xBA\xCE\xB1\xCF\x83\xCE\xAD\xCF\x84\xCE\xB1.cas"};
    std::string line;
    for (const std::string& argument : arguments)
        line += cli::QuoteArgument(argument) + " ";
    const std::wstring wide = std::filesystem::path(std::u8string(line.begin(), line.end()));
    EXPECT_EQ(cli::SplitCommandLine(wide.c_str()), arguments) << line;
}

} // namespace
} // namespace tonvale
