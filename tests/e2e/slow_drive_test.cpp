// A source on a slow drive (scripts/e2e-config.sh slow-drive): a NAS over
// Wi-Fi or a USB 2.0 disk; and on a far share (far-share), whose every read
// first pays a round trip; and both with the head of the file in the cache
// (cached-far-share, cached-slow-drive). The cut goes at the drive's pace
// while the window answers as if nothing were being read.

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "configuration.h"
#include "failure.h"

namespace e2e {
namespace {

// The one file the preload library slows down, at the rate and round trip it
// was given; its contents are the test's own, so it never has to read them.
class PacedSource : public Failure {
protected:
    PacedSource(const char* configuration, size_t blocks)
        : configuration_(configuration), blocks_(blocks), bytes(pattern(blocks * 1000 + 500, 3)) {}

    void SetUp() override {
        if (activeConfiguration() != configuration_) GTEST_SKIP() << skipNote(configuration_);
        bytesPerSecond = std::strtod(std::getenv("TARNVEL_SLOW_BYTES_PER_SECOND"), nullptr);
        ASSERT_GT(bytesPerSecond, 0.0);
        roundTripMs = number("TARNVEL_SLOW_ROUND_TRIP_MS");
        cachedBytes = number("TARNVEL_SLOW_CACHED_BYTES");
        jitterMs = number("TARNVEL_SLOW_JITTER_MS");
        source = windowsPath(wide(std::getenv("TARNVEL_SLOW_FILE")));
        writeBytes(source, bytes);
        app.chooseFile(source);
    }

    // The longest a WM_NULL waited for its answer, asked again and again
    // until the report shows or the limit passes, and how long that took. The
    // answer that waited for the report's box to be made is the report's, not
    // the cut's.
    struct Answers {
        ULONGLONG worstMs = 0;
        ULONGLONG untilBoxMs = 0;
    };
    Answers answersUntilABox(ULONGLONG limitMs = 60000) const {
        Answers answers;
        const ULONGLONG start = GetTickCount64();
        while (GetTickCount64() - start < limitMs) {
            const ULONGLONG asked = GetTickCount64();
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(app.main(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
            const ULONGLONG waited = GetTickCount64() - asked;
            if (app.findBox()) break;
            answers.worstMs = std::max(answers.worstMs, waited);
            Sleep(10);
        }
        answers.untilBoxMs = GetTickCount64() - start;
        return answers;
    }

    // What reading the cut 4,096,000 bytes at a time would take from this
    // drive: a read that ends within the cache is free, one past it pays a
    // round trip and its bytes beyond. A round trip drawn below zero counts
    // as none, so jitter beyond the round trip lengthens it on average.
    double fourMegabyteReadsMs() const {
        const double cutBytes = static_cast<double>(blocks_ * 1000);
        const double meanRoundTripMs = jitterMs <= roundTripMs
                                           ? roundTripMs
                                           : (roundTripMs + jitterMs) * (roundTripMs + jitterMs) / (4 * jitterMs);
        double ms = 0;
        for (double at = 0; at < cutBytes; at += 4096000) {
            const double end = std::min(at + 4096000, cutBytes);
            if (end > cachedBytes) ms += meanRoundTripMs + (end - std::max(at, cachedBytes)) / bytesPerSecond * 1000;
        }
        return ms;
    }

    // The cut keeps at least 70 % of the rate of 4 MB reads, every WM_NULL is
    // answered within 250 ms, and the output is the head. Reads of a block each
    // could take many minutes; twice the allowance tells enough.
    void expectTheRateOfLargeReads() {
        const double allowedMs = fourMegabyteReadsMs() / 0.7;
        app.setSize(std::to_string(blocks_));
        app.clickCut();
        const auto limitMs = static_cast<ULONGLONG>(2 * allowedMs);
        const Answers answers = answersUntilABox(limitMs);
        std::printf("slowest answer %llu ms; cut %llu ms, in 4 MB reads %.0f ms\n", answers.worstMs, answers.untilBoxMs,
                    fourMegabyteReadsMs());
        ASSERT_TRUE(app.findBox()) << "no report within " << limitMs << " ms";
        EXPECT_EQ(app.dismissBox(), kDone);
        EXPECT_LE(answers.worstMs, 250u) << "the window stood still while the source was read";
        EXPECT_LE(static_cast<double>(answers.untilBoxMs), allowedMs) << "below 70 % of the rate of 4 MB reads";
        EXPECT_TRUE(holdsHead(kOutputMpg, bytes, blocks_ * 1000));
    }

    const char* configuration_;
    const size_t blocks_;
    const Bytes bytes;
    double bytesPerSecond = 0;
    double roundTripMs = 0;
    double cachedBytes = 0;
    double jitterMs = 0;
    std::wstring source;

private:
    static double number(const char* name) {
        const char* text = std::getenv(name);
        return text ? std::strtod(text, nullptr) : 0.0;
    }
};

class SlowDrive : public PacedSource {
protected:
    // Long enough that opening, closing and reporting weigh little against the reads.
    static constexpr size_t kBlocks = 15000;
    SlowDrive() : PacedSource("slow-drive", kBlocks) {}
};

TEST_F(SlowDrive, TheWindowAnswersThroughoutAndTheCutKeepsTheDrivesPace) {
    app.setSize(std::to_string(kBlocks));
    app.clickCut();
    const Answers answers = answersUntilABox();
    EXPECT_EQ(app.dismissBox(), kDone);
    EXPECT_LE(answers.worstMs, 100u) << "the window stood still while the source was read";
    const double driveMs = static_cast<double>(kBlocks * 1000) / bytesPerSecond * 1000;
    std::printf("slowest answer %llu ms; cut %llu ms, the drive's own %.0f ms\n", answers.worstMs, answers.untilBoxMs,
                driveMs);
    EXPECT_NEAR(static_cast<double>(answers.untilBoxMs), driveMs, driveMs * 0.3);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, kBlocks * 1000));
}

TEST_F(SlowDrive, EscAsksAtOnceAndYesStopsWithinASecond) {
    app.setSize(std::to_string(kBlocks));
    app.clickCut();
    ASSERT_TRUE(waitUntil([&] { return app.barPos() > 1 * kScale; }, kWaitMs)) << "the cut did not get under way";
    // Past the burst of blocks that a read brings, into the next read.
    Sleep(200);

    const ULONGLONG pressed = GetTickCount64();
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    HWND question = app.waitBox();
    EXPECT_LE(GetTickCount64() - pressed, 300u) << "Esc waited for the read";
    EXPECT_EQ(app.readBox(question), stopQuestion(kOutputMpg));

    const ULONGLONG answered = GetTickCount64();
    app.answerBox(question, IDYES);
    app.waitBox();
    EXPECT_LE(GetTickCount64() - answered, 1000u) << "the stop waited for the read";
    EXPECT_EQ(app.dismissBox(), cutStopped(kOutputMpg));
    expectUsable();
    EXPECT_FALSE(present(kOutputMpg));
}

// Round trips weigh on small reads only: 4 MB reads would pay 13 of them, 0.26 s
// against the 5 s the bytes take at 10 MB/s.
class FarShare : public PacedSource {
protected:
    static constexpr size_t kBlocks = 50000;
    FarShare() : PacedSource("far-share", kBlocks) {}
};

// Reads of a block each would take 1000 s here.
TEST_F(FarShare, TheCutKeepsMostOfTheRateOfLargeReadsAndTheWindowAnswers) {
    ASSERT_GE(roundTripMs, 20.0);
    expectTheRateOfLargeReads();
}

// A second cut of a file on a far share: its first 100 KB come at once from
// the cache, the rest across round trips of 20 to 50 ms. Reads sized by the
// cached ones meet the first round trip unprepared.
class CachedFarShare : public PacedSource {
protected:
    static constexpr size_t kBlocks = 50000;
    CachedFarShare() : PacedSource("cached-far-share", kBlocks) {}
};

TEST_F(CachedFarShare, TheCutKeepsMostOfTheRateOfLargeReadsPastTheCache) {
    ASSERT_GT(cachedBytes, 0.0);
    ASSERT_GT(jitterMs, 0.0);
    expectTheRateOfLargeReads();
}

// A second cut of a file on a 3 MB/s drive: its first 20 MiB come at once
// from the cache, and the first read past it is sized by reads from memory:
// at 4 MB, as they once grew, it would hold the window for 1.37 s.
class CachedSlowDrive : public PacedSource {
protected:
    static constexpr size_t kBlocks = 30000;
    CachedSlowDrive() : PacedSource("cached-slow-drive", kBlocks) {}
};

TEST_F(CachedSlowDrive, TheWindowAnswersWhenTheReadsLeaveTheCache) {
    ASSERT_GT(cachedBytes, 0.0);
    expectTheRateOfLargeReads();
}

}  // namespace
}  // namespace e2e
