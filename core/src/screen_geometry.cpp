#include "tarnvel/screen_geometry.h"

#include <algorithm>
#include <cstdint>

namespace tarnvel {

int twipsToPixels(int twips, int dpi) {
    const std::int64_t product = std::int64_t{twips} * dpi;
    const std::int64_t half = product < 0 ? -720 : 720;
    return static_cast<int>((product + half) / 1440);
}

ScreenRect centredOn(const ScreenRect& workArea, int width, int height) {
    const auto place = [](int low, int high, int size) {
        const int centred = low + (high - low - size) / 2;
        return std::max(low, std::min(centred, high - size));
    };
    const int left = place(workArea.left, workArea.right, width);
    const int top = place(workArea.top, workArea.bottom, height);
    return {left, top, left + width, top + height};
}

EtchedLine etchedLineAt(int yTwips, int dpi) {
    const int darkTop = twipsToPixels(yTwips, dpi);
    const int thickness = std::max(1, dpi / 96);
    return {darkTop, darkTop + thickness, thickness};
}

}  // namespace tarnvel
