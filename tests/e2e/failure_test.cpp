// Cuts that cannot be done: each is reported and leaves the window usable.

#include "fixture.h"

namespace e2e {
namespace {

class Failure : public TarnvelTest {
protected:
    static std::string systemReason(DWORD error) {
        wchar_t* buffer = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        std::wstring reason = buffer ? buffer : L"";
        LocalFree(buffer);
        while (!reason.empty() && wcschr(L"\r\n .", reason.back())) reason.pop_back();
        return utf8(reason);
    }

    static void expectReport(const Box& box, const std::wstring& file, DWORD error) {
        EXPECT_EQ(box.caption, "エラー");
        EXPECT_TRUE(box.icon);
        EXPECT_NE(box.text.find(utf8(file)), std::string::npos) << box.text << "\nshould name " << utf8(file);
        EXPECT_NE(box.text.find(systemReason(error)), std::string::npos)
            << box.text << "\nshould give the reason " << systemReason(error);
    }

    void expectUsable() {
        EXPECT_TRUE(app.enabled(IDC_COMMAND1));
        EXPECT_TRUE(app.enabled(IDC_COMMAND2));
        EXPECT_EQ(app.barPos(), 1 * kScale);
        EXPECT_FALSE(app.findBox()) << "a second box followed the report";
    }
};

TEST_F(Failure, OutputHeldOpenByAnotherProgram) {
    const Bytes bytes = pattern(9000);
    const std::wstring source = writeSource("動画クリップ.mpg", bytes);
    const Bytes earlier = pattern(100, 7);
    writeBytes(kOutputMpg, earlier);
    app.chooseFile(source);

    {
        Handle lock(CreateFileW(kOutputMpg.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
        expectReport(app.cut("5"), kOutputMpg, ERROR_SHARING_VIOLATION);
        expectUsable();
    }
    EXPECT_TRUE(holds(kOutputMpg, earlier));

    EXPECT_EQ(app.cut("5"), kDone) << "once the file is free again";
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 5000));
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(Failure, OutputFolderMissing) {
    // No extension: the last four characters "x\ab" make C:\tarnvel.x\ab.
    CreateDirectoryW((scratch / "素材x").c_str(), nullptr);
    const Bytes bytes = pattern(5000);
    const std::wstring source = writeSource("素材x\\ab", bytes);
    app.chooseFile(source);

    expectReport(app.cut("3"), L"C:\\tarnvel.x\\ab", ERROR_PATH_NOT_FOUND);
    expectUsable();
    EXPECT_FALSE(exists(L"C:\\tarnvel.x"));
    EXPECT_TRUE(holds(source, bytes));
}

TEST_F(Failure, SourceIsTheOutputItself) {
    const Bytes bytes = pattern(5000);
    writeBytes(kOutputMpg, bytes);
    app.chooseFile(L"C:\\TARNVEL.MPG");

    Box box = app.cut("3");
    EXPECT_EQ(box.caption, "エラー");
    EXPECT_TRUE(box.icon);
    expectUsable();
    EXPECT_TRUE(holds(kOutputMpg, bytes));
}

TEST_F(Failure, SourceGoneBeforeTheCut) {
    const Bytes bytes = pattern(5000);
    const std::wstring source = writeSource("動画クリップ.mpg", bytes);
    app.chooseFile(source);
    removePath(source);
    const Bytes earlier = pattern(100, 7);
    writeBytes(kOutputMpg, earlier);

    expectReport(app.cut("3"), source, ERROR_FILE_NOT_FOUND);
    expectUsable();
    EXPECT_TRUE(holds(kOutputMpg, earlier)) << "the source is opened before the output";
}

TEST_F(Failure, SourceShrankBelowTheCut) {
    const std::wstring source = writeSource("動画クリップ.mpg", pattern(10000));
    app.chooseFile(source);
    const Bytes shrunk = pattern(4500);
    writeBytes(source, shrunk);

    Box box = app.cut("8");
    EXPECT_EQ(box.caption, "エラー");
    EXPECT_TRUE(box.icon);
    expectUsable();
    // Whatever was written came from the source: nothing padded, nothing made up.
    Bytes written = exists(kOutputMpg) ? readBytes(kOutputMpg) : Bytes{};
    ASSERT_LE(written.size(), shrunk.size());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), shrunk.begin()));
    EXPECT_TRUE(holds(source, shrunk));
}

}  // namespace
}  // namespace e2e
