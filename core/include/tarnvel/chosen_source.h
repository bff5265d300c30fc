#pragma once
// Measuring a chosen source: its size, the largest cut it allows and the
// extension the output will carry.

#include <string>
#include <string_view>

#include "tarnvel/cut_types.h"

namespace tarnvel {

enum class MeasureOutcome {
    Measured,
    Unreadable,  // missing, a folder, or its length cannot be queried
    TooLarge,    // 2 GiB or more: beyond the 32-bit size fields
};

struct Measurement {
    MeasureOutcome outcome = MeasureOutcome::Unreadable;
    SourceInfo info;  // only path is meaningful unless Measured
};

Measurement measureSource(std::u16string_view path);

// Last four code units, or the last three when those four start with a dot.
std::u16string extensionFor(std::u16string_view path);

MessageNotice tooLargeNotice();

// What the window shows and keeps after the user has chosen a path.
struct SelectionDisplay {
    std::u16string sizeText;
    std::u16string rangeText;
    SelectionState state;
    std::optional<MessageNotice> notice;
};

// A path that could not be measured leaves no limit or extension behind:
// they would belong to another file.
SelectionDisplay displayAfterChoosing(const Measurement& measurement);

}  // namespace tarnvel
