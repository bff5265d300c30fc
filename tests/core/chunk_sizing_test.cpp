#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
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
        bool pended = false;
    };
    const Case cases[] = {
        {1, 1, microseconds(0), 2},            // no time at all: doubled
        {64, 64, milliseconds(8), 128},        // half a frame: doubled
        {64, 64, milliseconds(12), 85},        // grown to what fits
        {64, 64, milliseconds(16), 64},        // a frame
        {64, 64, milliseconds(32), 32},        // two: halved
        {4096, 4096, milliseconds(1365), 48},  // 3 MB/s: down at once
        {4096, 100, milliseconds(20), 80},     // the cut's last read, fewer blocks
        {4096, 4096, milliseconds(1),
         ChunkSizer::kMostBlocksFromMemory},        // what a slow drive behind a cache reads in time
        {64, 64, microseconds(0), 256, true},       // it pended: four times
        {64, 64, milliseconds(8), 128, true},       // ...at most what a frame inside the calls holds
        {4096, 4096, microseconds(0), 4096, true},  // never past the largest
        {1, 1, milliseconds(500), 1},               // never below one block
        {1, 1, milliseconds(30), 4},                // a lone block is nearly all round trip: four times
        {1, 1, milliseconds(300), 1},               // a round trip beyond the longest read: one block
    };
    for (const Case& c : cases) {
        ChunkSizer sizer;
        // Reads that pended grow the chunk and tell the sizer nothing of the drive.
        while (sizer.blocks() < c.before) sizer.took(sizer.blocks(), {}, true);
        ASSERT_EQ(sizer.blocks(), c.before);
        sizer.took(c.measured, c.time, c.pended);
        EXPECT_EQ(sizer.blocks(), c.after) << c.before << " blocks, " << c.measured << " in " << c.time.count() << " us"
                                           << (c.pended ? ", pended" : "");
    }

    // A pass of the window's events that took 4 ms leaves a read 12 ms of the frame.
    ChunkSizer sharing;
    while (sharing.blocks() < 64) sharing.took(sharing.blocks(), {}, true);
    sharing.eventsTook(milliseconds(4));
    sharing.took(64, milliseconds(8));
    EXPECT_EQ(sharing.blocks(), 96);

    // The round trip as the reads so far tell it, in whole milliseconds.
    struct Read {
        std::int32_t blocks;
        microseconds time;
        bool pended = false;
    };
    struct Reads {
        const char* drive;
        std::vector<Read> reads;
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
        {"a read that pended says nothing of the drive",
         {{1, microseconds(20100)}, {4, microseconds(20400)}, {64, microseconds(100), true}, {16, microseconds(21600)}},
         20},
        // Left at no round trip, the chunk would stay at one block for good.
        {"a share 50 ms away behind the file's cached first bytes",
         {{1, {}}, {4, {}}, {16, {}}, {64, {}}, {1, milliseconds(50)}, {1, milliseconds(50)}},
         50},
        {"a client's read-ahead spares every other round trip",
         {{1, microseconds(100)},
          {4, microseconds(30400)},
          {16, microseconds(1600)},
          {64, microseconds(36400)},
          {256, microseconds(25600)},
          {1024, microseconds(132400)}},
         30},
    };
    for (const Reads& t : told) {
        ChunkSizer sizer;
        for (const Read& r : t.reads) sizer.took(r.blocks, r.time, r.pended);
        EXPECT_EQ(std::lround(std::chrono::duration<double, std::milli>(sizer.roundTrip()).count()), t.roundTripMs)
            << t.drive;
    }
}

// A drive as a cut meets it: each read pays a round trip, unless a client's
// read-ahead spared it, and then its bytes at the drive's rate; reads of the
// file's first bytes, still in the cache from an earlier cut, cost nothing.
struct ModelDrive {
    double roundTripMs;
    double bytesPerSecond;
    std::int64_t cachedBytes = 0;
    double jitterMs = 0;   // each round trip varies by up to this much either way
    int spared = -1;       // read-ahead spares the round trip of every other read, from read 0 or 1
    double heldShare = 0;  // of the reads a busy machine holds up 5 to 35 ms
    unsigned seed = 1;

    std::string name() const {
        char text[200];
        std::snprintf(text, sizeof text,
                      "%.0f ms away at %.0f MB/s, %lld KB cached, jitter %.0f ms, spared %d, %.0f %% held, seed %u",
                      roundTripMs, bytesPerSecond / 1e6, static_cast<long long>(cachedBytes / 1000), jitterMs, spared,
                      100 * heldShare, seed);
        return text;
    }
};

struct SimulatedCut {
    double shareOf4MBReads;  // of the pace that 4,096,000-byte reads would get from the drive
    double longestMs;        // the window's longest wait after the first two reads, not counting those held up
    double settledMs;        // ...from the second read past the cached bytes on
    double beyondAFrame;     // the share of those reads that held the window 20 ms or more
};

SimulatedCut simulate(const ModelDrive& drive, std::int64_t bytes) {
    ChunkSizer sizer;
    std::mt19937 random(drive.seed);
    std::uniform_real_distribution<double> jitter(-drive.jitterMs, drive.jitterMs), unit(0, 1);
    double seconds = 0, longestMs = 0, settledMs = 0, reads = 0, beyond = 0;
    int pastCache = 0;
    for (std::int64_t at = 0, read = 0; at < bytes; ++read) {
        const std::int64_t n = std::min<std::int64_t>(std::int64_t{sizer.blocks()} * 1000, bytes - at);
        double ms = 0;
        if (at + n > drive.cachedBytes) {
            if (read % 2 != drive.spared) ms += std::max(0.0, drive.roundTripMs + jitter(random));
            ms += static_cast<double>(at + n - std::max(at, drive.cachedBytes)) / drive.bytesPerSecond * 1000;
            ++pastCache;
        }
        const bool held = unit(random) < drive.heldShare;
        if (read >= 2 && !held) {
            longestMs = std::max(longestMs, ms);
            ++reads;
            beyond += ms >= 20 ? 1 : 0;
        }
        if (pastCache >= 3) settledMs = std::max(settledMs, ms);
        if (held) ms += 5 + 30 * unit(random);
        sizer.took(static_cast<std::int32_t>(n / 1000), std::chrono::nanoseconds(std::llround(ms * 1e6)));
        seconds += ms / 1000;
        at += n;
    }
    const std::int64_t uncached = bytes - std::min(bytes, drive.cachedBytes);
    const double in4MBReads = std::ceil(static_cast<double>(uncached) / 4'096'000) * drive.roundTripMs / 1000 +
                              static_cast<double>(uncached) / drive.bytesPerSecond;
    return {in4MBReads / seconds, longestMs, settledMs, beyond / reads};
}

// Each round trip at 10, 15 and 20 MB/s, in every variant `vary` adds of it.
template <typename Vary>
std::vector<ModelDrive> drivesAt(std::vector<double> roundTripsMs, Vary vary) {
    std::vector<ModelDrive> drives;
    for (const double roundTrip : roundTripsMs)
        for (const double rate : {10e6, 15e6, 20e6}) vary(ModelDrive{roundTrip, rate}, drives);
    return drives;
}

// Whole cuts from drives whose timings would mislead a sizer: the round trip
// alone, behind cached first bytes of every size, varying from read to read,
// spared by read-ahead, a cache that runs out onto a slow drive, and reads
// held up now and then on a busy machine.
TEST(ChunkSizing, KeepsThePaceOf4MBReadsAndTheWindowsWaitOnDrivesThatMisleadTheTimings) {
    using std::chrono::milliseconds;
    const auto alone = [](ModelDrive d, std::vector<ModelDrive>& out) { out.push_back(d); };
    const auto cached = [](ModelDrive d, std::vector<ModelDrive>& out) {
        for (d.cachedBytes = 0; d.cachedBytes <= 200'000; d.cachedBytes += 1000) out.push_back(d);
    };
    const auto seeds = [](ModelDrive d, std::vector<ModelDrive>& out) {
        for (d.seed = 1; d.seed <= 500; ++d.seed) out.push_back(d);
    };
    const auto readAhead = [](ModelDrive d, std::vector<ModelDrive>& out) {
        for (d.spared = 0; d.spared <= 1; ++d.spared) out.push_back(d);
    };
    const auto jittered = [&](ModelDrive d, std::vector<ModelDrive>& out) {
        d.jitterMs = 15;
        seeds(d, out);
    };
    std::vector<ModelDrive> busy;
    for (const double rate : {3e6, 40e6}) seeds(ModelDrive{0, rate, 0, 0, -1, 0.05}, busy);

    struct Row {
        const char* drive;
        std::vector<ModelDrive> drives;                   // a 30 MB cut from each
        double leastShare = 0;                            // of the pace of 4 MB reads, in every cut
        double leastShareOf95 = 0;                        // ...in 95 cuts of 100
        milliseconds longest = ChunkSizer::kLongestRead;  // 0: four round trips, a frame at least
        milliseconds settled{};                           // 0: not asked
        double mostBeyondAFrame = 1;
    };
    const Row rows[] = {
        {.drive = "a far share", .drives = drivesAt({8, 20, 50}, alone), .leastShare = 0.75, .longest = {}},
        // Four round trips would be 400 ms; 250 ms holds 1.5 MB after one.
        {.drive = "a share 100 ms away", .drives = drivesAt({100}, alone), .leastShare = 0.67, .longest = {}},
        {.drive = "a far share behind its first 0 to 200 KB cached",
         .drives = drivesAt({8, 20, 50}, cached),
         .leastShare = 0.70},
        // At most a round trip's reads more than with nothing cached.
        {.drive = "a share 100 ms away behind its first 0 to 200 KB cached",
         .drives = drivesAt({100}, cached),
         .leastShare = 0.65},
        {.drive = "a share 20 ms away, each round trip 5 to 35 ms",
         .drives = drivesAt({20}, jittered),
         .leastShareOf95 = 0.60},
        {.drive = "a share 30 ms away whose read-ahead spares every other round trip",
         .drives = drivesAt({30}, readAhead),
         .leastShare = 0.60},
        {.drive = "the first 20 MB cached, then a USB 2.0 disk",
         .drives = {{2, 3e6, 20'000'000}},
         .leastShare = 0.85,
         .settled = milliseconds(17)},
        {.drive = "a USB 2.0 disk behind a 2 ms round trip",
         .drives = {{2, 3e6}},
         .leastShare = 0.85,
         .longest = kFrame},
        // Two or three held up in a row look like a far drive for a few reads.
        {.drive = "a USB 2.0 disk or a 40 MB/s one on a machine that holds up one read in twenty",
         .drives = busy,
         .mostBeyondAFrame = 0.002},
    };
    for (const Row& row : rows) {
        std::vector<double> shares;
        double longest = 0, settledMs = 0, beyondAFrame = 0;
        const ModelDrive *poorest = nullptr, *slowest = nullptr;
        for (const ModelDrive& drive : row.drives) {
            const SimulatedCut cut = simulate(drive, 30'000'000);
            const double allowedMs =
                row.longest.count() > 0
                    ? static_cast<double>(row.longest.count())
                    : std::clamp(4 * drive.roundTripMs, 16.0, static_cast<double>(ChunkSizer::kLongestRead.count()));
            if (!poorest || cut.shareOf4MBReads < *std::min_element(shares.begin(), shares.end())) poorest = &drive;
            shares.push_back(cut.shareOf4MBReads);
            if (!slowest || cut.longestMs / allowedMs > longest) slowest = &drive;
            longest = std::max(longest, cut.longestMs / allowedMs);
            settledMs = std::max(settledMs, cut.settledMs);
            beyondAFrame += cut.beyondAFrame / static_cast<double>(row.drives.size());
        }
        std::sort(shares.begin(), shares.end());
        const double worst = shares.front(), fifth = shares[shares.size() / 20];
        std::printf(
            "%s: %zu cuts, worst %.1f %%, 5th percentile %.1f %% of the pace of 4 MB reads; longest wait %.2f "
            "of its bound",
            row.drive, shares.size(), 100 * worst, 100 * fifth, longest);
        if (row.mostBeyondAFrame < 1) std::printf("; %.3f %% of reads 20 ms or more", 100 * beyondAFrame);
        std::printf("\n");
        EXPECT_GE(worst, row.leastShare) << row.drive << "; the poorest: " << poorest->name();
        EXPECT_GE(fifth, row.leastShareOf95) << row.drive;
        EXPECT_LE(longest, 1.001) << row.drive << "; the longest wait: " << slowest->name();
        EXPECT_LE(beyondAFrame, row.mostBeyondAFrame) << row.drive;
        if (row.settled.count() > 0) {
            EXPECT_LE(settledMs, static_cast<double>(row.settled.count())) << row.drive;
        }
    }
}

}  // namespace
}  // namespace tarnvel
