// The main window as it opens, and the keyboard inside it.

#include "fixture.h"

#include <commctrl.h>

#include <cstdlib>
#include <vector>

namespace e2e {
namespace {

using MainWindow = TarnvelTest;

int pixels(int twips) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(twips, dpi, 1440);
}

RECT placeIn(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(MainWindow, IsACentredFixedWindowOfTheDesignedSize) {
    EXPECT_EQ(caption(app.main()), "Tarnvel");
    LONG style = GetWindowLongW(app.main(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0) << std::hex << style;

    RECT client;
    GetClientRect(app.main(), &client);
    EXPECT_EQ(client.right, pixels(4215));
    EXPECT_EQ(client.bottom, pixels(3150));

    RECT window, work;
    GetWindowRect(app.main(), &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 2)
        << "window " << window.left << ".." << window.right << " in " << work.left << ".." << work.right;
    EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 2)
        << "window " << window.top << ".." << window.bottom << " in " << work.top << ".." << work.bottom;
}

TEST_F(MainWindow, ControlsOpenWithTheirTextsInTheirPlaces) {
    struct Row {
        int id;
        const wchar_t* kind;
        const char* text;
        int left, top, width, height;  // twips
    };
    const Row rows[] = {
        {IDC_LABEL1, L"Static", "", 120, 120, 3975, 615},
        {IDC_COMMAND2, L"Button", "ファイル指定", 2640, 780, 1455, 375},
        {IDC_LABEL2, L"Static", "対象ファイルサイズ", 120, 1200, 1935, 255},
        {IDC_LABEL3, L"Static", "", 2400, 1200, 1695, 255},
        {IDC_LABEL4, L"Static", "(指定可能範囲)", 120, 1440, 1575, 255},
        {IDC_LABEL5, L"Static", "", 2640, 1440, 1455, 255},
        {IDC_LABEL6, L"Static", "作成ファイルサイズ指定", 120, 1920, 2175, 255},
        {IDC_TEXT1, L"Edit", "", 1680, 2200, 1095, 285},
        {IDC_LABEL7, L"Static", "×1000Byte", 2880, 2235, 1215, 255},
        {IDC_COMMAND1, L"Button", "Cut開始", 2880, 2520, 1215, 375},
        {IDC_PROGRESSBAR1, PROGRESS_CLASSW, "", 0, 2880, 4215, 255},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("control " + std::to_string(row.id));
        HWND control = app.control(row.id);
        wchar_t kind[64] = {};
        GetClassNameW(control, kind, 64);
        EXPECT_EQ(utf8(kind), utf8(row.kind));
        if (row.id != IDC_PROGRESSBAR1) {
            EXPECT_EQ(text(control), row.text);
        }
        RECT at = placeIn(app.main(), control);
        EXPECT_NEAR(at.left, pixels(row.left), 1);
        EXPECT_NEAR(at.top, pixels(row.top), 1);
        EXPECT_NEAR(at.right - at.left, pixels(row.width), 1);
        EXPECT_NEAR(at.bottom - at.top, pixels(row.height), 1);
    }
}

TEST_F(MainWindow, ProgressBarStartsEmptyOnOneToHundred) {
    EXPECT_EQ(app.barLow(), 1 * kScale);
    EXPECT_EQ(app.barHigh(), 100 * kScale);
    EXPECT_EQ(app.barPos(), 1 * kScale);
}

TEST_F(MainWindow, TabVisitsChooseFileThenSizeThenStartCut) {
    const HWND order[] = {app.control(IDC_COMMAND2), app.control(IDC_TEXT1), app.control(IDC_COMMAND1)};
    std::vector<HWND> stops;
    for (HWND w = GetWindow(app.main(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindowLongW(w, GWL_STYLE) & WS_TABSTOP) stops.push_back(w);
    EXPECT_EQ(stops, std::vector<HWND>(std::begin(order), std::end(order)));

    ASSERT_TRUE(waitUntil([&] { return focusOf(app.main()) == order[0]; }, 2000))
        << "focus starts on control " << GetDlgCtrlID(focusOf(app.main()));
    for (int step = 1; step <= 3; ++step) {
        HWND expected = order[step % 3];
        PostMessageW(focusOf(app.main()), WM_KEYDOWN, VK_TAB, 1);
        EXPECT_TRUE(waitUntil([&] { return focusOf(app.main()) == expected; }, 2000))
            << "after " << step << " Tab presses the focus is on control " << GetDlgCtrlID(focusOf(app.main()));
        // Away from the push buttons, Cut開始 is the default one.
        if (step == 1) {
            EXPECT_TRUE(waitUntil(
                [&] { return (GetWindowLongW(order[2], GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }, 2000));
        }
    }
}

TEST_F(MainWindow, EnterInTheSizeFieldStartsTheCut) {
    const Bytes bytes = pattern(5000);
    const std::wstring source = writeSource("動画クリップ.mpg", bytes);
    app.chooseFile(source);
    app.setSize("3");
    // A key goes where the focus is; after the open dialog that is ファイル指定.
    PostMessageW(focusOf(app.main()), WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(waitUntil([&] { return focusOf(app.main()) == app.control(IDC_TEXT1); }, 2000));
    PostMessageW(app.control(IDC_TEXT1), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(app.dismissBox(), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 3000));
    EXPECT_TRUE(holds(source, bytes));
}

void putOnClipboard(const wchar_t* value) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    size_t bytes = (wcslen(value) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), value, bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

std::string clipboardText() {
    std::string value;
    if (!OpenClipboard(nullptr)) return "(clipboard busy)";
    if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
        value = utf8(static_cast<const wchar_t*>(GlobalLock(memory)));
        GlobalUnlock(memory);
    }
    CloseClipboard();
    return value;
}

TEST_F(MainWindow, SizeFieldTakesOnlyTypedDigitsAndBackspace) {
    // Each case types `before`, optionally selects it all, types `key`, puts
    // the caret at the end and types '3': the trailing 3 shows that the key
    // has been handled, and a selection makes Ctrl+C and Ctrl+X observable.
    struct Case {
        const char* name;
        const wchar_t* before;
        bool selectAll;
        wchar_t key;
        const char* expected;
    };
    const Case cases[] = {
        {"digits", L"0123456789", false, L'4', "012345678943"},
        {"backspace", L"12", false, L'\b', "13"},
        {"letter", L"12", false, L'a', "123"},
        {"capital", L"12", false, L'E', "123"},
        {"minus", L"12", false, L'-', "123"},
        {"full stop", L"12", false, L'.', "123"},
        {"space", L"12", false, L' ', "123"},
        {"fullwidth digit", L"12", false, L'\xFF17', "123"},
        {"Ctrl+C", L"12", true, 3, "123"},
        {"Ctrl+V", L"12", false, 22, "123"},
        {"Ctrl+X", L"12", true, 24, "123"},
        {"Ctrl+Z", L"12", false, 26, "123"},
    };
    HWND field = app.control(IDC_TEXT1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        putOnClipboard(L"99");
        app.setSize("");
        for (const wchar_t* p = c.before; *p; ++p) PostMessageW(field, WM_CHAR, *p, 1);
        if (c.selectAll) PostMessageW(field, EM_SETSEL, 0, -1);
        PostMessageW(field, WM_CHAR, c.key, 1);
        PostMessageW(field, EM_SETSEL, 0x7FFF, 0x7FFF);
        PostMessageW(field, WM_CHAR, L'3', 1);
        waitUntil([&] { return text(field) == c.expected; }, 1500);
        EXPECT_EQ(text(field), c.expected);
        EXPECT_EQ(clipboardText(), "99");
    }
}

}  // namespace
}  // namespace e2e
