#include "tarnvel/chunk_sizing.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace tarnvel {

namespace {

double nanosecondsIn(std::chrono::nanoseconds time) { return static_cast<double>(time.count()); }

}  // namespace

std::chrono::nanoseconds ChunkSizer::readTime() const {
    const auto roundTrips = std::chrono::nanoseconds(static_cast<std::int64_t>(kRoundTripsPerRead * roundTrip_));
    return std::clamp<std::chrono::nanoseconds>(roundTrips, kFrame, kLongestRead);
}

void ChunkSizer::took(std::int32_t blocks, std::chrono::nanoseconds time) {
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
// is the round trip. Reads of one size tell nothing of it, and a lone
// one-block read is taken as nearly all round trip; it is never more than
// the quickest read.
void ChunkSizer::fitRoundTrip() {
    const auto reads = std::span(recent_.data(), recentCount_);
    double fewest = reads[0].blocks, most = reads[0].blocks, quickest = reads[0].nanoseconds;
    double meanBlocks = 0, meanTime = 0;
    for (const Read& r : reads) {
        fewest = std::min(fewest, r.blocks);
        most = std::max(most, r.blocks);
        quickest = std::min(quickest, r.nanoseconds);
        meanBlocks += r.blocks / static_cast<double>(reads.size());
        meanTime += r.nanoseconds / static_cast<double>(reads.size());
    }
    double fitted = roundTrip_ < 0 ? quickest : roundTrip_;
    if (most >= 2 * fewest) {
        double spread = 0, together = 0;
        for (const Read& r : reads) {
            spread += (r.blocks - meanBlocks) * (r.blocks - meanBlocks);
            together += (r.blocks - meanBlocks) * (r.nanoseconds - meanTime);
        }
        const double perBlock = together / spread;
        fitted = perBlock > 0 ? meanTime - perBlock * meanBlocks : quickest;
    }
    roundTrip_ = std::clamp(fitted, 0.0, quickest);
}

}  // namespace tarnvel
