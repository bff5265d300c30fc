#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <utility>
#include <vector>

#include "tarnvel/chunk_sizing.h"

namespace tarnvel {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// The edges of the rule after one read; how a whole cut follows a drive is the engine's table.
TEST(ChunkSizing, FitsTheRateToTheReadTimeAndTellsTheRoundTripApart) {
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

    // A pass of the window's events that took 4 ms leaves a read 12 ms of the frame.
    ChunkSizer sharing;
    while (sharing.blocks() < 64) sharing.took(sharing.blocks(), {});
    sharing.eventsTook(milliseconds(4));
    sharing.took(64, milliseconds(8));
    EXPECT_EQ(sharing.blocks(), 96);

    // The round trip as the reads so far tell it, in whole milliseconds.
    struct Reads {
        const char* drive;
        std::vector<std::pair<std::int32_t, microseconds>> reads;
        long roundTripMs;
    };
    const Reads told[] = {
        {"a share 20 ms away", {{1, microseconds(20100)}, {4, microseconds(20400)}, {16, microseconds(21600)}}, 20},
        // A 3 MB/s drive on a busy machine, as measured under Wine.
        {"a read held up on a drive with no round trip",
         {{1, microseconds(400)},
          {4, microseconds(1400)},
          {16, microseconds(5400)},
          {32, microseconds(10800)},
          {47, microseconds(15800)},
          {47, microseconds(15800)},
          {39, microseconds(37500)},
          {16, microseconds(9500)},
          {26, microseconds(8800)},
          {47, microseconds(15800)},
          {62, microseconds(20900)}},
         0},
        {"a lone read", {{1, microseconds(8070)}}, 8},
    };
    for (const Reads& t : told) {
        ChunkSizer sizer;
        for (const auto& [blocks, time] : t.reads) sizer.took(blocks, time);
        EXPECT_EQ(std::lround(std::chrono::duration<double, std::milli>(sizer.roundTrip()).count()), t.roundTripMs)
            << t.drive;
    }
}

}  // namespace
}  // namespace tarnvel
