// The screenshot a failing case leaves: it must be the screen as it was, in a
// file any viewer opens, under a name that is the case's own.
#include "screenshot.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>

#include "driver.h"
#include "files.h"
#include "tarnvel/unique_owner.h"

namespace e2e {
namespace {

// Four colours a mirrored, shifted or channel-swapped picture cannot match.
constexpr COLORREF kQuadrants[] = {RGB(230, 20, 40), RGB(20, 200, 60), RGB(30, 40, 220), RGB(240, 220, 10)};
constexpr int kSide = 120;

LRESULT CALLBACK paintQuadrants(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    for (int i = 0; i < 4; ++i) {
        const RECT quadrant{(i % 2) * kSide / 2, (i / 2) * kSide / 2, (i % 2 + 1) * kSide / 2, (i / 2 + 1) * kSide / 2};
        HBRUSH brush = CreateSolidBrush(kQuadrants[i]);
        FillRect(dc, &quadrant, brush);
        DeleteObject(brush);
    }
    EndPaint(window, &paint);
    return 0;
}

using Window = tarnvel::UniqueOwner<tarnvel::ClosedBy<HWND, DestroyWindow>>;
Window showQuadrants(int x, int y) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = paintQuadrants;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TarnvelE2eQuadrants";
    RegisterClassW(&windowClass);
    Window window(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"",
                                  WS_POPUP | WS_VISIBLE, x, y, kSide, kSide, nullptr, nullptr, windowClass.hInstance,
                                  nullptr));
    if (window) UpdateWindow(window.get());
    return window;
}

template <typename T>
T readAt(const Bytes& bytes, size_t offset) {
    T value{};
    if (offset + sizeof value <= bytes.size()) memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

TEST(Screenshot, IsTheWholeScreenAsItWasInABmpFile) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int x = left + 40, y = top + 40;
    const Window window = showQuadrants(x, y);
    ASSERT_TRUE(window) << "error " << GetLastError();
    // The screen shows the window once its painting has reached the display.
    HDC screen = GetDC(nullptr);
    const auto shown = [&] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        for (int i = 0; i < 4; ++i)
            if (GetPixel(screen, x + (i % 2) * kSide / 2 + kSide / 4, y + (i / 2) * kSide / 2 + kSide / 4) !=
                kQuadrants[i])
                return false;
        return true;
    };
    const bool onScreen = waitUntil(shown, kWaitMs);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(onScreen) << "the test's own window never reached the screen";

    Scratch scratch;
    const std::wstring path = scratch / "screen.bmp";
    ASSERT_TRUE(writeScreenshot(path)) << "error " << GetLastError();
    const Bytes bmp = readBytes(path);

    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t offBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(readAt<WORD>(bmp, 0), 0x4D42) << "no BM signature";
    EXPECT_EQ(readAt<DWORD>(bmp, 2), bmp.size()) << "bfSize";
    EXPECT_EQ(readAt<DWORD>(bmp, 10), offBits) << "bfOffBits";
    EXPECT_EQ(readAt<LONG>(bmp, 18), width) << "biWidth";
    EXPECT_EQ(readAt<LONG>(bmp, 22), height) << "biHeight (positive: rows bottom up)";
    EXPECT_EQ(readAt<WORD>(bmp, 28), 24) << "biBitCount";
    ASSERT_EQ(bmp.size(), offBits + stride * static_cast<size_t>(height));

    for (int i = 0; i < 4; ++i) {
        const int px = x + (i % 2) * kSide / 2 + kSide / 4 - left, py = y + (i / 2) * kSide / 2 + kSide / 4 - top;
        const size_t at = offBits + static_cast<size_t>(height - 1 - py) * stride + static_cast<size_t>(px) * 3;
        const COLORREF seen = RGB(bmp[at + 2], bmp[at + 1], bmp[at]);
        EXPECT_EQ(seen, kQuadrants[i]) << "quadrant " << i << " at " << px << "," << py << " of the picture";
    }
}

TEST(Screenshot, IsNamedAfterItsCaseWithWhatAFileNameRefusesReplaced) {
    const struct {
        const char* suite;
        const char* name;
        const wchar_t* file;
    } rows[] = {
        {"Busy", "AClaimNameMadeFirstByAnotherProgramStopsNoCut",
         L"Busy.AClaimNameMadeFirstByAnotherProgramStopsNoCut.bmp"},
        {"Sizes/Cut", "Limit/3", L"Sizes_Cut.Limit_3.bmp"},
        {"A<b>", "c:d\"e\\f|g?h*", L"A_b_.c_d_e_f_g_h_.bmp"},
        {"Drop", "日本語の名前", L"Drop.日本語の名前.bmp"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(screenshotName(row.suite, row.name), row.file) << row.suite << "." << row.name;
}

}  // namespace
}  // namespace e2e
