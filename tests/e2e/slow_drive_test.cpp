// A source on a slow drive (scripts/e2e-config.sh slow-drive): a NAS over
// Wi-Fi or a USB 2.0 disk. The cut goes at the drive's pace while the window
// answers as if nothing were being read.

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "configuration.h"
#include "failure.h"

namespace e2e {
namespace {

class SlowDrive : public Failure {
protected:
    void SetUp() override {
        if (activeConfiguration() != "slow-drive") GTEST_SKIP() << skipNote("slow-drive");
        bytesPerSecond = std::strtod(std::getenv("TARNVEL_SLOW_BYTES_PER_SECOND"), nullptr);
        ASSERT_GT(bytesPerSecond, 0.0);
        // The one file the drive slows down; its contents are this test's own.
        source = windowsPath(wide(std::getenv("TARNVEL_SLOW_FILE")));
        writeBytes(source, bytes);
        app.chooseFile(source);
    }

    // The longest a WM_NULL waited for its answer, asked again and again
    // until the report shows, and how long that took. The answer that waited
    // for the report's box to be made is the report's, not the cut's.
    struct Answers {
        ULONGLONG worstMs = 0;
        ULONGLONG untilBoxMs = 0;
    };
    Answers answersUntilABox() const {
        Answers answers;
        const ULONGLONG start = GetTickCount64();
        while (GetTickCount64() - start < 60000) {
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

    // Long enough that opening, closing and reporting weigh little against the reads.
    static constexpr size_t kBlocks = 15000;
    const Bytes bytes = pattern(kBlocks * 1000 + 500, 3);
    double bytesPerSecond = 0;
    std::wstring source;
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

}  // namespace
}  // namespace e2e
