#pragma once
// How much a cut reads and writes at a time. The window's events wait while
// a read or a write is under way, so each chunk is sized by how long the
// last ones took. A read costs a fixed round trip (a share's, a seek's)
// and then its bytes at the drive's rate; the chunk is sized to both: about
// a frame where the round trip is small, about four round trips where it is
// not, so that a far share still spends most of each read streaming.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnvel {

// How often the window runs its events while a cut runs, and the time a
// read on a near drive is sized to.
inline constexpr std::chrono::milliseconds kFrame{16};

class ChunkSizer {
public:
    // Even a drive that gives only 50 KB/s reads one block within a frame or so.
    static constexpr std::int32_t kFewestBlocks = 1;
    // 4,096,000 bytes, whole blocks and whole 4 KiB pages: a fast drive runs
    // at full speed long before this.
    static constexpr std::int32_t kMostBlocks = 4096;
    // A read four round trips long streams for three quarters of its time.
    static constexpr int kRoundTripsPerRead = 4;
    // However far the drive, the window never waits longer for one read,
    // unless a single block takes longer.
    static constexpr std::chrono::milliseconds kLongestRead{250};

    std::int32_t blocks() const { return blocks_; }
    std::chrono::nanoseconds roundTrip() const {
        return std::chrono::nanoseconds(static_cast<std::int64_t>(roundTrip_));
    }
    // What the next read may take: a frame less the last event pass, or four
    // round trips up to the longest.
    std::chrono::nanoseconds readTime() const;

    // The last read and write, of `blocks`, took `time` together.
    void took(std::int32_t blocks, std::chrono::nanoseconds time, bool pended = false);
    // The window's last event pass took `time`: where reads are sized to a
    // frame, the next leaves it that much, so that events run once a frame.
    void eventsTook(std::chrono::nanoseconds time) { eventsTime_ = time; }

private:
    struct Read {
        double blocks;
        double nanoseconds;
    };
    void remember(Read read);
    void fitRoundTrip();
    static std::optional<double> lineThrough(std::span<const Read> reads);
    // Sizes this far apart tell the round trip from the rate.
    static constexpr double kSizesApart = 4;

    // The last few reads, from which the round trip is told apart from the rate.
    static constexpr std::size_t kRecentReads = 8;
    std::array<Read, kRecentReads> recent_{};
    std::size_t recentCount_ = 0;

    std::int32_t blocks_ = kFewestBlocks;
    double roundTrip_ = -1;     // nanoseconds; below zero until the first read
    double nanosPerBlock_ = 0;  // the drive's rate, as the last read gave it
    std::chrono::nanoseconds eventsTime_{};
};

}  // namespace tarnvel
