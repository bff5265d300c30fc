#include <gtest/gtest.h>

#include <chrono>

#include "tarnvel/chunk_sizing.h"

namespace tarnvel {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// The edges of the rule after one read; how a whole cut follows a drive is the engine's table.
TEST(ChunkSizing, FitsTheMeasuredRateToAFrameAtMostDoubling) {
    struct Case {
        std::int32_t before;    // the sizer's chunk, reached by doubling from one block
        std::int32_t measured;  // blocks of the read that took `time`: fewer at the cut's end
        microseconds time;
        std::int32_t after;
    };
    const Case cases[] = {
        {1, 1, microseconds(0), 2},            // no time at all: doubled
        {64, 64, milliseconds(8), 128},        // half a frame: doubled
        {64, 64, milliseconds(12), 85},        // grown to what fits
        {64, 64, milliseconds(16), 64},        // a frame
        {64, 64, milliseconds(32), 32},        // two: halved
        {4096, 4096, milliseconds(1365), 48},  // 3 MB/s: down at once
        {4096, 100, milliseconds(20), 80},     // the cut's last read, fewer blocks
        {4096, 4096, milliseconds(1), 4096},   // never past the largest
        {1, 1, milliseconds(500), 1},          // never below one block
        {1, 1, milliseconds(30), 4},           // a lone block is nearly all round trip: four times
        {1, 1, milliseconds(300), 1},          // a round trip beyond the longest read: one block
    };
    for (const Case& c : cases) {
        ChunkSizer sizer;
        while (sizer.blocks() < c.before) sizer.took(sizer.blocks(), {});
        ASSERT_EQ(sizer.blocks(), c.before);
        sizer.took(c.measured, c.time);
        EXPECT_EQ(sizer.blocks(), c.after)
            << c.before << " blocks, " << c.measured << " in " << c.time.count() << " us";
    }
}

}  // namespace
}  // namespace tarnvel
