// Where windows open and where the etched lines fall, on monitors and at DPIs
// this machine does not have.

#include "tarnvel/screen_geometry.h"

#include <gtest/gtest.h>

#include <ostream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarnvel {

void PrintTo(const ScreenRect& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
void PrintTo(const EtchedLine& l, std::ostream* out) {
    *out << "dark at " << l.darkTop << ", light at " << l.lightTop << ", " << l.thickness << " px";
}

namespace {

// A primary monitor at 96 DPI with the taskbar below, and a second one at
// 144 DPI to its left and a little higher, all in negative coordinates.
constexpr ScreenRect kPrimaryWork{0, 0, 1920, 1040};
constexpr ScreenRect kLeftWork{-2880, -180, 0, 1380};

TEST(WindowPlacement, CentredOnTheMonitorsWorkAreaAndKeptOnIt) {
    struct Case {
        const char* name;
        ScreenRect work;
        int width, height;
        ScreenRect expected;
    };
    const Case cases[] = {
        {"main window at 96 DPI on the primary", kPrimaryWork, 297, 269, {811, 385, 1108, 654}},
        {"main window at 144 DPI on the left monitor", kLeftWork, 446, 400, {-1663, 400, -1217, 800}},
        {"odd leftover space in negative coordinates", {-101, -101, 0, 0}, 50, 50, {-76, -76, -26, -26}},
        {"exactly the work area", kLeftWork, 2880, 1560, kLeftWork},
        {"wider and taller than the left monitor", kLeftWork, 3000, 1700, {-2880, -180, 120, 1520}},
        {"taller than the primary only", kPrimaryWork, 500, 1100, {710, 0, 1210, 1100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(centredOn(c.work, c.width, c.height), c.expected);
    }
}

TEST(EtchedLines, LightStrokeTouchesTheDarkOneAtEveryDpi) {
    struct Case {
        int yTwips, dpi;
        EtchedLine expected;
    };
    const Case cases[] = {
        {0, 96, {0, 1, 1}},  {1755, 96, {117, 118, 1}},  {0, 120, {0, 1, 1}}, {1755, 120, {146, 147, 1}},
        {0, 144, {0, 1, 1}}, {1755, 144, {176, 177, 1}}, {0, 192, {0, 2, 2}}, {1755, 192, {234, 236, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.yTwips) + " twips at " + std::to_string(c.dpi) + " DPI");
        EXPECT_EQ(etchedLineAt(c.yTwips, c.dpi), c.expected);
    }
}

TEST(TwipsToPixels, RoundsHalvesAwayFromZero) {
    struct Case {
        int twips, dpi, expected;
    };
    const Case cases[] = {{4215, 96, 281}, {4215, 144, 422}, {1755, 144, 176}, {1755, 120, 146},
                          {20, 144, 2},    {-30, 96, -2},    {-15, 144, -2}};
    for (const Case& c : cases)
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.expected) << c.twips << " twips at " << c.dpi << " DPI";
#ifdef _WIN32
    // The window places its controls with MulDiv; the lines must round alike.
    for (int dpi : {96, 120, 144, 168, 192, 240})
        for (int twips = -3000; twips <= 5000; twips += 5)
            ASSERT_EQ(twipsToPixels(twips, dpi), MulDiv(twips, dpi, 1440)) << twips << " twips at " << dpi << " DPI";
#endif
}

}  // namespace
}  // namespace tarnvel
