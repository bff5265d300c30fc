#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/mount.h>
#include <sys/statvfs.h>
#endif

#include <algorithm>
#include <cstring>
#include <optional>

#include "tarnvel/busy_output.h"
#include "tarnvel/chunk_sizing.h"
#include "tarnvel/head_cut.h"
#include "tarnvel/progress_scale.h"
#include "tarnvel/words.h"
#include "test_files.h"

namespace tarnvel {
namespace {

using testing::ScratchFolder;

std::string narrow(std::u16string_view text) { return {text.begin(), text.end()}; }

struct SinkCall {
    char op;             // 'U' upper bound, 'P' position, 'E' pending events
    std::int32_t value;  // the control's integer value
    bool operator==(const SinkCall&) const = default;
};

void PrintTo(const SinkCall& call, std::ostream* out) { *out << call.op << call.value; }

class RecordingSink final : public ProgressSink {
public:
    void setUpperBound(std::int32_t barUpper) override { calls.push_back({'U', barUpper}); }
    void setPosition(std::int32_t barPosition) override { calls.push_back({'P', barPosition}); }
    void letPendingEventsRun() override {
        calls.push_back({'E', 0});
        if (duringEvents) duringEvents();
    }

    std::vector<std::int32_t> positionsDuringCopy() const {
        std::vector<std::int32_t> positions;
        for (std::size_t i = 0; i + 1 < calls.size(); ++i)
            if (calls[i].op == 'P') positions.push_back(calls[i].value);
        return positions;
    }
    // The calls without the pumping while the output closes, which lasts as
    // long as the file system takes.
    std::vector<SinkCall> callsApartFromClosing() const {
        std::vector<SinkCall> kept = calls;
        if (kept.size() < 2) return kept;
        auto end = kept.end() - 1;
        auto begin = end;
        while (begin != kept.begin() && (begin - 1)->op == 'E') --begin;
        kept.erase(begin, end);
        return kept;
    }
    std::vector<SinkCall> calls;
    std::function<void()> duringEvents;  // what the window does in an event pass
};

// The taskbar button as the cut drives it: "P<done>/<blocks>", "C"lear, "F"lash.
class RecordingIndicator final : public CutIndicator {
public:
    void showProgress(std::int32_t done, std::int32_t blocks) override {
        calls.push_back("P" + std::to_string(done) + "/" + std::to_string(blocks));
    }
    void clearProgress() override { calls.push_back("C"); }
    void flashIfInBackground() override { calls.push_back("F"); }
    std::vector<std::string> calls;
};

// Steps of the bar as the control is given them.
constexpr std::int32_t bar(std::int32_t steps) { return steps * kProgressFixedPoint; }

CutRequest requestFor(const std::filesystem::path& source, std::int32_t blocks) {
    return {pathText(source), static_cast<double>(blocks), blocks, u"mpg"};
}

// Every cut is followed by this: the source must never be touched.
class HeadCut : public ::testing::Test {
protected:
    std::filesystem::path makeSource(std::u16string_view name, std::size_t bytes) {
        const auto path = folder / name;
        sources.emplace_back(path, testing::patternBytes(bytes));
        testing::writeFile(path, sources.back().second);
        return path;
    }
    CutOutcome cut(const std::filesystem::path& source, std::int32_t blocks, const std::filesystem::path& output,
                   CutClock* clock = nullptr) {
        return runHeadCut(requestFor(source, blocks), sink, pathText(output), {&stop, &indicator, clock});
    }
    void TearDown() override {
        for (const auto& [path, bytes] : sources)
            EXPECT_EQ(testing::readFile(path), bytes) << "source changed: " << narrow(pathText(path));
    }
    void expectFailure(const CutOutcome& outcome, CutEnd end, std::u16string_view naming) {
        const MessageNotice& notice = outcome.notice;
        EXPECT_EQ(outcome.end, end) << narrow(notice.prompt);
        EXPECT_EQ(notice.icon, NoticeIcon::Exclamation) << narrow(notice.prompt);
        EXPECT_EQ(notice.shownTitle(), words::kErrorTitle);
        EXPECT_NE(notice.prompt.find(naming), std::u16string::npos) << narrow(notice.prompt);
        ASSERT_FALSE(sink.calls.empty());
        EXPECT_EQ(sink.calls.back(), (SinkCall{'P', bar(1)}));
    }
    // The reason shown is the one the system gave for that very call.
    static void expectReason(const CutOutcome& outcome, SystemError error) {
        EXPECT_EQ(outcome.error, error) << narrow(outcome.notice.prompt);
        EXPECT_NE(outcome.notice.prompt.find(systemErrorText(error)), std::u16string::npos)
            << narrow(outcome.notice.prompt);
    }

    ScratchFolder folder;
    RecordingSink sink;
    CutStop stop;
    RecordingIndicator indicator;
    std::vector<std::pair<std::filesystem::path, std::vector<char>>> sources;
};

bool isDone(const CutOutcome& outcome) {
    return outcome.end == CutEnd::Done &&
           outcome.notice == MessageNotice{words::kCutDone, NoticeIcon::None, std::nullopt};
}

TEST(OutputPath, IsAlwaysTarnvelInTheRootOfC) {
    EXPECT_EQ(outputPathFor(u"mpg"), u"C:\\tarnvel.mpg");
    EXPECT_EQ(outputPathFor(u"jpeg"), u"C:\\tarnvel.jpeg");
    EXPECT_EQ(outputPathFor(u"s.gz"), u"C:\\tarnvel.s.gz");
}

TEST(ProgressScale, KeepsTheBarWithin32767Steps) {
    struct Case {
        double value;
        std::int16_t shift;
        float upper;
    };
    const Case cases[] = {
        {2, 0, 2},
        {32767, 0, 32767},
        {32768, 1, 16384},
        {65534, 1, 32767},
        {65535, 2, 16383.75f},
        {1048576, 6, 16384},
        {2147483, 7, static_cast<float>(2147483 / 128.0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(progressScaleFor(c.value), c.shift) << c.value;
        EXPECT_EQ(progressUpperBoundFor(c.value), c.upper) << c.value;
    }
}

TEST(ProgressScale, PositionsNeverFallToZero) {
    const std::tuple<std::int32_t, std::int16_t, std::int32_t> cases[] = {
        {1, 0, 1},         {32767, 0, 32767},   {1, 1, 1},   {2, 1, 1},   {3, 1, 1},   {4, 1, 2},
        {65535, 2, 16383}, {2147483, 7, 16777}, {127, 7, 1}, {128, 7, 1}, {256, 7, 2},
    };
    for (const auto& [block, shift, position] : cases)
        EXPECT_EQ(progressPositionFor(block, shift), position) << block << " >> " << shift;
}

TEST_F(HeadCut, CopiesExactlyTheLeadingBlocks) {
    const auto source = makeSource(u"clip.mpg", 2999);
    const auto output = folder / u"out.mpg";
    EXPECT_TRUE(isDone(cut(source, 2, output)));

    const auto head = testing::readFile(source);
    EXPECT_EQ(testing::readFile(output), std::vector<char>(head.begin(), head.begin() + 2000));
    // The first read is one block, and the window's events run at once after it.
    const std::vector<SinkCall> expected = {{'U', bar(2)}, {'P', bar(1)}, {'E', 0}, {'P', bar(2)}, {'P', bar(1)}};
    EXPECT_EQ(sink.callsApartFromClosing(), expected);
}

TEST_F(HeadCut, ReportsEveryBlockOnTheScaledBar) {
    const std::int32_t blocks = 32768;
    const auto source = makeSource(u"long.bin", std::size_t{blocks} * 1000 + 17);
    const auto output = folder / u"out.bin";
    EXPECT_TRUE(isDone(cut(source, blocks, output)));
    EXPECT_EQ(std::filesystem::file_size(output), std::uintmax_t{blocks} * 1000);

    EXPECT_EQ(sink.calls.front(), (SinkCall{'U', bar(16384)}));
    const std::vector<std::int32_t> positions = sink.positionsDuringCopy();
    ASSERT_EQ(positions.size(), static_cast<std::size_t>(blocks));
    const std::vector<std::int32_t> start(positions.begin(), positions.begin() + 6);
    EXPECT_EQ(start, (std::vector<std::int32_t>{bar(1), bar(1), bar(1), bar(2), bar(2), bar(3)}));
    EXPECT_EQ(positions.back(), bar(16384));
    EXPECT_EQ(sink.calls.back(), (SinkCall{'P', bar(1)}));
}

// A source drive whose reads each pay a round trip and then take time in
// proportion to their bytes, at a pace that may change along the file; reads
// that end within its first bytes, cached by an earlier cut, cost nothing. The
// cut reads through the real file layer, so this clock tells the time by how
// much of the output is written: each reading is when such a drive would have
// delivered that much. It also notes each chunk as the cut chose it.
class DriveClock final : public CutClock {
public:
    struct Stretch {
        std::int64_t fromBlock;
        double bytesPerSecond;
        std::chrono::duration<double> roundTrip{};  // of each read that starts here
    };
    DriveClock(std::filesystem::path output, std::vector<Stretch> stretches, std::int64_t cachedBytes = 0)
        : output_(std::move(output)), stretches_(std::move(stretches)), cachedBytes_(cachedBytes) {}

    std::chrono::steady_clock::time_point now() override {
        std::error_code absent;
        const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(output_, absent));
        const std::int64_t written = absent ? 0 : bytes;
        if (written != lastWritten_) {
            chunks.push_back({lastWritten_, written - lastWritten_, timeOf(lastWritten_, written)});
            elapsed += chunks.back().seconds;
        }
        lastWritten_ = written;
        return std::chrono::steady_clock::time_point{} + std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed);
    }
    std::chrono::duration<double> timeOf(std::int64_t from, std::int64_t to) const {
        if (to <= cachedBytes_) return {};
        return stretchAt(from).roundTrip + secondsToDeliver(to) - secondsToDeliver(std::max(from, cachedBytes_));
    }
    std::chrono::duration<double> secondsToDeliver(std::int64_t bytes) const {
        double seconds = 0;
        for (std::size_t s = 0; s < stretches_.size(); ++s) {
            const std::int64_t from = stretches_[s].fromBlock * kBlockBytes;
            const std::int64_t to = s + 1 < stretches_.size() ? stretches_[s + 1].fromBlock * kBlockBytes : bytes;
            seconds += static_cast<double>(std::max<std::int64_t>(0, std::min(bytes, to) - from)) /
                       stretches_[s].bytesPerSecond;
        }
        return std::chrono::duration<double>(seconds);
    }
    const Stretch& stretchAt(std::int64_t byte) const {
        auto s = stretches_.size() - 1;
        while (s > 0 && stretches_[s].fromBlock * kBlockBytes > byte) --s;
        return stretches_[s];
    }

    struct Chunk {
        std::int64_t from, bytes;
        std::chrono::duration<double> seconds;
    };
    std::vector<Chunk> chunks;
    std::chrono::duration<double> elapsed{};

private:
    std::filesystem::path output_;
    std::vector<Stretch> stretches_;
    std::int64_t cachedBytes_;
    std::int64_t lastWritten_ = 0;
};

// Each row: the drive, and the chunk the cut settles on within a few reads
// of the drive's last change of pace. Where a read pays a round trip, the
// cut must also keep most of the pace that 4,096,000-byte reads would have.
TEST_F(HeadCut, ReadsAreSizedToTheRoundTripAndTheRateOfTheDriveAtHand) {
    using std::chrono::milliseconds;
    constexpr double kFast = 2e9, kUsb2 = 3e6, kShare = 10e6;
    struct Row {
        const char* drive;
        std::int32_t blocks;
        std::vector<DriveClock::Stretch> stretches;
        std::int32_t settledBlocks;  // 0: whatever takes nearly the time a read is given
        std::size_t readsToSettle;   // counted from the first read after the last change or the cached bytes
        double shareOf4MBReads;      // the least of their pace the cut keeps; 0: not asked
        std::int64_t cachedBytes = 0;
    };
    const Row rows[] = {
        // Reads from memory look like a fast drive's: no larger than a slow drive behind them reads in time.
        {"fast", 8300, {{0, kFast}}, ChunkSizer::kMostBlocksFromMemory, 9, 0},
        {"USB 2.0", 2000, {{0, kUsb2}}, 0, 6, 0},
        {"USB 2.0 behind a 2 ms round trip", 2000, {{0, kUsb2, milliseconds(2)}}, 42, 6, 0},
        {"speeds up", 11000, {{0, kUsb2}, {600, kFast}}, ChunkSizer::kMostBlocksFromMemory, 6, 0},
        {"slows down", 10300, {{0, kFast}, {4095, kUsb2}}, 0, 1, 0},  // from a 512-block read on
        {"slower than a block a frame", 12, {{0, 40e3}}, 1, 2, 0},
        {"share, 8 ms away", 30000, {{0, kShare, milliseconds(8)}}, 0, 6, 0.75},
        {"share, 20 ms away", 30000, {{0, kShare, milliseconds(20)}}, 0, 6, 0.75},
        {"share, 50 ms away", 30000, {{0, kShare, milliseconds(50)}}, 0, 6, 0.75},
        // Four round trips would be 400 ms; 250 ms holds 1.5 MB after one,
        // so at most 74.6 % of the pace of 4 MB reads, less the first reads.
        {"share, 100 ms away", 30000, {{0, kShare, milliseconds(100)}}, 0, 6, 0.67},
        // An earlier, shorter cut left the first bytes in the cache.
        {"share, 20 ms away, its first 4 KB cached", 30000, {{0, kShare, milliseconds(20)}}, 0, 8, 0.70, 4000},
        {"share, 50 ms away, its first 100 KB cached", 30000, {{0, kShare, milliseconds(50)}}, 0, 8, 0.70, 100'000},
        {"the first 20 MB cached, then USB 2.0 behind a 2 ms round trip",
         23000,
         {{0, kUsb2, milliseconds(2)}},
         42,
         4,
         0,
         20'000'000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.drive);
        const std::u16string name = u"clip" + std::u16string(1, static_cast<char16_t>(u'a' + (&row - rows))) + u".mpg";
        const auto source = makeSource(name, static_cast<std::size_t>(row.blocks) * 1000 + 300);
        const auto output = folder / u"out.mpg";
        std::filesystem::remove(output);
        DriveClock clock(output, row.stretches, row.cachedBytes);
        ASSERT_TRUE(isDone(cut(source, row.blocks, output, &clock)));
        const auto head = testing::readFile(source);
        EXPECT_EQ(testing::readFile(output), std::vector<char>(head.begin(), head.end() - 300));
        EXPECT_EQ(head, sources.back().second) << "source changed";
        std::filesystem::remove(source);
        sources.pop_back();

        const std::vector<DriveClock::Chunk>& chunks = clock.chunks;
        ASSERT_GE(chunks.size(), 2u);
        EXPECT_EQ(chunks.front().bytes, kBlockBytes) << "the first read is one block";
        const DriveClock::Stretch& last = row.stretches.back();
        const std::int64_t lastChange = std::max(last.fromBlock * kBlockBytes, row.cachedBytes);
        // What a read may take on the drive as it is at the end, with room for
        // the rounding of the clock's nanoseconds.
        const auto readTime = std::clamp<std::chrono::duration<double>>(last.roundTrip * ChunkSizer::kRoundTripsPerRead,
                                                                        kFrame, ChunkSizer::kLongestRead) *
                              1.001;

        const auto took = [&](std::size_t n) { return chunks[n].seconds; };
        std::size_t settled = 0;
        while (settled < chunks.size() && chunks[settled].from < lastChange) ++settled;
        settled += row.readsToSettle;
        ASSERT_LT(settled + 1, chunks.size()) << "the cut ends before the chunk settles";
        for (std::size_t c = 0; c + 1 < chunks.size(); ++c) {
            if (c >= settled && row.settledBlocks) {
                EXPECT_EQ(chunks[c].bytes, row.settledBlocks * kBlockBytes) << "read " << c;
            }
            if (c >= settled && !row.settledBlocks) {
                EXPECT_GE(took(c), readTime * 0.9) << "read " << c;
                EXPECT_LE(took(c), readTime) << "read " << c;
            }
            // Past the first reads, a far drive never holds the window longer,
            // nor the first read past cached bytes longer than the longest read.
            if (c >= 2 && row.shareOf4MBReads > 0) {
                EXPECT_LE(took(c), readTime) << "read " << c;
            }
            EXPECT_LE(took(c), ChunkSizer::kLongestRead * 1.001) << "read " << c;
            // A read that held the window past its time is followed by one that
            // fits, unless part of it was cached and so told too fast a pace.
            if (c > 1 && took(c - 1) > readTime && chunks[c].bytes > kBlockBytes && !row.cachedBytes) {
                EXPECT_LE(took(c), readTime) << "read " << c;
            }
        }
        if (row.shareOf4MBReads > 0) {
            const auto uncached = std::int64_t{row.blocks} * kBlockBytes - row.cachedBytes;
            const double in4MBReads = static_cast<double>((uncached + 4'095'999) / 4'096'000) * last.roundTrip.count() +
                                      static_cast<double>(uncached) / last.bytesPerSecond;
            EXPECT_GE(in4MBReads / clock.elapsed.count(), row.shareOf4MBReads)
                << chunks.size() << " reads in " << clock.elapsed.count() << " s";
            std::chrono::duration<double> longest{};
            for (std::size_t c = 2; c + 1 < chunks.size(); ++c) longest = std::max(longest, took(c));
            std::printf(
                "%s: settled at %lld blocks, longest read after the first two %.1f ms, %.1f %% of the pace "
                "of 4 MB reads\n",
                row.drive, static_cast<long long>(chunks[chunks.size() - 2].bytes / kBlockBytes),
                longest.count() * 1000, 100 * in4MBReads / clock.elapsed.count());
        }
    }
}

TEST_F(HeadCut, ShorterCutTruncatesAnEarlierOutput) {
    const auto source = makeSource(u"clip.mpg", 9000);
    const auto output = folder / u"out.mpg";
    ASSERT_TRUE(isDone(cut(source, 8, output)));
    ASSERT_TRUE(isDone(cut(source, 3, output)));
    const auto head = testing::readFile(source);
    EXPECT_EQ(testing::readFile(output), std::vector<char>(head.begin(), head.begin() + 3000));
}

TEST_F(HeadCut, RefusesToCutASourceOntoItself) {
    const auto source = makeSource(u"self.mpg", 5000);
    std::vector<std::filesystem::path> spellings = {source, folder.path() / "." / "self.mpg"};
#ifdef _WIN32
    spellings.push_back(folder / u"SELF.MPG");
#else
    std::filesystem::create_hard_link(source, folder / u"link.mpg");
    spellings.push_back(folder / u"link.mpg");
#endif
    for (const auto& output : spellings) {
        sink.calls.clear();
        expectFailure(cut(source, 3, output), CutEnd::SameFile, u"同じ");
    }
}

TEST_F(HeadCut, ShrunkSourceStopsAtItsEnd) {
    const auto source = makeSource(u"shrunk.mpg", 3500);
    const auto output = folder / u"out.mpg";
    expectFailure(cut(source, 5, output), CutEnd::SourceEnded, u"3500Byte");
    EXPECT_EQ(testing::readFile(output), testing::readFile(source));

    const auto exact = makeSource(u"exact.mpg", 3000);
    expectFailure(cut(exact, 4, output), CutEnd::SourceEnded, u"3000Byte");
    EXPECT_EQ(std::filesystem::file_size(output), 3000u);

    // The end falls inside the first chunk read, and again in a later one.
    const auto longer = makeSource(u"longer.mpg", 4096 * 1000 + 2500);
    expectFailure(cut(longer, 4100, output), CutEnd::SourceEnded, u"4098500Byte");
    EXPECT_EQ(testing::readFile(output), testing::readFile(longer));
}

TEST_F(HeadCut, OpenFailuresNameTheFileAndTheSystemsReason) {
    const auto source = makeSource(u"clip.mpg", 5000);
    const auto missingDir = folder / u"no-such-folder";
    const CutOutcome noFolder = cut(source, 2, missingDir / "out.mpg");
    expectFailure(noFolder, CutEnd::CreateOutput, u"no-such-folder");
#ifdef _WIN32
    expectReason(noFolder, 3);  // ERROR_PATH_NOT_FOUND
#else
    expectReason(noFolder, ENOENT);
#endif

    const auto gone = folder / u"gone.mpg";
    const auto output = folder / u"out.mpg";
    const CutOutcome noSource = cut(gone, 2, output);
    expectFailure(noSource, CutEnd::OpenSource, u"gone.mpg");
#ifdef _WIN32
    expectReason(noSource, 2);  // ERROR_FILE_NOT_FOUND
#else
    expectReason(noSource, ENOENT);
#endif
    EXPECT_FALSE(std::filesystem::exists(output)) << "the source is opened before the output";

    // A name no platform can open must still come back as a notice.
    const CutRequest broken{u"clip\xD800.mpg", 2, 2, u"mpg"};
    CutOutcome outcome;
    EXPECT_NO_THROW(outcome = runHeadCut(broken, sink, pathText(output)));
    EXPECT_EQ(outcome.notice.icon, NoticeIcon::Exclamation);
}

TEST_F(HeadCut, FailuresSayWhatToDoNextWhereTheUserCanDoSomething) {
    const auto source = makeSource(u"clip.mpg", 5000);
    std::filesystem::create_directory(folder / u"folder.mpg");
    struct Case {
        const char* what;
        std::filesystem::path source, output;
        words::Advice advice;
    };
    const Case cases[] = {
        {"a folder where the output goes", source, folder / u"folder.mpg", words::Advice::MoveWhatIsInTheWay},
        {"a source that is simply gone", folder / u"gone.mpg", folder / u"out.mpg", words::Advice::None},
#ifdef _WIN32
        {"a source on a drive that is gone", L"Q:\\clip.mpg", folder / u"out.mpg",
         words::Advice::ReconnectTheSourceDrive},
#else
        {"a full disk", source, "/dev/full", words::Advice::FreeSpaceOnC},
#endif
    };
    const words::Advice every[] = {words::Advice::MoveWhatIsInTheWay, words::Advice::FreeSpaceOnC,
                                   words::Advice::CloseTheOtherProgram, words::Advice::ReconnectTheSourceDrive};
    for (const Case& c : cases) {
        const std::u16string prompt = cut(c.source, 2, c.output).notice.prompt;
        for (const words::Advice advice : every)
            EXPECT_EQ(prompt.find(words::adviceText(advice)) != std::u16string::npos, advice == c.advice)
                << c.what << ", advice " << static_cast<int>(advice) << ":\n"
                << narrow(prompt);
    }
}

TEST_F(HeadCut, AnExistingOutputKeepsItsBytesUntilSamenessIsRuledOut) {
    const auto source = makeSource(u"clip.mpg", 5000);
    const auto output = folder / u"out.mpg";
    testing::writeFile(output, testing::patternBytes(9000));
    std::filesystem::remove(source);
    expectFailure(cut(source, 2, output), CutEnd::OpenSource, u"clip.mpg");
    EXPECT_EQ(testing::readFile(output), testing::patternBytes(9000));
    sources.clear();
}

#ifndef _WIN32
TEST_F(HeadCut, FullDiskIsReportedWithItsOwnReason) {
    const auto source = makeSource(u"clip.mpg", 300000);
    expectReason(cut(source, 300, "/dev/full"), ENOSPC);
    expectFailure(cut(source, 5, "/dev/full"), CutEnd::Write, u"/dev/full");
    EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "only a file the cut wrote may be removed";
}

TEST_F(HeadCut, AReadErrorIsReportedAsOneNotAsAShortSource) {
    // A folder opens for reading here, and every read of it fails.
    const auto source = folder / u"folder.mpg";
    std::filesystem::create_directory(source);
    const CutOutcome outcome = cut(source, 2, folder / u"out.mpg");
    expectFailure(outcome, CutEnd::Read, u"folder.mpg");
    expectReason(outcome, EISDIR);
    EXPECT_FALSE(std::filesystem::exists(folder / u"out.mpg")) << "a failed cut leaves its output";
    EXPECT_NE(outcome.notice.prompt.find(words::kCannotReadSource), std::u16string::npos)
        << narrow(outcome.notice.prompt);
}
#else
TEST_F(HeadCut, WritesIntoTheRootOfDriveC) {
    const auto source = makeSource(u"動画\U0001F3AC.tvt", 4500);
    const auto output = outputPathFor(u"tvt");
    ASSERT_TRUE(isDone(runHeadCut(requestFor(source, 4), sink, output)));
    const auto head = testing::readFile(source);
    EXPECT_EQ(testing::readFile(L"C:\\tarnvel.tvt"), std::vector<char>(head.begin(), head.begin() + 4000));
    std::filesystem::remove(toPath(output));
}

TEST_F(HeadCut, AFolderAsSourceIsRefusedWithTheSystemsReason) {
    const auto source = folder / u"folder.mpg";
    std::filesystem::create_directory(source);
    expectReason(cut(source, 2, folder / u"out.mpg"), 5);  // ERROR_ACCESS_DENIED
}
#endif

// Each way a cut ends, with what it leaves of the output and on the taskbar
// button: progress from 0, cleared at the end, and a flash unless the user
// stopped it.
TEST_F(HeadCut, EachEndLeavesTheOutputAndTheTaskbarAsExpected) {
    constexpr std::int32_t kBlocks = 9000;  // many reads
    const auto source = makeSource(u"clip.mpg", std::size_t{kBlocks} * 1000 + 500);
    const auto shortSource = makeSource(u"short.mpg", 2500);
    const auto output = folder / u"out.mpg";
    std::uint64_t room = 0;
    ASSERT_EQ(roomFor(pathText(output), room), kNoError);
    int passes = 0;
    bool goneAtOnce = false;
    struct Case {
        const char* name;
        std::function<CutOutcome()> run;
        CutEnd end;
        std::optional<std::size_t> outputBytes;  // none: no output left
    };
    const Case cases[] = {
        {"done", [&] { return cut(source, kBlocks, output); }, CutEnd::Done, std::size_t{kBlocks} * 1000},
        {"source ended early", [&] { return cut(shortSource, 5, output); }, CutEnd::SourceEnded, 2500},
        {"stopped",
         [&] {
             sink.duringEvents = [&] {
                 if (++passes == 20) stop.request();
             };
             // Reads of a frame each, so that every one is followed by a pass.
             DriveClock usb2(output, {{0, 3e6}});
             return cut(source, kBlocks, output, &usb2);
         },
         CutEnd::Stopped, std::nullopt},
        {"stopped as the session ends",
         [&] {
             sink.duringEvents = [&] {
                 stop.requestAndRemoveOutputNow();
                 goneAtOnce = !std::filesystem::exists(output);
             };
             return cut(source, kBlocks, output);
         },
         CutEnd::Stopped, std::nullopt},
        {"unexpected",
         [&] {
             sink.duringEvents = [] { throw std::runtime_error("out of luck"); };
             return cut(source, kBlocks, output);
         },
         CutEnd::Unexpected, std::nullopt},
        {"source missing", [&] { return cut(folder / u"gone.mpg", 2, output); }, CutEnd::OpenSource, std::nullopt},
        {"no room", [&] { return cut(source, INT32_MAX, output); }, CutEnd::NoRoom, std::nullopt},
        {"output is the source", [&] { return cut(source, 2, source); }, CutEnd::SameFile, std::nullopt},
        {"output cannot be created", [&] { return cut(source, 2, folder / u"no-such-folder" / u"out.mpg"); },
         CutEnd::CreateOutput, std::nullopt},
#ifndef _WIN32
        {"read fails",
         [&] {
             std::filesystem::create_directory(folder / u"folder.mpg");
             return cut(folder / u"folder.mpg", 2, output);
         },
         CutEnd::Read, std::nullopt},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.end == CutEnd::NoRoom && room >= std::uint64_t{INT32_MAX} * 1000) continue;  // over 2 TB free
        std::filesystem::remove(output);
        sink = {};
        stop = {};
        indicator = {};
        noteOutputRemoved(u"", {});
        const CutOutcome outcome = c.run();
        EXPECT_EQ(outcome.end, c.end) << narrow(outcome.notice.prompt);
        // What the next cut's open may wait for: an output this one removed.
        const bool removedByTheCut = !c.outputBytes && (c.end == CutEnd::Stopped || c.end == CutEnd::Unexpected ||
                                                        c.end == CutEnd::Read || c.end == CutEnd::Write);
        EXPECT_EQ(outputRemovedLately(pathText(output), std::chrono::steady_clock::now()), removedByTheCut);
        if (c.end == CutEnd::Stopped) {
            EXPECT_EQ(outcome.notice, (MessageNotice{words::cutStopped(pathText(output), true), NoticeIcon::None, {}}));
        }
        EXPECT_EQ(std::filesystem::exists(output), c.outputBytes.has_value());
        if (c.outputBytes && std::filesystem::exists(output)) {
            EXPECT_EQ(std::filesystem::file_size(output), *c.outputBytes);
        }

        const std::vector<std::string>& calls = indicator.calls;
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls.front().substr(0, 3), "P0/");
        const bool flashed = c.end != CutEnd::Stopped;
        const std::vector<std::string> end(calls.end() - (flashed ? 2 : 1), calls.end());
        const std::vector<std::string> expectedEnd =
            flashed ? std::vector<std::string>{"C", "F"} : std::vector<std::string>{"C"};
        EXPECT_EQ(end, expectedEnd);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "C"), 1);
    }
    EXPECT_TRUE(goneAtOnce) << "the output outlived the stop at the end of the session";
}

TEST_F(HeadCut, ACutThatCannotFitIsRefusedBeforeTheOutputIsTouched) {
    const auto source = makeSource(u"clip.mpg", 5000);
    const auto output = folder / u"out.mpg";
    testing::writeFile(output, testing::patternBytes(700));
    std::uint64_t room = 0;
    ASSERT_EQ(roomFor(pathText(output), room), kNoError);
    if (room >= std::uint64_t{INT32_MAX} * 1000) GTEST_SKIP() << "more than 2 TB free here";
    const CutOutcome outcome = cut(source, INT32_MAX, output);
    expectFailure(outcome, CutEnd::NoRoom, pathText(output));
    EXPECT_NE(outcome.notice.prompt.find(u"2147483647000Byte"), std::u16string::npos) << narrow(outcome.notice.prompt);
    EXPECT_EQ(testing::readFile(output), testing::patternBytes(700));
}

#ifndef _WIN32
// A drive of 16 MiB of its own, where free space is known to the byte.
class SmallDrive : public HeadCut {
protected:
    void SetUp() override {
        std::filesystem::create_directory(drive);
        if (::mount("tarnvel-test", drive.c_str(), "tmpfs", 0, "size=16m") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
        mounted = true;
    }
    void TearDown() override {
        if (mounted) ::umount2(drive.c_str(), MNT_DETACH);
        HeadCut::TearDown();
    }
    std::uint64_t freeBytes() const {
        struct statvfs volume {};
        return ::statvfs(drive.c_str(), &volume) == 0 ? std::uint64_t{volume.f_bavail} * volume.f_frsize : 0;
    }

    const std::filesystem::path drive = folder / u"drive";
    const std::filesystem::path output = drive / u"out.mpg";
    bool mounted = false;
};

TEST_F(SmallDrive, AnOutputsOwnLengthCountsAsFree) {
    testing::writeFile(output, testing::patternBytes(10'000'000));
    ASSERT_LT(freeBytes(), 12'000'000u);
    const auto source = makeSource(u"clip.mpg", 17'000'000);
    EXPECT_TRUE(isDone(cut(source, 12000, output)));

    const CutOutcome outcome = cut(source, 17000, output);
    expectFailure(outcome, CutEnd::NoRoom, pathText(output));
    EXPECT_NE(outcome.notice.prompt.find(u"17000000Byte"), std::u16string::npos) << narrow(outcome.notice.prompt);
    EXPECT_EQ(std::filesystem::file_size(output), 12'000'000u) << "the refused cut wrote";
}

TEST_F(SmallDrive, ADriveFilledWhileTheCutRunsGetsItsSpaceBack) {
    const auto source = makeSource(u"clip.mpg", 8'000'000);
    std::uint64_t freeWhenFull = 0;
    sink.duringEvents = [&] {
        std::error_code absent;
        if (freeWhenFull || std::filesystem::file_size(output, absent) < 4'000'000 || absent) return;
        // Another program takes the rest once half the cut is written.
        std::ofstream filler(drive / u"filler", std::ios::binary);
        const std::vector<char> megabyte(1 << 20, 'x');
        while (filler.write(megabyte.data(), static_cast<std::streamsize>(megabyte.size()))) {
        }
        filler.close();
        freeWhenFull = freeBytes() + 1;
    };
    DriveClock usb2(output, {{0, 3e6}});  // a pass after every read
    const CutOutcome outcome = cut(source, 8000, output, &usb2);
    expectFailure(outcome, CutEnd::Write, pathText(output));
    expectReason(outcome, ENOSPC);
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_GE(freeBytes(), freeWhenFull + 4'000'000) << "the partial output's space did not come back";
    const std::vector<std::string> taskbarEnd(indicator.calls.end() - 2, indicator.calls.end());
    EXPECT_EQ(taskbarEnd, (std::vector<std::string>{"C", "F"}));
}
#endif
}  // namespace
}  // namespace tarnvel
