#include "tarnvel/progress_scale.h"

#include <cmath>

namespace tarnvel {

namespace {

double powerOfTwo(std::int16_t exponent) { return std::ldexp(1.0, exponent); }

}  // namespace

std::int32_t progressBarValue(double steps) {
    return static_cast<std::int32_t>(std::lround(steps * kProgressFixedPoint));
}

std::int16_t progressScaleFor(double value) {
    std::int16_t k = 0;
    // The cap only matters for values no validated request can carry.
    while (k < 1023 && value / powerOfTwo(k) > kMaxProgressSteps) ++k;
    return k;
}

double progressUpperBoundFor(double value) { return value / powerOfTwo(progressScaleFor(value)); }

std::int32_t progressPositionFor(std::int32_t block, std::int16_t intShift) {
    if (intShift < 0 || intShift > 30) return 1;
    const std::int32_t position = block / (std::int32_t{1} << intShift);
    return position == 0 ? 1 : position;
}

std::int32_t progressBarUpperFor(double value) { return progressBarValue(progressUpperBoundFor(value)); }

std::int32_t progressBarPositionFor(std::int32_t block, std::int16_t intShift) {
    return progressPositionFor(block, intShift) * kProgressFixedPoint;
}

}  // namespace tarnvel
