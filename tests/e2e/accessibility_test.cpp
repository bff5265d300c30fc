// The windows as a screen reader and a high-contrast scheme present them.

#include <oleacc.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "fixture.h"
#include "layout.h"

namespace e2e {
namespace {

// A screen reader names an edit field or a progress bar after the static text just before it.
struct Named {
    int id;
    const char* name;
    bool labelShown;
};
const Named kNamed[] = {
    {IDC_TEXT1, "作成ファイルサイズ指定", true},
    {IDC_PROGRESSBAR1, "進行状況", false},
};

std::string className(HWND window) {
    wchar_t kind[64] = {};
    GetClassNameW(window, kind, 64);
    return utf8(kind);
}

using ScreenReader = TarnvelTest;

TEST_F(ScreenReader, FindsEachFieldsNameInTheStaticTextJustBeforeIt) {
    for (const Named& row : kNamed) {
        SCOPED_TRACE(row.name);
        HWND label = GetWindow(app.control(row.id), GW_HWNDPREV);
        ASSERT_TRUE(label) << "nothing comes before control " << row.id;
        EXPECT_EQ(className(label), "Static");
        EXPECT_EQ(text(label), row.name);
        EXPECT_EQ(IsWindowVisible(label) != FALSE, row.labelShown);
    }
}

// What oleacc itself answers, where the system answers across processes at all.
TEST_F(ScreenReader, HearsTheNamesFromTheAccessibilityInterface) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    std::vector<std::string> names;
    for (const Named& row : kNamed) {
        IAccessible* object = nullptr;
        std::string name;
        if (AccessibleObjectFromWindow(app.control(row.id), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                       reinterpret_cast<void**>(&object)) == S_OK) {
            VARIANT self;
            VariantInit(&self);
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            BSTR answer = nullptr;
            if (object->get_accName(self, &answer) == S_OK && answer) name = utf8(answer);
            SysFreeString(answer);
            object->Release();
        }
        names.push_back(name);
    }
    CoUninitialize();
    if (runningUnderWine() && names == std::vector<std::string>(names.size()))
        GTEST_SKIP() << "Wine's oleacc names neither control";
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], kNamed[i].name) << "control " << kNamed[i].id;
}

// A black face with white text, as High Contrast Black has it, for the whole
// desktop; the colours before are back when it goes, whatever the outcome.
class HighContrastColours {
public:
    HighContrastColours() {
        for (size_t i = 0; i < std::size(kElements); ++i) saved_[i] = GetSysColor(kElements[i]);
        SetSysColors(static_cast<int>(std::size(kElements)), kElements, kColours);
    }
    ~HighContrastColours() { SetSysColors(static_cast<int>(std::size(kElements)), kElements, saved_); }
    HighContrastColours(const HighContrastColours&) = delete;
    HighContrastColours& operator=(const HighContrastColours&) = delete;

    static constexpr DWORD kFace = 0x000000;

private:
    static constexpr int kElements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT};
    static constexpr COLORREF kColours[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255)};
    COLORREF saved_[std::size(kElements)] = {};
};

// The control's client area as the screen shows it: its most common colour,
// the face, and how many pixels differ from that. A button's edges are left out.
struct Seen {
    DWORD face = 0;  // 0x00RRGGBB
    int ink = 0;
};
Seen seenOnScreen(HWND control, int inset) {
    RECT area{};
    GetClientRect(control, &area);
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&area), 2);
    InflateRect(&area, -inset, -inset);
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    std::map<DWORD, int> counts;
    const auto* pixel = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) ++counts[pixel[i] & 0xFFFFFF];
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const auto face = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return {face->first, width * height - face->second};
}

// Wine hands a program the colours there were when it started, so they are set first.
class HighContrast : public ::testing::Test {
protected:
    HighContrastColours colours;
    Scratch scratch;
    App app;
};

TEST_F(HighContrast, EveryTextOfBothWindowsShowsAgainstABlackFace) {
    struct Shown {
        bool inAbout;
        int id;
    };
    const Shown texts[] = {
        {false, IDC_LABEL1},        {false, IDC_COMMAND2},    {false, IDC_LABEL2},  {false, IDC_LABEL3},
        {false, IDC_LABEL4},        {false, IDC_LABEL5},      {false, IDC_LABEL6},  {false, IDC_TEXT1},
        {false, IDC_LABEL7},        {false, IDC_COMMAND1},    {true, IDC_LBLTITLE}, {true, IDC_LBLVERSION},
        {true, IDC_LBLDESCRIPTION}, {true, IDC_ABOUT_LABEL1}, {true, IDOK},
    };
    // Every label holds a text: the size and range appear once a file is chosen.
    const std::wstring source = scratch / "clip.mpg";
    writeBytes(source, pattern(5000));
    app.dropFiles({source});
    app.setSize("3");
    HWND about = nullptr;
    for (const Shown& row : texts) {
        if (row.inAbout && !about) {
            // It covers the middle of the main window, so it opens only once that has been read.
            app.pickMenuItem(1);
            ASSERT_TRUE(
                waitUntil([&] { return (about = findTopLevel(app.pid(), TARNVEL_ABOUT_CLASS)) != nullptr; }, kWaitMs));
        }
        HWND window = row.inAbout ? about : app.main();
        // The screen may still show what lay there before: the window paints itself and its controls first.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HWND control = GetDlgItem(window, row.id);
        SCOPED_TRACE("control " + std::to_string(row.id) + " " + text(control));
        ASSERT_TRUE(control);
        // Wine draws buttons in its own theme, whatever the colours; Windows in the scheme's.
        const bool button = className(control) == "Button";
        const Seen seen = seenOnScreen(control, button ? pixels(90, windowDpi(control)) : 0);
        EXPECT_GE(seen.ink, 8) << "the text does not show on its face";
        if (!button) {
            EXPECT_EQ(seen.face, HighContrastColours::kFace) << std::hex << "face " << seen.face;
        }
    }
    if (about) PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
}

}  // namespace
}  // namespace e2e
