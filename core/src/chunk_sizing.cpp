#include "tarnvel/chunk_sizing.h"

#include <algorithm>

namespace tarnvel {

void ChunkSizer::took(std::int32_t blocks, std::chrono::nanoseconds time) {
    // One doubling at a time: reads served from a cache look faster than the
    // drive is, and a doubling can overshoot a frame by no more than twice.
    if (time * 2 < kFrame) {
        blocks_ = std::min(kMostBlocks, blocks_ * 2);
        return;
    }
    if (time <= kFrame) return;
    // Down at once to what the measured rate fits in a frame, so a drive
    // that has slowed down holds the window once, not once per halving.
    const double fits = static_cast<double>(blocks) * static_cast<double>(kFrame.count()) /
                        std::chrono::duration<double, std::milli>(time).count();
    do blocks_ /= 2;
    while (blocks_ > kFewestBlocks && blocks_ > fits);
    blocks_ = std::max(kFewestBlocks, blocks_);
}

}  // namespace tarnvel
