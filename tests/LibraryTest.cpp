// The pieces below the analysis, by tables: the sync search at every bit alignment and the
// realigned bytes behind it, the duration text, the scratch text, the report list, and the
// paths of the command line and the save dialogs.
#include "app/CommandLine.h"
#include "app/ProposedName.h"
#include "base/ReportList.h"
#include "base/TextBuffer.h"
#include "builder/Damage.h"
#include "builder/TestFiles.h"
#include "sound/WavImage.h"
#include "tape/FindSync.h"
#include "tape/TapeImage.h"
#include "tape/TapeImageWriter.h"
#include "tape/WorkBuffer.h"

#include <gtest/gtest.h>

namespace tonvale {
namespace {

using Tape = TapeImageWriter;

// Data whose bits would give a false leader if they were misread.
const Bytes kPayload = {0xD3, 0xD3, 0xD3, 0x41, 0x00, 0xFF, 0x80, 0x01, 0x55, 0xAA, 0x12};

TEST(SyncSearch, FindsEitherLeaderAtEveryShiftAndRealignsTheDataBehindIt) {
    for (int shift = 0; shift < 16; ++shift) {
        const bool highspeed = shift >= 8;
        const Bytes image = Tape()
                                .Bits(0, shift % 8)
                                .File(highspeed ? TapeFormat::Highspeed : TapeFormat::Level2,
                                      kPayload, highspeed ? 30 : 20)
                                .Image();
        const SyncResult sync = FindSync(image);
        ASSERT_EQ(sync.format, highspeed ? TapeFormat::Highspeed : TapeFormat::Level1or2);
        EXPECT_EQ(sync.shift, static_cast<std::uint32_t>(shift % 8));
        EXPECT_EQ(sync.dataPos * 8 + sync.shift, shift % 8 + (highspeed ? 31 : 21) * 8u);
        WorkBuffers buffers(image);
        std::uint64_t asked = 0;
        HighspeedTail tail;
        const auto data = highspeed ? buffers.Highspeed(sync.dataPos, sync.shift, tail, asked)
                                    : buffers.Level(sync.dataPos, sync.shift, asked);
        ASSERT_TRUE(data);
        EXPECT_EQ(Bytes(data->begin(), data->end()), kPayload) << shift;
    }
}

TEST(SyncSearch, NeedsSixteenLeaderBytesAndTheirSyncByte) {
    const std::pair<Bytes, TapeFormat> cases[] = {
        {Tape().Leader(16, 0x00).Byte8(0xA5).Byte8('x').Image(), TapeFormat::Level1or2},
        {Tape().Leader(15, 0x00).Byte8(0xA5).Byte8('x').Image(), TapeFormat::None},
        {Tape().Leader(16, 0x55).Byte8(0x7F).Byte8('x').Image(), TapeFormat::Highspeed},
        {Tape().Leader(5000, 0x00).Image(), TapeFormat::None},
        {Tape().Leader(5000, 0x55).Image(), TapeFormat::None},
        {Tape().Leader(20, 0x00).Byte8(0x7F).Leader(20, 0x55).Byte8(0xA5).Image(),
         TapeFormat::None},
        {{}, TapeFormat::None},
    };
    for (const auto& [image, format] : cases)
        EXPECT_EQ(FindSync(image).format, format);
    // A leader without its sync byte is passed over for the next one.
    const Bytes image = Tape().Leader(20, 0x00).Byte8(0x99).Leader(30, 0x55).Byte8(0x7F).Image();
    EXPECT_EQ(FindSync(image).format, TapeFormat::Highspeed);
    EXPECT_EQ(FindSync(image).dataPos, image.size());
    // At shift 7 the byte behind the run holds the last seven sync bits and the first start bit:
    // a start bit of 1 is no Highspeed data.
    Bytes shifted = Tape().Bits(0, 7).File(TapeFormat::Highspeed, Bytes{0x00}, 30).Image();
    const SyncResult sync = FindSync(shifted);
    ASSERT_EQ(sync.format, TapeFormat::Highspeed);
    shifted[sync.dataPos] |= 0x01;
    EXPECT_EQ(FindSync(shifted).format, TapeFormat::None);
}

TEST(WavImage, DurationIsRoundedToTheSecondAndInMinutesFrom49500Milliseconds) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "0 seconds"},
        {1500, "1 seconds"},
        {1501, "2 seconds"},
        {49499, "49 seconds"},
        {49500, "0 minutes and 49 seconds"},
        {59501, "1 minutes and 00 seconds"},
        {3723456, "62 minutes and 03 seconds"},
        {4294967295u, "71582 minutes and 47 seconds"},
    };
    TextBuffer text;
    for (const auto& [millis, shown] : cases) {
        FormatDuration(text, millis);
        EXPECT_EQ(text.Chars(), shown);
    }
}

TEST(TextBuffer, HoldsAt359CharactersAndEndsAtANulByte) {
    TextBuffer text;
    text.Set(std::string(300, 'a'));
    text.AppendFormat("{}", std::string(100, 'b'));
    EXPECT_EQ(text.Length(), 359u);
    EXPECT_EQ(text.Chars().back(), 'b');
    text.Format("{}", std::string(400, 'c'));
    EXPECT_EQ(text.Length(), 359u);
    text.Format("named '{}'", '\0');
    text.Append("more");
    EXPECT_EQ(text.Chars(), "named '");
    text.Set(text.View());
    text.Append("ok");
    EXPECT_EQ(text.Chars(), "named 'ok");
}

TEST(ReportList, KeepsEveryLineAcrossItsBlocksAndAfterAClear) {
    ReportList list;
    for (int round = 0; round < 2; ++round) {
        list.Clear();
        for (std::size_t i = 0; i < 40000; ++i)
            ASSERT_TRUE(list.Add(ToBytes(std::string(i % 97, char('a' + i % 26)))));
        ASSERT_EQ(list.Count(), 40000u);
        for (std::size_t i = 0; i < 40000; i += 7)
            ASSERT_EQ(AsChars(list.Line(i)), std::string(i % 97, char('a' + i % 26))) << i;
    }
}

TEST(Paths, ProposedNamesReplaceCasInAnyCaseElseAppend) {
    const std::pair<const char*, const char*> cases[] = {
        {"/t/GAME.CAS", "/t/GAME.wav"},
        {"/t/game.bin", "/t/game.bin.wav"},
        {"/t/x.cAs", "/t/x.wav"},
        {"/t/cas", "/t/cas.wav"},
        {"/t/a.cas.bak", "/t/a.cas.bak.wav"},
        {"", ".wav"},
    };
    for (const auto& [tape, proposed] : cases)
        EXPECT_EQ(ProposedName(tape, ".wav"), proposed);
    const std::string path = std::string(1, '/').append(300, 'a');
    const std::string folder = std::string(1, '/').append(253, 'a');
#if defined(_WIN32)
    // Cut before the extension to 259 characters, never inside a UTF-8 character.
    EXPECT_EQ(ProposedName(path, ".wav"), path.substr(0, kMaxPath - 4) + ".wav");
    EXPECT_EQ(ProposedName(folder + "\xC3\xA9"
                                    "bbbb.bin",
                           ".wav"),
              folder + ".wav");
#else
    EXPECT_EQ(ProposedName(path + ".cas", ".wav"), path + ".wav"); // the system limits paths
#endif
}

TEST(Paths, CommandLineArgumentsNamesAndWildcards) {
    EXPECT_EQ(FileNamePart("C:\\tapes\\game.cas"), "game.cas");
    EXPECT_EQ(FileNamePart("dir\\sub/game.cas"), "game.cas");
    EXPECT_EQ(FolderPart("dir\\sub/game.cas"), "dir\\sub/");
    EXPECT_TRUE(MatchesWildcard("g?me*", "game.cas"));
    EXPECT_TRUE(MatchesWildcard("*", ""));
    EXPECT_FALSE(MatchesWildcard("*.cas", "game.wav"));
    EXPECT_FALSE(MatchesWildcard("?", ""));
    EXPECT_FALSE(MatchesWildcard("*a*a*a*a*a*a*a*a*b", std::string(200, 'a')));

    const std::string dir = test::TempDir("paths");
    for (const char* name : {"zork.cas", "adventure.cas", "notes.txt"})
        test::WriteFile(dir + "/" + name, ToBytes("x"));
    EXPECT_EQ(FindFirstFile(dir + "/notes.txt"), dir + "/notes.txt");
    for (const std::string& missing :
         {dir + "/*.wav", dir + "/", std::string(), dir + "/" + std::string(300, 'a') + "*"})
        EXPECT_FALSE(FindFirstFile(missing)) << missing;
}

} // namespace
} // namespace tonvale
