#include "tarnvel/chunk_sizing.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

namespace tarnvel {

namespace {

double nanosecondsIn(std::chrono::nanoseconds time) { return static_cast<double>(time.count()); }

}  // namespace

std::chrono::nanoseconds ChunkSizer::readTime() const {
    const auto roundTrips = std::chrono::nanoseconds(static_cast<std::int64_t>(kRoundTripsPerRead * roundTrip_));
    if (roundTrips > kFrame) return std::min<std::chrono::nanoseconds>(roundTrips, kLongestRead);
    return std::max<std::chrono::nanoseconds>(kFrame - eventsTime_, kFrame / 2);
}

void ChunkSizer::took(std::int32_t blocks, std::chrono::nanoseconds time, bool /*pended*/) {
    const Read read{static_cast<double>(blocks), nanosecondsIn(time)};
    // A read far from what the last ones foretold means the drive has changed
    // pace, and they say nothing of it any more. Reads that were all round
    // trip foretell nothing of a longer one.
    if (nanosPerBlock_ > 0) {
        const double foretold = roundTrip_ + read.blocks * nanosPerBlock_;
        if (read.nanoseconds > 2 * foretold || read.nanoseconds < foretold / 2) recentCount_ = 0;
    }
    remember(read);
    fitRoundTrip();
    const double streaming = read.nanoseconds - roundTrip_;
    nanosPerBlock_ = streaming > 0 ? streaming / read.blocks : 0;

    // At most twice the chunk, since reads served from a cache look faster
    // than the drive is; four times while the round trip is most of a read,
    // since growing then costs little time and each read a round trip.
    const double growth = 2 * roundTrip_ > read.nanoseconds ? 4 : 2;
    double next = growth * blocks_;
    const double streamingTime = nanosecondsIn(readTime()) - roundTrip_;
    if (streamingTime <= 0)
        next = kFewestBlocks;
    else if (nanosPerBlock_ > 0)
        next = std::min(next, streamingTime / nanosPerBlock_);
    blocks_ = static_cast<std::int32_t>(
        std::clamp(std::floor(next), static_cast<double>(kFewestBlocks), static_cast<double>(kMostBlocks)));
}

void ChunkSizer::remember(Read read) {
    if (recentCount_ == kRecentReads) {
        std::move(recent_.begin() + 1, recent_.end(), recent_.begin());
        --recentCount_;
    }
    recent_[recentCount_++] = read;
}

// The time of a read against its blocks is a line whose height at zero blocks
// is the round trip. Only reads of sizes far apart tell it despite the jitter
// of a busy machine, which holds a read up now and then. A lone one-block read
// is taken as nearly all round trip, and the round trip is never more than
// the quickest read.
void ChunkSizer::fitRoundTrip() {
    const auto reads = std::span<const Read>(recent_.data(), recentCount_);
    double quickest = reads[0].nanoseconds;
    for (const Read& r : reads) quickest = std::min(quickest, r.nanoseconds);
    double fitted = roundTrip_ < 0 ? quickest : roundTrip_;
    if (const auto line = lineThrough(reads)) fitted = *line;
    roundTrip_ = std::clamp(fitted, 0.0, quickest);
}

// The least-squares line's height at zero blocks, where the sizes are far enough apart.
std::optional<double> ChunkSizer::lineThrough(std::span<const Read> reads) {
    if (reads.size() < 2) return std::nullopt;
    double fewest = reads[0].blocks, most = reads[0].blocks, meanBlocks = 0, meanTime = 0;
    for (const Read& r : reads) {
        fewest = std::min(fewest, r.blocks);
        most = std::max(most, r.blocks);
        meanBlocks += r.blocks / static_cast<double>(reads.size());
        meanTime += r.nanoseconds / static_cast<double>(reads.size());
    }
    if (most < kSizesApart * fewest) return std::nullopt;
    double spread = 0, together = 0;
    for (const Read& r : reads) {
        spread += (r.blocks - meanBlocks) * (r.blocks - meanBlocks);
        together += (r.blocks - meanBlocks) * (r.nanoseconds - meanTime);
    }
    const double perBlock = std::max(0.0, together / spread);
    return meanTime - perBlock * meanBlocks;
}

}  // namespace tarnvel
