// The menu's two commands, and the version record of the executable.

#include <cwctype>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "configuration.h"
#include "fixture.h"
#include "layout.h"
#include "planted_dlls.h"

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

// A window of another process than Tarnvel's with readme in its title.
HWND findReadmeEditor(DWORD tarnvelPid) {
    return findTopLevelWhere([&](HWND w) {
        if (processOf(w) == tarnvelPid) return false;
        std::wstring title = wide(caption(w));
        for (auto& c : title) c = static_cast<wchar_t>(std::towlower(c));
        return title.find(L"readme") != std::wstring::npos;
    });
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

std::wstring besideThisProgram(const wchar_t* name) {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

void copyFile(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + utf8(from) + ", error " + std::to_string(GetLastError()));
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

// Tarnvel.exe in Downloads among DLLs that something left there under the
// names of system DLLs: mpr.dll, which the program once imported, and those
// the system's own code loads by name while the program runs. Windows always
// looks beside the program first for a DLL that is no KnownDLL; Wine does so
// only for names set native-first (scripts/e2e-config.sh planted-dlls).
const char* const kPlantedDlls[] = {PLANTED_DLL_NAMES};

class PlantedDlls : public ::testing::Test {
protected:
    void SetUp() override {
        if (runningUnderWine() && activeConfiguration() != "planted-dlls") GTEST_SKIP() << skipNote("planted-dlls");
        const std::wstring& exe = tarnvelExe();
        copyFile(exe, scratch / "Tarnvel.exe");
        copyFile(exe.substr(0, exe.find_last_of(L'\\') + 1) + L"readme.txt", scratch / "readme.txt");
        for (const char* name : kPlantedDlls) copyFile(besideThisProgram(L"planted.dll"), scratch / name);
    }

    Scratch scratch;
};

TEST_F(PlantedDlls, NoneIsLoadedFromStartThroughTheDialogCutAboutAndReadmeToClose) {
    const Bytes bytes = pattern(3000, 9);
    const std::wstring source = scratch / "動画クリップ.mpg";
    writeBytes(source, bytes);
    {
        App app{App::Start{.exe = scratch / "Tarnvel.exe"}};
        app.chooseFile(source);
        EXPECT_EQ(app.cut("2"), kDone);
        EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 2000));

        app.pickMenuItem(1);
        HWND about = nullptr;
        waitUntil([&] { return (about = findTopLevel(app.pid(), TARNVEL_ABOUT_CLASS)) != nullptr; }, kWaitMs);
        ASSERT_TRUE(about) << "no About window";
        PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(app.main()) != FALSE; }, kWaitMs));

        EditorWindow editor;
        app.pickMenuItem(0);
        waitUntil([&] { return (editor.window = findReadmeEditor(app.pid())) != nullptr; }, 15000);
        EXPECT_TRUE(editor.window) << "no editor window with readme in its title";

        PostMessageW(app.main(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(app.waitExit(kWaitMs)) << "the program did not close";
    }
    for (const char* name : kPlantedDlls)
        EXPECT_FALSE(exists(scratch / (std::string(name) + ".loaded"))) << "the " << name << " beside the program ran";
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
