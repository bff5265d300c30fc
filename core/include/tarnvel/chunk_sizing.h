#pragma once
// How much a cut reads and writes at a time. The window's events wait while
// a read or a write is under way, so each chunk is sized by how long the
// last ones took. A read costs a fixed round trip (a share's, a seek's)
// and then its bytes at the drive's rate; the chunk is sized to both: about
// a frame where the round trip is small, about four round trips where it is
// not, so that a far share still spends most of each read streaming. The
// timings mislead in known ways (reads served from memory, round trips that
// vary or that a client's read-ahead spares, reads held up on a busy
// machine); each rule below answers one, and docs/behaviour.md lists them.

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
    // Reads served from memory look the same as a fast drive's and say
    // nothing of the drive behind them, which may be as slow as a USB 2.0
    // disk (3 MB/s). A read sized to a frame is therefore never larger than
    // such a disk reads in 171 ms, leaving room for a round trip within the
    // longest read, and whole 4 KiB pages.
    static constexpr std::int32_t kMostBlocksFromMemory = 512;

    std::int32_t blocks() const { return blocks_; }
    std::chrono::nanoseconds roundTrip() const {
        return std::chrono::nanoseconds(static_cast<std::int64_t>(history_.pace.roundTrip));
    }
    // What the next read may take: a frame less the last event pass, or four
    // round trips up to the longest.
    std::chrono::nanoseconds readTime() const;

    // The last read and write, of `blocks`, held the window for
    // `windowWaited`: their whole time, unless the read pended while the
    // window ran its events, when it is only the time spent inside the calls.
    void took(std::int32_t blocks, std::chrono::nanoseconds windowWaited, bool pended = false);
    // The window's last event pass took `time`: where reads are sized to a
    // frame, the next leaves it that much, so that events run once a frame.
    void eventsTook(std::chrono::nanoseconds time) { eventsTime_ = time; }

private:
    struct Read {
        double blocks;
        double nanoseconds;
    };
    // The drive as the reads so far tell it.
    struct Pace {
        double roundTrip;  // nanoseconds; below zero until the first read
        double nanosPerBlock;
        double foretell(double blocks) const { return roundTrip + blocks * nanosPerBlock; }
        bool farFrom(Read read) const;
    };
    // Sizes this far apart tell the round trip from the rate.
    static constexpr double kSizesApart = 4;
    static constexpr std::size_t kRecentReads = 8;
    // Reads after a change of pace that may still undo it.
    static constexpr std::size_t kReadsToTellAChange = 4;
    // The last few reads since the drive last changed pace, and what they tell.
    struct History {
        std::array<Read, kRecentReads> reads{};
        std::size_t count = 0;
        Pace pace{-1, 0};
        // The round trip as the line told it, or as carried over, before the
        // floor of what most reads paid.
        double toldRoundTrip = -1;
        // Whether a line was fitted since the change, rather than the round
        // trip carried over from before it.
        bool fitted = false;
        // Whether the chunk has yet to reach the read time since then.
        bool growing = true;
        // Whether the last line left reads far from it, and how many reads
        // have come since it.
        bool loose = false;
        std::size_t readsWithoutLine = 0;
        // The round trip a read a quarter the size is testing, until the line
        // through it answers; below zero otherwise. Each test that tells
        // nothing waits twice as long for the next.
        double tested = -1;
        std::size_t readsBeforeTest = kRecentReads;

        std::span<const Read> recent() const { return {reads.data(), count}; }
        void remember(Read read);
        void startAfresh();
        double fitRoundTrip();
        double nanosPerBlockOfLastReads(bool lastAlone) const;
    };
    // A read far from what the pace foretold: the next one tells whether the
    // drive has changed pace or that read was one of a kind.
    struct Doubt {
        History before;
        bool slower;
    };

    bool sizedToAFrame() const;
    std::chrono::nanoseconds frameLeft() const;
    void setBlocks(double next);
    void followPace(Read read);
    static std::optional<Pace> lineThrough(std::span<const Read> reads);

    History history_;
    std::optional<Doubt> doubt_;
    // What the reads told just before the drive changed pace, while the read
    // after the change may still show that there was none.
    std::optional<History> beforeChange_;
    std::int32_t blocks_ = kFewestBlocks;
    std::chrono::nanoseconds eventsTime_{};
};

}  // namespace tarnvel
