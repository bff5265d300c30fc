#include "tarnvel/chunk_sizing.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

namespace tarnvel {

namespace {

double nanosecondsIn(std::chrono::nanoseconds time) { return static_cast<double>(time.count()); }

// The upper median, reordering `values`.
double middleOf(std::span<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace

std::chrono::nanoseconds ChunkSizer::readTime() const {
    if (!sizedToAFrame())
        return std::min<std::chrono::nanoseconds>(
            std::chrono::nanoseconds(static_cast<std::int64_t>(kRoundTripsPerRead * history_.pace.roundTrip)),
            kLongestRead);
    return frameLeft();
}

bool ChunkSizer::sizedToAFrame() const { return kRoundTripsPerRead * history_.pace.roundTrip <= nanosecondsIn(kFrame); }

std::chrono::nanoseconds ChunkSizer::frameLeft() const {
    return std::max<std::chrono::nanoseconds>(kFrame - eventsTime_, kFrame / 2);
}

void ChunkSizer::took(std::int32_t blocks, std::chrono::nanoseconds windowWaited, bool pended) {
    if (blocks < kFewestBlocks) return;  // nothing read tells nothing
    if (pended) {
        // The window ran its events meanwhile, so only the time inside the
        // calls held it, and the read's own time tells nothing of the drive:
        // the chunk grows as far as those calls allow, never fed to the fit.
        double next = 4.0 * blocks_;
        if (windowWaited.count() > 0)
            next = std::min(next, blocks * nanosecondsIn(frameLeft()) / nanosecondsIn(windowWaited));
        setBlocks(next);
        return;
    }
    const Read read{static_cast<double>(blocks), nanosecondsIn(windowWaited)};
    followPace(read);
    const double linePace = history_.fitRoundTrip();
    const Pace& pace = history_.pace = {
        history_.pace.roundTrip, std::max(history_.nanosPerBlockOfLastReads(doubt_ && doubt_->slower), linePace)};

    // At most twice the chunk, since reads served from a cache look faster
    // than the drive is; four times while the round trip is most of a read
    // and the chunk has yet to reach the read time since the drive last
    // changed pace, since growing then costs little time and each read a
    // round trip, where later a round trip that varies would pass for one
    // far longer than it is.
    const double growth = history_.growing && 2 * pace.roundTrip > read.nanoseconds ? 4 : 2;
    double next = growth * blocks_;
    const double streamingTime = nanosecondsIn(readTime()) - pace.roundTrip;
    if (streamingTime <= 0)
        next = kFewestBlocks;
    else if (pace.nanosPerBlock > 0)
        next = std::min(next, streamingTime / pace.nanosPerBlock);
    if (next < growth * blocks_) history_.growing = false;
    // Where the reads scatter about the line, the round trip it tells may be
    // far too long, and the rate far too fast: then no read is longer than
    // the last, taken as all streaming, says fits within the longest.
    if (history_.loose && read.nanoseconds > 0)
        next = std::min(next, read.blocks * nanosecondsIn(kLongestRead) / read.nanoseconds);
    // The slow read alone cannot tell a round trip from a slow rate; one a
    // quarter its size beside it can.
    if (doubt_ && doubt_->slower) next = std::min(next, read.blocks / kSizesApart);
    // Reads of one size cannot tell a round trip from a rate at all, so one
    // that a poor fit left behind would stay for good: a read a quarter the
    // size tests it.
    if (history_.loose && history_.readsWithoutLine >= history_.readsBeforeTest && !sizedToAFrame()) {
        next = std::min(next, blocks_ / kSizesApart);
        history_.readsWithoutLine = 0;
        history_.tested = history_.toldRoundTrip;
    }
    if (sizedToAFrame()) next = std::min(next, static_cast<double>(kMostBlocksFromMemory));
    setBlocks(next);
}

// A read far from what the last ones foretold may mean that the drive has
// changed pace (a cache has run out), and then they say nothing of it any
// more; or it was one of a kind (a request a client's read-ahead spared, a
// read held up on a busy machine). The next read tells, and the few after
// that may still show that those held up in a row were no change.
void ChunkSizer::followPace(Read read) {
    const bool far = history_.pace.farFrom(read);
    if (beforeChange_) {
        const Pace& old = beforeChange_->pace;
        if (!old.farFrom(read) && std::abs(read.nanoseconds - old.foretell(read.blocks)) <
                                      std::abs(read.nanoseconds - history_.pace.foretell(read.blocks))) {
            history_ = *beforeChange_;
            beforeChange_.reset();
            history_.remember(read);
            return;
        }
        if (history_.count >= kReadsToTellAChange) beforeChange_.reset();
    }
    const bool slower = read.nanoseconds > history_.pace.foretell(read.blocks);
    const bool changed = doubt_ && doubt_->before.pace.farFrom(read) &&
                         (read.nanoseconds > doubt_->before.pace.foretell(read.blocks)) == doubt_->slower;
    if (changed) {
        // Reads held up only ever pass for a slower drive.
        if (doubt_->slower) beforeChange_ = doubt_->before;
        history_.startAfresh();
    }
    doubt_.reset();
    if (far && !changed) doubt_ = Doubt{history_, slower};
    history_.remember(read);
}

// Whole blocks, not counting the rounding of a ratio that should come out whole.
void ChunkSizer::setBlocks(double next) {
    blocks_ = static_cast<std::int32_t>(
        std::clamp(std::floor(next + 0.01), static_cast<double>(kFewestBlocks), static_cast<double>(kMostBlocks)));
}

// Off by a factor of two, and by more than a quarter of a frame: a fast
// drive's reads of a millisecond or less vary by more than twice from one to
// the next, and a quarter of a frame is nothing the window would show.
bool ChunkSizer::Pace::farFrom(Read read) const {
    if (roundTrip < 0) return false;
    const double foretold = foretell(read.blocks);
    return std::abs(read.nanoseconds - foretold) > nanosecondsIn(kFrame) / 4 &&
           (read.nanoseconds > 2 * foretold || read.nanoseconds < foretold / 2);
}

void ChunkSizer::History::remember(Read read) {
    if (count == kRecentReads) {
        std::move(reads.begin() + 1, reads.end(), reads.begin());
        --count;
    }
    reads[count++] = read;
}

// Only the last read, which began the change, says anything of the drive now.
void ChunkSizer::History::startAfresh() {
    reads[0] = reads[count - 1];
    count = 1;
    fitted = false;
    growing = true;
    readsBeforeTest = kRecentReads;
}

// The time of a read against its blocks is a line whose height at zero blocks
// is the round trip. Only reads of sizes far apart tell it despite the jitter
// of a busy machine; between them the round trip is carried over, never more
// than the quickest read. Returns the line's pace, the least the drive's rate
// may be taken as.
double ChunkSizer::History::fitRoundTrip() {
    const std::span<const Read> recentReads = recent();
    double quickest = recentReads[0].nanoseconds;
    double fastest = recentReads[0].nanoseconds / recentReads[0].blocks;
    for (const Read& r : recentReads) {
        quickest = std::min(quickest, r.nanoseconds);
        fastest = std::min(fastest, r.nanoseconds / r.blocks);
    }
    // No read streams faster than its own time allows, so each paid at least
    // its time beyond its blocks at the fastest pace seen: most of the reads
    // paid at least the middle of those.
    std::array<double, kRecentReads> beyond{};
    for (std::size_t i = 0; i < count; ++i) beyond[i] = reads[i].nanoseconds - reads[i].blocks * fastest;
    const double paidByMost = middleOf(std::span<double>(beyond.data(), count));

    if (const auto line = lineThrough(recentReads)) {
        fitted = true;
        readsWithoutLine = 0;
        double farthest = 0;
        for (const Read& r : recentReads)
            farthest = std::max(farthest, std::abs(r.nanoseconds - line->foretell(r.blocks)));
        loose = count < 3 || farthest > std::max(line->roundTrip / 8, nanosecondsIn(kFrame) / 8);
        // A line that rests on one test read is only as good as that read:
        // where the reads scatter about it, it tells nothing new.
        if (tested >= 0 && loose) {
            pace.roundTrip = toldRoundTrip = tested;
            readsBeforeTest *= 2;
            tested = -1;
            return 0;
        }
        tested = -1;
        // A line steeper than the fastest pace says the reads did not all pay
        // the same round trip (a client's read-ahead spared every other one):
        // the round trip is then what most of them paid.
        toldRoundTrip = line->nanosPerBlock <= fastest ? line->roundTrip : paidByMost;
        pace.roundTrip = toldRoundTrip;
        return std::min(line->nanosPerBlock, fastest);
    }
    ++readsWithoutLine;
    // One-block reads are nearly all round trip, however they vary. Carried
    // over from reads served from memory, a round trip of nothing would keep
    // the chunk at one block for good on the far share behind them; taken as
    // their time, it grows the chunk, whose next reads tell it. So is the
    // first one-block read after a change of pace.
    std::array<double, kRecentReads> times{};
    for (std::size_t i = 0; i < count; ++i) times[i] = reads[i].nanoseconds;
    if (std::all_of(recentReads.begin(), recentReads.end(), [](const Read& r) { return r.blocks <= kFewestBlocks; }))
        toldRoundTrip = middleOf(std::span<double>(times.data(), count));
    else if (!fitted && reads[count - 1].blocks <= kFewestBlocks)
        toldRoundTrip = quickest;
    else
        toldRoundTrip = std::clamp(toldRoundTrip, 0.0, quickest);
    pace.roundTrip = toldRoundTrip;
    // Once the chunk is sized to the round trip, its reads lie too close in
    // size to tell it again, and the one carried from the first reads may be
    // low where it varies from read to read: it is at least what most reads
    // paid.
    if (fitted && kRoundTripsPerRead * toldRoundTrip > nanosecondsIn(kFrame))
        pace.roundTrip = std::max(toldRoundTrip, paidByMost);
    return 0;
}

// The drive's rate as the slower of the last two reads gives it, so that a
// read a client's read-ahead spared its round trip does not pass for a fast
// drive; after a read far slower than foretold, as that read gives it.
double ChunkSizer::History::nanosPerBlockOfLastReads(bool lastAlone) const {
    double slowest = 0;
    for (std::size_t i = count - std::min<std::size_t>(count, lastAlone ? 1 : 2); i < count; ++i)
        slowest = std::max(slowest, (reads[i].nanoseconds - pace.roundTrip) / reads[i].blocks);
    return slowest;
}

// The line through reads of sizes far enough apart: its slope the middle of
// those between each two such reads, its height the middle of the reads'
// heights under that slope, so that a read or two held up on a busy machine
// do not move it as they would move a least-squares line.
std::optional<ChunkSizer::Pace> ChunkSizer::lineThrough(std::span<const Read> reads) {
    std::array<double, kRecentReads*(kRecentReads - 1) / 2> slopes{};
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < reads.size(); ++i)
        for (std::size_t j = 0; j < reads.size(); ++j)
            if (reads[j].blocks >= kSizesApart * reads[i].blocks)
                slopes[pairs++] = (reads[j].nanoseconds - reads[i].nanoseconds) / (reads[j].blocks - reads[i].blocks);
    if (pairs == 0) return std::nullopt;
    const double perBlock = std::max(0.0, middleOf(std::span<double>(slopes.data(), pairs)));
    std::array<double, kRecentReads> heights{};
    for (std::size_t i = 0; i < reads.size(); ++i) heights[i] = reads[i].nanoseconds - perBlock * reads[i].blocks;
    return Pace{middleOf(std::span<double>(heights.data(), reads.size())), perBlock};
}

}  // namespace tarnvel
