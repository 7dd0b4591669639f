#include <gtest/gtest.h>

#include "common/text_util.h"

TEST(ParseDecimalTest, TakesOnlyAWholeNumberInItsRange)
{
    long long value = -1;
    EXPECT_TRUE(ParseDecimal("50", 50, 4000000, value));
    EXPECT_EQ(value, 50);
    EXPECT_TRUE(ParseDecimal("4000000", 50, 4000000, value));
    EXPECT_EQ(value, 4000000);

    for (const char* text : {"49", "4000001", "", "12x", "0x40", "-60", "99999999999999999999"}) {
        value = -1;
        EXPECT_FALSE(ParseDecimal(text, 50, 4000000, value)) << text;
        EXPECT_EQ(value, -1) << text;
    }
}
