#pragma once
// The records that pass between the window and the cutting core.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "tarnvel/file_io.h"
#include "tarnvel/words.h"

namespace tarnvel {

// Cut sizes are counted in decimal thousands, never 1024.
inline constexpr std::int32_t kBlockBytes = 1000;

// The largest file the 32-bit size fields can describe.
inline constexpr std::int64_t kMaxSourceBytes = 2147483647;

// What the main window remembers of the chosen source between presses.
struct SelectionState {
    std::int32_t lngMaxBlocks = 0;
    std::u16string strExt;

    bool operator==(const SelectionState&) const = default;
};

struct SourceInfo {
    std::u16string path;
    std::int32_t sizeBytes = 0;
    std::int32_t lngMaxBlocks = 0;
    std::u16string strExt;
    std::u16string sizeText;
    std::u16string rangeText;
};

struct CutRequest {
    std::u16string sourcePath;
    double value = 0;
    std::int32_t blocks = 0;
    std::u16string strExt;
};

enum class NoticeIcon { None, Exclamation };

// One modal message box with a single OK button.
struct MessageNotice {
    std::u16string prompt;
    NoticeIcon icon = NoticeIcon::None;
    std::optional<std::u16string> title;  // absent: the application title

    std::u16string shownTitle() const { return title.value_or(words::kAppTitle); }
    bool operator==(const MessageNotice&) const = default;
};

// How a cut drives the window. Bounds and positions are the control's own
// integer values, as tarnvel/progress_scale.h computes them. What may run
// inside letPendingEventsRun(), and what the cut guards against, is told
// beside runHeadCut in tarnvel/head_cut.h.
class ProgressSink {
public:
    virtual void setUpperBound(std::int32_t barUpper) = 0;
    virtual void setPosition(std::int32_t barPosition) = 0;
    virtual void letPendingEventsRun() = 0;
    // While a read is pending: returns once `readEnded` is set (false), or
    // once the events that arrived meanwhile have run (true), or after `most`
    // (true: the queue was looked at then). The window answers throughout,
    // and a read on a drive that has stalled holds nothing but the cut. A
    // sink with no window to wake for waits on the read alone.
    virtual bool letEventsRunUntil(NativeHandle readEnded, std::chrono::milliseconds most) {
        if (waitForSignal(readEnded, most)) return false;
        letPendingEventsRun();
        return true;
    }

protected:
    ~ProgressSink() = default;
};

}  // namespace tarnvel
