#pragma once
// Copying the leading blocks of a source into the output file.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "tarnvel/cut_types.h"

namespace tarnvel {

inline constexpr std::int32_t kMaxProgressSteps = 32767;

// C:\tarnvel.<strExt>: always the root of drive C:, always this base name.
std::filesystem::path outputPathFor(std::u16string_view strExt);

// Exponent k that keeps value / 2^k within the progress bar's 32767 steps.
std::int16_t progressScaleFor(double value);
float progressUpperBoundFor(double value);
std::int32_t progressPositionFor(std::int32_t block, std::int16_t intShift);

// The system's words for the file operation that has just failed. The
// default reads errno; the Windows program passes one that asks Windows.
using FailureReason = std::function<std::u16string()>;
std::u16string errnoReason();

// Never throws: every failure comes back as an exclamation notice, with both
// files closed and the progress position back at 1.
MessageNotice runHeadCut(const CutRequest& request, ProgressSink& sink, const std::filesystem::path& output,
                         const FailureReason& reason = errnoReason);

}  // namespace tarnvel
