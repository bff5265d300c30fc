// Sources deeper than MAX_PATH. Windows makes and opens them only through
// \\?\ unless long paths are enabled system-wide, so the test makes them that
// way; Wine accepts them either way, so here only the way through is proven.

#include "fixture.h"

namespace e2e {
namespace {

const std::wstring kExtended = L"\\\\?\\";

class LongPath : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring folder = scratch.path();
        while (folder.size() < 300) {
            folder += L"\\" + std::wstring(60, L'深');
            ASSERT_TRUE(CreateDirectoryW((kExtended + folder).c_str(), nullptr)) << GetLastError();
            folders.push_back(folder);
        }
        source = folder + L"\\長い.mpg";
        writeBytes(kExtended + source, bytes);
    }

    // Scratch's own clean-up does not reach this deep on Windows.
    void TearDown() override {
        DeleteFileW((kExtended + source).c_str());
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
            RemoveDirectoryW((kExtended + *folder).c_str());
    }

    void expectChosen(const App& app) const {
        EXPECT_EQ(app.text(IDC_LABEL1), utf8(source)) << "the path as the user knows it";
        EXPECT_EQ(app.text(IDC_LABEL3), "7999Byte");
        EXPECT_EQ(app.text(IDC_LABEL5), "2～7");
    }

    Scratch scratch;
    std::vector<std::wstring> folders;
    std::wstring source;
    const Bytes bytes = pattern(7999, 6);
};

TEST_F(LongPath, ChosenOnTheCommandLineMeasuredAndCut) {
    ASSERT_GT(source.size(), 300u);
    App app({.arguments = {source, L"--size=7"}});
    expectChosen(app);
    EXPECT_FALSE(app.findBox());
    EXPECT_EQ(app.cut("7"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 7000));
    EXPECT_TRUE(holds(kExtended + source, bytes));
}

TEST_F(LongPath, DroppedMeasuredAndCutAndTheDialogStillOpensAfterIt) {
    App app;
    app.dropFiles({source});
    expectChosen(app);
    // Where the dialog cannot start from so long a name, it starts empty.
    const std::string startName = app.fileDialogStartName();
    EXPECT_TRUE(startName.empty() || startName == "長い.mpg") << startName;
    expectChosen(app);
    EXPECT_EQ(app.cut("7"), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 7000));
}

}  // namespace
}  // namespace e2e
