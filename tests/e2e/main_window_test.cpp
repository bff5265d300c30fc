// The main window as it opens, and the keyboard inside it.

#include "fixture.h"
#include "layout.h"

#include <commctrl.h>

#include <cstdlib>
#include <iterator>
#include <vector>

namespace e2e {
namespace {

using MainWindow = TarnvelTest;

TEST_F(MainWindow, OpensAtTheDpiThisRunWasSetUpFor) {
    const UINT expected = expectedDpi();
    if (expected == 0) GTEST_SKIP() << "TARNVEL_E2E_DPI is not set; the window is at " << windowDpi(app.main());
    EXPECT_EQ(windowDpi(app.main()), expected);
}

TEST_F(MainWindow, IsACentredFixedWindowOfTheDesignedSize) {
    EXPECT_EQ(caption(app.main()), "Tarnvel");
    LONG style = GetWindowLongW(app.main(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0) << std::hex << style;

    const UINT dpi = windowDpi(app.main());
    RECT client;
    GetClientRect(app.main(), &client);
    EXPECT_EQ(client.right, pixels(4215, dpi)) << dpi << " DPI";
    EXPECT_EQ(client.bottom, pixels(3150, dpi)) << dpi << " DPI";

    RECT window, work;
    GetWindowRect(app.main(), &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 2)
        << "window " << window.left << ".." << window.right << " in " << work.left << ".." << work.right;
    EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 2)
        << "window " << window.top << ".." << window.bottom << " in " << work.top << ".." << work.bottom;
}

TEST_F(MainWindow, ControlsOpenWithTheirTextsInTheirPlaces) {
    expectControlsInPlace(app.main(), kMainControls, std::size(kMainControls));
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
