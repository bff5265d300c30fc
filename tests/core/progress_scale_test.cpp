#include "tarnvel/progress_scale.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tarnvel {
namespace {

// What the bar is given at the edges of each shift: the integers the control
// receives are the steps times 128, and a cut always ends back on 128.
TEST(ProgressScale, ContractAtTheEdgesOfEachShift) {
    struct Case {
        std::int32_t blocks;
        std::int16_t shift;
        double upperSteps;
        std::int32_t lastStep;
        std::int32_t barUpper;
        std::int32_t barLast;
    };
    const Case cases[] = {
        {2, 0, 2, 2, 256, 256},
        {32767, 0, 32767, 32767, 4194176, 4194176},
        {32768, 1, 16384, 16384, 2097152, 2097152},
        {65535, 2, 16383.75, 16383, 2097120, 2097024},
        {2147483, 7, 16777.2109375, 16777, 2147483, 2147456},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.blocks << " blocks");
        const double value = c.blocks;
        const std::int16_t shift = progressScaleFor(value);
        EXPECT_EQ(shift, c.shift);
        EXPECT_EQ(progressUpperBoundFor(value), c.upperSteps);
        EXPECT_EQ(progressPositionFor(1, shift), 1);
        EXPECT_EQ(progressPositionFor(c.blocks, shift), c.lastStep);

        EXPECT_EQ(progressBarUpperFor(value), c.barUpper);
        EXPECT_LE(progressBarUpperFor(value), kMaxProgressSteps * kProgressFixedPoint);
        EXPECT_EQ(progressBarPositionFor(1, shift), kProgressBarLowest);
        EXPECT_EQ(progressBarPositionFor(c.blocks, shift), c.barLast);
        EXPECT_LE(progressBarPositionFor(c.blocks, shift), progressBarUpperFor(value));
        // The step before the last still shows apart from it, or the bar stood still.
        if (c.shift == 0) {
            EXPECT_LT(progressBarPositionFor(c.blocks - 1, shift), c.barLast);
        }
    }
    EXPECT_EQ(kProgressBarLowest, 128);
    EXPECT_EQ(kProgressBarIdleUpper, 12800);
}

}  // namespace
}  // namespace tarnvel
