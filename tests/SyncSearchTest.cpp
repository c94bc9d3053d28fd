// Finding leaders and sync bytes at every bit alignment, and realigning the data behind them.
#include "builder/TapeBuilder.h"
#include "tape/FindSync.h"
#include "tape/WorkBuffer.h"

#include <gtest/gtest.h>

namespace tonvale {
namespace {

using test::TapeBuilder;

// Data behind the sync byte whose bits would give a false leader if they were misread.
const Bytes kPayload = {0xD3, 0xD3, 0xD3, 0x41, 0x00, 0xFF, 0x80, 0x01, 0x55, 0xAA, 0x12};

class SyncAtEveryShift : public ::testing::TestWithParam<int> {};

TEST_P(SyncAtEveryShift, FindsALevelLeaderAndRealignsItsData) {
    const int shift = GetParam();
    const Bytes image = TapeBuilder().Shift(shift).Level2File(kPayload, 20).Build();

    const SyncResult sync = FindSync(image);
    ASSERT_EQ(sync.format, TapeFormat::Level1or2);
    EXPECT_EQ(sync.shift, static_cast<std::uint32_t>(shift));
    // The first data bit sits in the byte after the 20 leader bytes and the sync byte.
    EXPECT_EQ(sync.dataPos * 8 + sync.shift, static_cast<std::size_t>(shift + 21 * 8));

    WorkBuffers buffers(image);
    std::uint64_t asked = 0;
    const auto data = buffers.Level(sync.dataPos, sync.shift, asked);
    ASSERT_TRUE(data);
    // A shifted image loses its incomplete last byte (the padding bits).
    EXPECT_EQ(Bytes(data->begin(), data->end()), kPayload);
}

TEST_P(SyncAtEveryShift, FindsAHighspeedLeaderAndUnpacksItsNineBitGroups) {
    const int shift = GetParam();
    const Bytes image = TapeBuilder().Shift(shift).HighspeedFile(kPayload, 30).Build();

    const SyncResult sync = FindSync(image);
    ASSERT_EQ(sync.format, TapeFormat::Highspeed);
    EXPECT_EQ(sync.shift, static_cast<std::uint32_t>(shift));
    EXPECT_EQ(sync.dataPos * 8 + sync.shift, static_cast<std::size_t>(shift + 31 * 8));

    WorkBuffers buffers(image);
    HighspeedTail tail;
    std::uint64_t asked = 0;
    const auto data = buffers.Highspeed(sync.dataPos, sync.shift, tail, asked);
    ASSERT_TRUE(data);
    EXPECT_EQ(Bytes(data->begin(), data->end()), kPayload);
}

INSTANTIATE_TEST_SUITE_P(Shifts, SyncAtEveryShift, ::testing::Range(0, 8));

TEST(SyncSearch, NeedsSixteenLeaderBytes) {
    EXPECT_EQ(FindSync(TapeBuilder().Leader(16).Sync(0xA5).Data("x").Build()).format,
              TapeFormat::Level1or2);
    EXPECT_EQ(FindSync(TapeBuilder().Leader(15).Sync(0xA5).Data("x").Build()).format,
              TapeFormat::None);
}

TEST(SyncSearch, FindsNothingInALeaderThatRunsToTheEnd) {
    EXPECT_EQ(FindSync(TapeBuilder().Leader(5000).Build()).format, TapeFormat::None);
    EXPECT_EQ(FindSync(TapeBuilder().Leader(5000, 0x55).Build()).format, TapeFormat::None);
    EXPECT_EQ(FindSync(Bytes{}).format, TapeFormat::None);
}

TEST(SyncSearch, PassesOverALeaderWithoutItsSyncByte) {
    const Bytes image =
        TapeBuilder().Leader(20).Data(Bytes{0x99}).Leader(30, 0x55).Sync(0x7F).Build();
    const SyncResult sync = FindSync(image);
    EXPECT_EQ(sync.format, TapeFormat::Highspeed);
    EXPECT_EQ(sync.shift, 0u);
    EXPECT_EQ(sync.dataPos, image.size());
}

TEST(SyncSearch, RefusesAHighspeedSyncFollowedByAOneBitAtShiftSeven) {
    // At shift 7 the byte after the run holds the last seven sync bits and the first start
    // bit; a start bit of 1 is no Highspeed data.
    Bytes image = TapeBuilder().Shift(7).HighspeedFile(Bytes{0x00}, 30).Build();
    const SyncResult good = FindSync(image);
    ASSERT_EQ(good.format, TapeFormat::Highspeed);
    ASSERT_EQ(image[good.dataPos], 0xFE);
    image[good.dataPos] = 0xFF;
    EXPECT_EQ(FindSync(image).format, TapeFormat::None);
}

TEST(SyncSearch, TakesTheEarliestOfTwoTapeFiles) {
    const Bytes image =
        TapeBuilder().Level2File(ToBytes("first"), 20).HighspeedFile(ToBytes("second")).Build();
    const SyncResult sync = FindSync(image);
    EXPECT_EQ(sync.format, TapeFormat::Level1or2);
    EXPECT_EQ(sync.dataPos, 21u);
}

TEST(HighspeedTail, RecordsTheBitsOfAnIncompleteLastByte) {
    // Four bits beyond the last whole group: a start bit and three data bits 101. Four groups
    // make the 21 plain bytes, 36 bits and these 4 end on a byte boundary.
    const Bytes image = TapeBuilder().HighspeedFile(ToBytes("ABCD"), 20).Bits(0b0101, 4).Build();
    ASSERT_EQ(image.size(), 26u);
    const SyncResult sync = FindSync(image);
    WorkBuffers buffers(image);
    HighspeedTail tail;
    std::uint64_t asked = 0;
    const auto data = buffers.Highspeed(sync.dataPos, sync.shift, tail, asked);
    ASSERT_TRUE(data);
    EXPECT_EQ(AsChars(*data), "ABCD");
    EXPECT_EQ(tail.bitsShort, 5u);
    EXPECT_EQ(tail.lastBits, 0b1010'0000);
}

TEST(HighspeedTail, IsEmptyWhenTheGroupsEndOnTheImageEnd) {
    // 21 plain bytes and 8 groups of 9 bits: 168 + 72 = 240 bits, 30 whole bytes.
    const Bytes image = TapeBuilder().HighspeedFile(ToBytes("12345678"), 20).Build();
    ASSERT_EQ(image.size(), 30u);
    const SyncResult sync = FindSync(image);
    WorkBuffers buffers(image);
    HighspeedTail tail{7, 0xFF};
    std::uint64_t asked = 0;
    const auto data = buffers.Highspeed(sync.dataPos, sync.shift, tail, asked);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 8u);
    EXPECT_EQ(tail.bitsShort, 0u);
}

TEST(WorkBuffers, GiveLaterTapeFilesOfTheSameAlignmentTheSameBytesAsAFreshRealignment) {
    // Three tape files at shift 5: the later ones are views into the first one's buffer.
    const Bytes image = TapeBuilder()
                            .Shift(5)
                            .Level2File(ToBytes("one"), 20)
                            .Level2File(ToBytes("two"), 20)
                            .Level2File(ToBytes("three"), 20)
                            .Build();
    WorkBuffers shared(image);
    std::size_t from = 0;
    for (int file = 0; file < 3; ++file) {
        SyncResult sync = FindSync(ByteView(image).subspan(from));
        ASSERT_EQ(sync.format, TapeFormat::Level1or2);
        sync.dataPos += from;
        std::uint64_t asked = 0;
        const auto viaShared = shared.Level(sync.dataPos, sync.shift, asked);
        WorkBuffers fresh(image);
        const auto viaFresh = fresh.Level(sync.dataPos, sync.shift, asked);
        ASSERT_TRUE(viaShared && viaFresh);
        EXPECT_EQ(Bytes(viaShared->begin(), viaShared->end()),
                  Bytes(viaFresh->begin(), viaFresh->end()));
        from = sync.dataPos + 1;
    }
}

} // namespace
} // namespace tonvale
