// The menu's two commands, and the version record of the executable.

#include <cwctype>
#include <vector>

#include "fixture.h"

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

// Ends the editor that the readme command started, whatever the test's outcome.
struct EditorWindow {
    HWND window = nullptr;
    ~EditorWindow() {
        if (!window) return;
        DWORD pid = processOf(window);
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (waitUntil([&] { return !IsWindow(window); }, 5000)) return;
        Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
        if (process.get()) TerminateProcess(process.get(), 0);
    }
};

TEST_F(Menu, ReadmeOpensInTheTextEditorWithoutWaiting) {
    EditorWindow editor;
    app.pickMenuItem(0);
    waitUntil(
        [&] {
            editor.window = findTopLevelWhere([&](HWND w) {
                if (processOf(w) == app.pid()) return false;
                std::wstring title = wide(caption(w));
                for (auto& c : title) c = static_cast<wchar_t>(std::towlower(c));
                return title.find(L"readme") != std::wstring::npos;
            });
            return editor.window != nullptr;
        },
        15000);
    ASSERT_TRUE(editor.window) << "no editor window with readme in its title";
    EXPECT_TRUE(IsWindowEnabled(app.main()));
    EXPECT_EQ(app.cut(""), kNoFile) << "the main window still answers";
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
