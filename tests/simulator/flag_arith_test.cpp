#include <gtest/gtest.h>

#include "simulator/flag_arith.h"

namespace {

// Reference model from the MCS-51 definitions: signed overflow of the
// two's-complement result, carry and borrow out of bits 3 and 7.
AluResult ModelAdd(int x, int y, int c)
{
    const int sum = x + y + c;
    const int signedSum = static_cast<int8_t>(x) + static_cast<int8_t>(y) + c;
    return {static_cast<uint8_t>(sum), sum > 255, (x & 15) + (y & 15) + c > 15,
            signedSum < -128 || signedSum > 127};
}

AluResult ModelSubb(int x, int y, int c)
{
    const int diff = x - y - c;
    const int signedDiff = static_cast<int8_t>(x) - static_cast<int8_t>(y) - c;
    return {static_cast<uint8_t>(diff), diff < 0, (x & 15) - (y & 15) - c < 0,
            signedDiff < -128 || signedDiff > 127};
}

// DA A as the instruction set manual words it: add 06h, then 60h, with the
// carry only ever set.
DecimalAdjustResult ModelDa(int a, bool cy, bool ac)
{
    if ((a & 15) > 9 || ac) {
        a += 6;
        cy = cy || a > 255;
        a &= 255;
    }
    if ((a >> 4) > 9 || cy) {
        a += 0x60;
        cy = cy || a > 255;
        a &= 255;
    }
    return {static_cast<uint8_t>(a), cy};
}

TEST(FlagArithTest, AddAndSubbMatchTheModelForEveryInput)
{
    struct Operation
    {
        const char* sign;
        AluResult (*got)(uint8_t, uint8_t, bool);
        AluResult (*want)(int, int, int);
    };
    for (const Operation& op : {Operation{"+", Add8, ModelAdd}, Operation{"-", Subb8, ModelSubb}}) {
        int mismatches = 0;
        for (int input = 0; input < 256 * 256 * 2 && mismatches <= 5; ++input) {
            const int x = input >> 9;
            const int y = (input >> 1) & 255;
            const int c = input & 1;
            const AluResult got = op.got(x, y, c);
            const AluResult want = op.want(x, y, c);
            if (got.value != want.value || got.cy != want.cy || got.ac != want.ac ||
                got.ov != want.ov) {
                ADD_FAILURE() << x << op.sign << y << op.sign << c;
                ++mismatches;
            }
        }
    }
}

TEST(FlagArithTest, DecimalAdjustMatchesTheModelForEveryInput)
{
    for (int a = 0; a < 256; ++a) {
        for (int flags = 0; flags < 4; ++flags) {
            const bool cy = flags & 1;
            const bool ac = flags & 2;
            const DecimalAdjustResult got = DecimalAdjust(a, cy, ac);
            const DecimalAdjustResult want = ModelDa(a, cy, ac);
            ASSERT_EQ(got.value, want.value) << a << " cy " << cy << " ac " << ac;
            ASSERT_EQ(got.cy, want.cy) << a << " cy " << cy << " ac " << ac;
        }
    }
}

TEST(FlagArithTest, DecimalAdjustGivesTheBcdSumOfEveryBcdPair)
{
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < 100; ++y) {
            const int bx = (x / 10) << 4 | x % 10;
            const int by = (y / 10) << 4 | y % 10;
            const AluResult sum = Add8(bx, by, false);
            const DecimalAdjustResult bcd = DecimalAdjust(sum.value, sum.cy, sum.ac);
            const int total = x + y;
            ASSERT_EQ(bcd.value, ((total % 100) / 10) << 4 | total % 10) << x << "+" << y;
            ASSERT_EQ(bcd.cy, total >= 100) << x << "+" << y;
        }
    }
}

TEST(FlagArithTest, WorkedExamples)
{
    const AluResult sub = Subb8(0x10, 0x01, false);
    EXPECT_EQ(sub.value, 0x0F);
    EXPECT_TRUE(sub.ac);
    EXPECT_FALSE(sub.cy);
    EXPECT_FALSE(sub.ov);
    EXPECT_FALSE(Subb8(0x10, 0x10, false).ac);

    const AluResult add = Add8(0x01, 0x7F, false);
    EXPECT_EQ(add.value, 0x80);
    EXPECT_TRUE(add.ov);
    EXPECT_FALSE(add.cy);
    EXPECT_TRUE(add.ac);

    const DecimalAdjustResult da = DecimalAdjust(0x9A, false, false);
    EXPECT_EQ(da.value, 0x00);
    EXPECT_TRUE(da.cy);
}

} // namespace
