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

std::string unusableExtension(const std::wstring& output) {
    return "作成ファイルの名前が C:\\ の直下のファイル名になりません。\n" + utf8(output) +
           "\n作成ファイルの拡張子には選んだファイルの名前の最後の 3～4 文字を使いますが、"
           "そこに \\ / : * ? \" < > | や制御文字があるか、点か空白で終わっています。\n"
           "ファイル名を .mpg のような拡張子で終わる名前に変えてから、選び直してください。";
}

// A name without an extension gives one that reaches below C:\ : C:\tarnvel.\abc
// is C:\tarnvel\abc once Windows has dropped the dot, and C:\tarnvel.x\ab lies in
// a folder C:\tarnvel.x. Both are refused before anything is opened.
TEST_F(Failure, AnExtensionThatWouldLeaveTheRootIsRefused) {
    struct Folder {
        explicit Folder(const wchar_t* path) : path(path) {
            removePath(path);
            CreateDirectoryW(path, nullptr);
        }
        ~Folder() { removePath(path); }
        std::wstring path;
    } const tarnvelFolder(L"C:\\tarnvel");
    const std::wstring inside = L"C:\\tarnvel\\abc";
    writeBytes(inside, pattern(300, 9));
    CreateDirectoryW((scratch / "素材x").c_str(), nullptr);

    const Bytes bytes = pattern(5000);
    const std::pair<std::string, std::wstring> cases[] = {
        {"abc", L"C:\\tarnvel.\\abc"},
        {"素材x\\ab", L"C:\\tarnvel.x\\ab"},
    };
    for (const auto& [name, output] : cases) {
        SCOPED_TRACE(name);
        const std::wstring source = writeSource(name, bytes);
        app.chooseFile(source);
        EXPECT_EQ(app.cut(""), kNoSize) << "the three checks come first";
        EXPECT_EQ(app.cut("9"), kOutOfRange);
        EXPECT_EQ(app.cut("3"), (Box{"エラー", unusableExtension(output), true}));
        expectUsable();
        EXPECT_TRUE(holds(inside, pattern(300, 9)));
        EXPECT_FALSE(exists(L"C:\\tarnvel.x"));
        EXPECT_TRUE(holds(source, bytes));
    }

    // Renamed as the message asks, the same file is cut.
    const std::wstring renamed = scratch / "abc.mpg";
    ASSERT_TRUE(MoveFileW((scratch / "abc").c_str(), renamed.c_str())) << GetLastError();
    app.chooseFile(renamed);
    EXPECT_EQ(app.cut("3"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 3000));
    EXPECT_TRUE(holds(inside, pattern(300, 9)));
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
    // What was copied stays and is what the message says: a head of the
    // source, its four whole blocks at least, nothing padded or made up.
    ASSERT_TRUE(exists(kOutputMpg)) << "the part copied was not kept";
    const size_t written = readBytes(kOutputMpg).size();
    EXPECT_GE(written, 4000u);
    ASSERT_LE(written, shrunk.size());
    EXPECT_TRUE(holdsHead(kOutputMpg, shrunk, written));
    EXPECT_NE(box.text.find(std::to_string(written) + "Byte だけを"), std::string::npos) << box.text;
    EXPECT_TRUE(holds(source, shrunk));
}

}  // namespace
}  // namespace e2e
