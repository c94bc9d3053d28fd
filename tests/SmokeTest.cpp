#include "builder/TapeBuilder.h"

#include <gtest/gtest.h>

TEST(Smoke, BuilderPacksBitsMostSignificantFirst) {
    using tonvale::test::TapeBuilder;
    EXPECT_EQ(TapeBuilder().Bits(1, 1).Build(), tonvale::Bytes{0x80});
}
