// Drive C: nearly full (scripts/e2e-config.sh full-disk): a cut that cannot
// fit is refused before anything is written, and one that meets a full disk
// on the way gives the space it took back.

#include "configuration.h"
#include "failure.h"

namespace e2e {
namespace {

class FullDisk : public Failure {
protected:
    void SetUp() override {
        if (activeConfiguration() != "full-disk") GTEST_SKIP() << skipNote("full-disk");
    }

    static unsigned long long freeOnC() {
        ULARGE_INTEGER available{};
        if (!GetDiskFreeSpaceExW(L"C:\\", &available, nullptr, nullptr)) return 0;
        return available.QuadPart;
    }

    std::wstring outsideSource(const Bytes& bytes) {
        std::wstring path = outsideDriveC() + L"\\動画クリップ.mpg";
        writeBytes(path, bytes);
        return path;
    }
};

TEST_F(FullDisk, ACutLargerThanTheFreeSpaceIsRefusedUpFront) {
    const unsigned long long free = freeOnC();
    ASSERT_GT(free, 0u);
    ASSERT_LT(free, 64ull << 20) << "C: should be nearly full";
    const auto blocks = static_cast<size_t>(free / 1000 + 1);
    const Bytes bytes = pattern(blocks * 1000, 5);
    const std::wstring source = outsideSource(bytes);
    app.chooseFile(source);

    EXPECT_EQ(app.cut(std::to_string(blocks)), noRoom(kOutputMpg, blocks * 1000, free));
    expectUsable();
    EXPECT_FALSE(exists(kOutputMpg));
    EXPECT_EQ(freeOnC(), free) << "the refused cut took space";

    EXPECT_EQ(app.cut("100"), kDone) << "a cut that fits";
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 100000));
    EXPECT_TRUE(holds(source, bytes));
    removePath(source);
}

// Another program takes all but a few MB of C: while the cut waits for an
// answer to Esc (its first reads are small, so little is written by then):
// the cut fills that rest, its writes fail with ERROR_DISK_FULL, and the
// part written goes again.
TEST_F(FullDisk, ADiskFilledDuringTheCutGetsItsSpaceBack) {
    constexpr unsigned long long kRoomLeft = 6000000;
    const unsigned long long free = freeOnC();
    const auto blocks = static_cast<size_t>(free / 1000 * 3 / 4);
    ASSERT_GT(blocks, kRoomLeft / 1000 + 2000) << "the cut should outgrow the room the filler leaves";
    const Bytes bytes = pattern(blocks * 1000, 6);
    const std::wstring source = outsideSource(bytes);
    app.chooseFile(source);

    app.setSize(std::to_string(blocks));
    app.clickCut();
    PostMessageW(app.main(), WM_KEYDOWN, VK_ESCAPE, 1);
    HWND question = app.waitBox();
    ASSERT_TRUE(exists(kOutputMpg));
    const std::wstring filler = scratch / "filler.bin";
    {
        Handle file(CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
        const Bytes block(4096, 0x55);
        DWORD written = 0;
        while (freeOnC() > kRoomLeft &&
               WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written) {
        }
    }
    const unsigned long long freeAtTheQuestion = freeOnC();
    app.answerBox(question, IDNO);

    expectReport(app.dismissBox(60000), kOutputMpg, ERROR_DISK_FULL);
    expectUsable();
    EXPECT_FALSE(exists(kOutputMpg)) << "the failed cut left its output";
    // The disk-full report says the cut filled the room left; all of it is free again.
    EXPECT_GE(freeOnC(), freeAtTheQuestion) << "the written part's space did not come back";
    removePath(filler);
    EXPECT_EQ(freeOnC(), free);
    EXPECT_TRUE(holds(source, bytes));
    removePath(source);
}

}  // namespace
}  // namespace e2e
