#pragma once
// Pixel arithmetic of the windows, free of the window system so that monitors
// and DPIs this machine does not have can be checked.

namespace tarnvel {

struct ScreenRect {
    int left, top, right, bottom;
    bool operator==(const ScreenRect&) const = default;
};

// Rounded as Win32's MulDiv rounds: halves away from zero.
int twipsToPixels(int twips, int dpi);

// A window of the given size centred on a monitor's work area. One larger
// than the area keeps its top left corner, caption and menu, on the area.
ScreenRect centredOn(const ScreenRect& workArea, int width, int height);

// An etched line: a dark stroke and a light one directly under it, each one
// 96-DPI pixel thick in whole pixels, so they touch at every DPI.
struct EtchedLine {
    int darkTop;
    int lightTop;
    int thickness;
    bool operator==(const EtchedLine&) const = default;
};
EtchedLine etchedLineAt(int yTwips, int dpi);

}  // namespace tarnvel
