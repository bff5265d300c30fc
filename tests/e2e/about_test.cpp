// The menu's two commands, and the version record of the executable.

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "fixture.h"
#include "layout.h"
#include "readme_editor.h"

namespace e2e {
namespace {

class Menu : public TarnvelTest {
protected:
    HWND openAbout() {
        app.pickMenuItem(1);
        HWND about = nullptr;
        waitUntil([&] { return (about = findTopLevel(app.pid(), TARNVEL_ABOUT_CLASS)) != nullptr; }, kWaitMs);
        return about;
    }
};

TEST_F(Menu, AboutShowsTitleVersionAndAuthorAndHoldsTheMainWindow) {
    HWND about = openAbout();
    ASSERT_TRUE(about) << "no About window";
    EXPECT_EQ(caption(about), "ﾊﾞｰｼﾞｮﾝ情報");
    struct Row {
        int id;
        const char* text;
    };
    const Row rows[] = {
        {IDC_LBLTITLE, "Tarnvel"},
        {IDC_LBLVERSION, "Version 1.00"},
        {IDC_LBLDESCRIPTION, "Orvane's ソフト"},
        {IDC_ABOUT_LABEL1, "著作者\u3000Orvane"},
        {IDOK, "OK"},
    };
    for (const Row& row : rows) EXPECT_EQ(text(GetDlgItem(about, row.id)), row.text) << "control " << row.id;
    HWND picture = GetDlgItem(about, IDC_PICICON);
    ASSERT_TRUE(picture);
    EXPECT_NE(send(picture, STM_GETICON), 0) << "the picture box shows no icon";
    EXPECT_FALSE(IsWindowEnabled(app.main()));

    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }, kWaitMs));
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(app.main()) != FALSE; }, kWaitMs));
}

TEST_F(Menu, AboutIsItsDesignedSizeWithItsControlsInPlace) {
    HWND about = openAbout();
    ASSERT_TRUE(about) << "no About window";
    const UINT dpi = windowDpi(about);
    EXPECT_EQ(dpi, windowDpi(app.main())) << "both windows are on one screen";
    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, pixels(3015, dpi)) << dpi << " DPI";
    EXPECT_EQ(client.bottom, pixels(1695, dpi)) << dpi << " DPI";
    const ControlPlace rows[] = {
        {IDOK, L"Button", nullptr, 1800, 1320, 1140, 345},
        {IDC_PICICON, L"Static", nullptr, 120, 120, 540, 540},
        {IDC_LBLDESCRIPTION, L"Static", nullptr, 960, 720, 1845, 285, &kWindowFont},
        {IDC_LBLTITLE, L"Static", nullptr, 960, 120, 1965, 360, &kAboutTitleFont},
        {IDC_LBLVERSION, L"Static", nullptr, 960, 480, 1485, 225, &kWindowFont},
        {IDC_ABOUT_LABEL1, L"Static", nullptr, 840, 1080, 1575, 255, &kAboutSmallFont},
    };
    expectControlsInPlace(about, rows, std::size(rows));
    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }, kWaitMs));
}

TEST_F(Menu, AboutClosesOnOkEnterAndEscAndOpensAgain) {
    struct Way {
        const char* name;
        UINT message;
        WPARAM key;
    };
    const Way ways[] = {{"OK", BM_CLICK, 0}, {"Enter", WM_KEYDOWN, VK_RETURN}, {"Esc", WM_KEYDOWN, VK_ESCAPE}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        HWND about = openAbout();
        ASSERT_TRUE(about) << "no About window";
        HWND ok = GetDlgItem(about, IDOK);
        ASSERT_TRUE(waitUntil([&] { return focusOf(about) == ok; }, kWaitMs)) << "OK does not have the focus";
        PostMessageW(ok, way.message, way.key, 1);
        EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }, kWaitMs)) << "About stayed open";
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(app.main()) != FALSE; }, kWaitMs));
    }
}

TEST_F(Menu, ReadmeOpensInTheTextEditorWithoutWaiting) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"menu", [&] { app.pickMenuItem(0); }},
        {"F1", [&] { PostMessageW(app.control(IDC_COMMAND2), WM_KEYDOWN, VK_F1, 1); }},
    };
    for (const auto& [name, open] : ways) {
        SCOPED_TRACE(name);
        EditorWindow editor;
        open();
        waitUntil([&] { return (editor.window = findReadmeEditor(app.pid())) != nullptr; }, 15000);
        ASSERT_TRUE(editor.window) << "no editor window with readme in its title";
        EXPECT_TRUE(IsWindowEnabled(app.main()));
        EXPECT_EQ(app.cut(""), kNoFile) << "the main window still answers";
    }
}

// Tarnvel.exe and its readme.txt as a user keeps them in Downloads, where a
// notepad.exe that only leaves a marker file happens to lie too.
class ReadmeBesideAnotherNotepad : public ::testing::Test {
protected:
    static std::wstring placeProgram(const Scratch& scratch) {
        const std::wstring& exe = tarnvelExe();
        const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
        copyFile(exe, scratch / "Tarnvel.exe");
        copyFile(folder + L"readme.txt", scratch / "readme.txt");
        copyFile(besideThisProgram(L"fake_editor.exe"), scratch / "notepad.exe");
        return scratch / "Tarnvel.exe";
    }

    Scratch scratch;
    App app{App::Start{.exe = placeProgram(scratch)}};
};

TEST_F(ReadmeBesideAnotherNotepad, OpensInTheSystemsEditorNeverInTheOneBesideTheProgram) {
    const std::wstring marker = scratch / "fake-editor-ran.txt";
    EditorWindow editor;
    app.pickMenuItem(0);
    waitUntil([&] { return exists(marker) || (editor.window = findReadmeEditor(app.pid())) != nullptr; }, 15000);
    EXPECT_FALSE(exists(marker)) << "the notepad.exe in " << utf8(scratch.path()) << " ran";
    EXPECT_TRUE(editor.window) << "no editor window with readme in its title";
    EXPECT_FALSE(app.findBox()) << "an error box instead of the editor";
}

TEST(VersionRecord, NamesTheProgramInJapaneseUnicode) {
    const std::wstring& exe = tarnvelExe();
    DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
    ASSERT_NE(size, 0u) << "no version record in " << utf8(exe);
    std::vector<char> record(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, record.data()));

    struct Row {
        const wchar_t* name;
        const char* value;
    };
    const Row rows[] = {
        {L"ProductName", "Tarnvel"},   {L"InternalName", "Tarnvel"},     {L"OriginalFilename", "Tarnvel.exe"},
        {L"FileVersion", "0.00.0001"}, {L"ProductVersion", "0.00.0001"},
    };
    for (const Row& row : rows) {
        std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + row.name;
        wchar_t* value = nullptr;
        UINT length = 0;
        bool found = VerQueryValueW(record.data(), key.c_str(), reinterpret_cast<void**>(&value), &length);
        EXPECT_EQ(found ? utf8(value) : "", row.value) << utf8(row.name);
    }
}

}  // namespace
}  // namespace e2e
