// Drive C: nearly full (scripts/e2e-config.sh full-disk): the output cannot
// be written out, and Windows says so with ERROR_DISK_FULL.

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
};

TEST_F(FullDisk, OutputLargerThanTheFreeSpace) {
    const unsigned long long free = freeOnC();
    ASSERT_GT(free, 0u);
    ASSERT_LT(free, 64ull << 20) << "C: should be nearly full";
    // Several times the free space, so neither a cache nor a rounding lets it fit.
    const auto blocks = static_cast<size_t>(free * 3 / 1000 + 1);
    const Bytes bytes = pattern(blocks * 1000, 5);
    const std::wstring source = outsideDriveC() + L"\\動画クリップ.mpg";
    writeBytes(source, bytes);
    app.chooseFile(source);

    const Box box = app.cut(std::to_string(blocks));
    expectReport(box, kOutputMpg, ERROR_DISK_FULL);
    EXPECT_NE(box.text.find(numberedReason(ERROR_DISK_FULL)), std::string::npos)
        << box.text << "\nshould give the reason " << numberedReason(ERROR_DISK_FULL);
    expectUsable();
    EXPECT_FALSE(waitUntil([&] { return app.findBox() != nullptr; }, 1000)) << "a second box followed the report";
    EXPECT_TRUE(holds(source, bytes));
    removePath(source);
}

}  // namespace
}  // namespace e2e
