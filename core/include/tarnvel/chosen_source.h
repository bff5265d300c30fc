#pragma once
// Measuring a chosen source: its size, the largest cut it allows and the
// extension the output will carry.

#include <optional>
#include <string>
#include <string_view>

#include "tarnvel/cut_types.h"
#include "tarnvel/file_io.h"

namespace tarnvel {

enum class MeasureOutcome {
    Measured,
    Unreadable,  // missing, unreachable, no rights, or its length cannot be queried
    NotAFile,    // a folder, a device or a pipe
    TooLarge,    // 2 GiB or more: beyond the 32-bit size fields
};

struct Measurement {
    MeasureOutcome outcome = MeasureOutcome::Unreadable;
    SystemError error = kNoError;  // why it was Unreadable, where the system said
    SourceInfo info;               // only path is meaningful unless Measured
};

Measurement measureSource(std::u16string_view path);

// Last four code units, or the last three when those four start with a dot.
std::u16string extensionFor(std::u16string_view path);

MessageNotice tooLargeNotice();

// A source named on the command line is reported when it cannot be measured,
// since no one saw a dialog fail; the dialog's own failures stay silent.
std::optional<MessageNotice> startSourceNotice(const Measurement& measurement);

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
