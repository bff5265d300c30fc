// Drive C: as a standard user meets it on Windows: nothing new can be created
// in its root, and a read-only file stays unwritten. Wine running as root
// allows both, so these prove that scripts/e2e-config.sh root-not-writable
// took effect before its other suites are believed.

#include <gtest/gtest.h>

#include "configuration.h"
#include "driver.h"

namespace e2e {
namespace {

const wchar_t kEarlierOutput[] = L"C:\\tarnvel.old";

class RootNotWritable : public ::testing::Test {
protected:
    void SetUp() override {
        if (activeConfiguration() != "root-not-writable") GTEST_SKIP() << skipNote("root-not-writable");
    }

    // The handle and the error it left, read before anything else runs.
    static std::pair<HANDLE, DWORD> openForWriting(const wchar_t* path, DWORD disposition) {
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        return {file, file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS};
    }
};

TEST_F(RootNotWritable, NewFileInTheRootIsDenied) {
    const wchar_t probe[] = L"C:\\tarnvel-probe.tmp";
    auto [file, error] = openForWriting(probe, CREATE_NEW);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        DeleteFileW(probe);
    }
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(RootNotWritable, ExistingOutputIsWritableUntilMarkedReadOnly) {
    {
        auto [file, error] = openForWriting(kEarlierOutput, OPEN_EXISTING);
        Handle writable(file);
        ASSERT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS)) << "C:\\tarnvel.old should be there, writable";
    }

    ASSERT_TRUE(SetFileAttributesW(kEarlierOutput, FILE_ATTRIBUTE_READONLY)) << GetLastError();
    auto [file, error] = openForWriting(kEarlierOutput, OPEN_EXISTING);
    Handle readOnly(file);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(SetFileAttributesW(kEarlierOutput, FILE_ATTRIBUTE_NORMAL)) << GetLastError();
}

}  // namespace
}  // namespace e2e
