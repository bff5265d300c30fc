#pragma once
// What ProgressBar1 shows for a cut, from the number typed to the integers
// the control is given.
//
// For a cut of `value` thousands (the number as typed, so 2.5 is possible;
// `blocks` is that number rounded) the bar counts in steps of 2^shift blocks,
// shift being the smallest that keeps value / 2^shift within 32767 steps:
//   range    1 .. value / 2^shift      (fractional when value is not a multiple)
//   position max(1, block / 2^shift)   after each block read and written
//   position 1                         once the cut is over, however it ended
// The control's range is integer, so every bound and position is handed to it
// multiplied by kProgressFixedPoint and rounded: 65535 blocks show as
// 1..16383.75 steps, that is PBM_SETRANGE32(128, 2097120). Counting at most
// 32767 steps keeps the positions within the old 16-bit range, each step a
// distinct whole position; the fixed point keeps the fractional bound instead
// of rounding it away.

#include <cstdint>

namespace tarnvel {

inline constexpr std::int32_t kMaxProgressSteps = 32767;
inline constexpr std::int32_t kProgressFixedPoint = 128;

// The control's integer value for a count of steps.
std::int32_t progressBarValue(double steps);

// Where the bar rests: position 1 of 1..100.
inline constexpr std::int32_t kProgressBarLowest = kProgressFixedPoint;
inline constexpr std::int32_t kProgressBarIdleUpper = 100 * kProgressFixedPoint;

// The exponent that keeps value / 2^shift within kMaxProgressSteps.
std::int16_t progressScaleFor(double value);
double progressUpperBoundFor(double value);
std::int32_t progressPositionFor(std::int32_t block, std::int16_t intShift);

// The same, as the control's integer values.
std::int32_t progressBarUpperFor(double value);
std::int32_t progressBarPositionFor(std::int32_t block, std::int16_t intShift);

}  // namespace tarnvel
