#include "failure.h"
#include "drive_letter.h"

namespace e2e {
namespace {

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
        const Box box = app.cut("5");
        expectReport(box, kOutputMpg, ERROR_SHARING_VIOLATION);
        EXPECT_NE(box.text.find(kCloseTheOtherProgram), std::string::npos) << box.text;
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

// The same file under another drive letter must be recognised too: opening
// the output would truncate the very file being read.
TEST_F(Failure, SourceIsTheOutputThroughAnotherDriveLetter) {
    const Bytes bytes = pattern(5000, 11);
    writeBytes(kOutputMpg, bytes);
    const SecondLetterForC second(L"tarnvel.mpg");
    ASSERT_FALSE(second.letter().empty()) << "no second drive letter shows C:\\";
    const std::wstring alias = second.letter() + L"\\tarnvel.mpg";
    app.chooseFile(alias);

    Box box = app.cut("3");
    EXPECT_EQ(box.caption, "エラー") << "choosing " << utf8(alias) << " answered: " << box.text;
    EXPECT_TRUE(box.icon);
    expectUsable();
    EXPECT_TRUE(holds(kOutputMpg, bytes)) << "after the answer: " << box.text;
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
