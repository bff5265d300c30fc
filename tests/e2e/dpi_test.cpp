// The window taken to a monitor of 144 DPI: Windows tells it with
// WM_DPICHANGED, and everything designed in twips follows.

#include <cstdlib>
#include <string>

#include "fixture.h"
#include "layout.h"

#include <iterator>
#include <vector>

namespace e2e {
namespace {

using DpiChange = TarnvelTest;

constexpr UINT kNewDpi = 144;

SIZE clientSize(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// The same run as the size field draws it: from its first character to the one after the run.
int digitRunWidthIn(HWND field, WPARAM length) {
    const auto x = [&](WPARAM index) { return static_cast<short>(LOWORD(send(field, EM_POSFROMCHAR, index))); };
    return x(length) - x(0);
}

TEST_F(DpiChange, MovedToA144DpiMonitorTakesTheSuggestedPlaceAndLaysItselfOutAgain) {
    const UINT oldDpi = windowDpi(app.main());
    ASSERT_NE(oldDpi, kNewDpi) << "this test needs a screen of another DPI than " << kNewDpi;
    RECT before;
    GetWindowRect(app.main(), &before);
    const SIZE oldClient = clientSize(app.main());
    // The frame drawn around the client area stays as it is: the window's own DPI
    // does not change with a message alone.
    const int frameWidth = before.right - before.left - oldClient.cx;
    const int frameHeight = before.bottom - before.top - oldClient.cy;
    const RECT suggested{100, 80, 100 + pixels(kMainClientWidth, kNewDpi) + frameWidth,
                         80 + pixels(kMainClientHeight, kNewDpi) + frameHeight};

    app.setSize("12345678");
    const int oldRun = digitRunWidthIn(app.control(IDC_TEXT1), 7);
    EXPECT_EQ(oldRun, textWidth(L"1234567", kWindowFont, oldDpi));

    app.announceDpi(kNewDpi, suggested);

    RECT after;
    GetWindowRect(app.main(), &after);
    EXPECT_TRUE(EqualRect(&after, &suggested)) << "window at " << after.left << "," << after.top << ".." << after.right
                                               << "," << after.bottom << ", suggested " << suggested.left << ","
                                               << suggested.top << ".." << suggested.right << "," << suggested.bottom;
    const SIZE client = clientSize(app.main());
    EXPECT_EQ(client.cx, pixels(kMainClientWidth, kNewDpi));
    EXPECT_EQ(client.cy, pixels(kMainClientHeight, kNewDpi));

    // Places only: the size field holds the digits typed above.
    std::vector<ControlPlace> places(std::begin(kMainControls), std::end(kMainControls));
    for (ControlPlace& row : places) row.text = nullptr;
    expectControlsInPlace(app.main(), places.data(), places.size(), kNewDpi);

    // The font itself cannot be read from here; its advance can.
    const int newRun = textWidth(L"1234567", kWindowFont, kNewDpi);
    ASSERT_NE(newRun, oldRun) << "the two fonts cannot be told apart by this run";
    EXPECT_EQ(digitRunWidthIn(app.control(IDC_TEXT1), 7), newRun);
}

TEST_F(DpiChange, AboutOpenedAfterADpiChangeIsLaidOutAtTheNewDpi) {
    RECT before;
    GetWindowRect(app.main(), &before);
    const SIZE oldClient = clientSize(app.main());
    const RECT suggested{before.left, before.top,
                         before.left + pixels(kMainClientWidth, kNewDpi) + (before.right - before.left - oldClient.cx),
                         before.top + pixels(kMainClientHeight, kNewDpi) + (before.bottom - before.top - oldClient.cy)};
    app.announceDpi(kNewDpi, suggested);

    app.pickMenuItem(1);
    HWND about = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (about = findTopLevel(app.pid(), TARNVEL_ABOUT_CLASS)) != nullptr; }, kWaitMs))
        << "no About window";
    const SIZE client = clientSize(about);
    EXPECT_EQ(client.cx, pixels(3015, kNewDpi));
    EXPECT_EQ(client.cy, pixels(1695, kNewDpi));
    const RECT ok = placeIn(about, GetDlgItem(about, IDOK));
    EXPECT_NEAR(ok.left, pixels(1800, kNewDpi), 1);
    EXPECT_NEAR(ok.top, pixels(1320, kNewDpi), 1);
    EXPECT_NEAR(ok.right - ok.left, pixels(1140, kNewDpi), 1);
    EXPECT_NEAR(ok.bottom - ok.top, pixels(345, kNewDpi), 1);

    // Centred on the main window's monitor, not wherever Windows puts a new popup.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(app.main(), MONITOR_DEFAULTTONEAREST), &monitor));
    RECT window;
    GetWindowRect(about, &window);
    const RECT& work = monitor.rcWork;
    EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 2);
    EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 2);

    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }, kWaitMs));
}

}  // namespace
}  // namespace e2e
