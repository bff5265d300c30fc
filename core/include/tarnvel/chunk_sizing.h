#pragma once
// How much a cut reads and writes at a time. The window's events wait while
// a read or a write is under way, so each chunk is sized by how long the last
// one took: about a frame, whatever the drive.

#include <chrono>
#include <cstdint>

namespace tarnvel {

class ChunkSizer {
public:
    // Even a drive that gives only 50 KB/s reads one block within a frame or so.
    static constexpr std::int32_t kFewestBlocks = 1;
    // 4,096,000 bytes, whole blocks and whole 4 KiB pages: a fast drive runs
    // at full speed long before this.
    static constexpr std::int32_t kMostBlocks = 4096;
    static constexpr std::chrono::milliseconds kFrame{16};

    std::int32_t blocks() const { return blocks_; }

    // The last read and write, of `blocks`, took `time` together.
    void took(std::int32_t blocks, std::chrono::nanoseconds time);

private:
    static constexpr auto kFrameNanoseconds = std::chrono::nanoseconds(kFrame).count();
    std::int32_t blocks_ = kFewestBlocks;
};

}  // namespace tarnvel
