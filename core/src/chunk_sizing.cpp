#include "tarnvel/chunk_sizing.h"

#include <algorithm>
#include <cmath>

namespace tarnvel {

void ChunkSizer::took(std::int32_t blocks, std::chrono::nanoseconds time) {
    // What the last read's rate fits in a frame: at once when a drive has
    // slowed down, so it holds the window once, not once per halving; but
    // never more than twice the chunk, since reads served from a cache look
    // faster than the drive is.
    const double doubled = 2.0 * blocks_;
    const double fits = time.count() > 0 ? static_cast<double>(blocks) * static_cast<double>(kFrameNanoseconds) /
                                               static_cast<double>(time.count())
                                         : doubled;
    blocks_ = static_cast<std::int32_t>(std::clamp(
        std::floor(std::min(fits, doubled)), static_cast<double>(kFewestBlocks), static_cast<double>(kMostBlocks)));
}

}  // namespace tarnvel
