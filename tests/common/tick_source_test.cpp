#include <gtest/gtest.h>

#include "common/tick_source.h"

// A clock that jumps backwards once, as a wrapped or reset counter would.
class CSteppingClock : public ITickSource
{
public:
    uint32_t TickMs() override { return now_; }
    void SpinOnce() override
    {
        ++spins;
        now_ = spins == 3 ? now_ - 1000 : now_ + 2;
    }
    int spins = 0;

private:
    uint32_t now_ = 5000;
};

TEST(TickSourceTest, DelayMsWaitsExactlyOnTheFakeClock)
{
    CFakeTickSource clock(0xFFFFFF00u); // the wait crosses the counter's wrap
    DelayMs(clock, 250);
    EXPECT_EQ(clock.TickMs(), 0xFFFFFF00u + 250u);
    EXPECT_EQ(clock.SpunMs(), 250u);
    DelayMs(clock, 0);
    EXPECT_EQ(clock.SpunMs(), 250u);
}

TEST(TickSourceTest, DelayMsIgnoresAStepBackwards)
{
    CSteppingClock clock;
    DelayMs(clock, 10);
    // Five forward steps of 2 ms; the backward jump neither counts nor stretches.
    EXPECT_EQ(clock.spins, 6);
    EXPECT_EQ(clock.TickMs(), 4010u);
}
