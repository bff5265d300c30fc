#pragma once
// Copying the leading blocks of a source into the output file.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "tarnvel/cut_types.h"
#include "tarnvel/file_io.h"

namespace tarnvel {

// C:\tarnvel.<strExt>: always the root of drive C:, always this base name.
std::u16string outputPathFor(std::u16string_view strExt);

// Where a cut ended, so the window can offer more than the notice: a cut
// that could not create its output may be retried with other rights, one
// whose old output was still being removed may not (no rights would help).
enum class CutEnd {
    Done,
    OpenSource,
    NoRoom,
    CreateOutput,
    SameFile,
    Read,
    Write,
    SourceEnded,
    Stopped,
    Unexpected,
    OldOutputBeingRemoved
};

struct CutOutcome {
    MessageNotice notice;
    CutEnd end = CutEnd::Done;
    SystemError error = kNoError;  // the system's code where it failed
};

// How the window stops a running cut. Like everything the window does while
// a cut runs, it is used from inside ProgressSink::letPendingEventsRun().
class CutStop {
public:
    // The cut ends after this event pass and removes its output.
    void request() { requested_ = true; }
    // The same, with the output removed before this returns: when the session
    // ends, the process may end before the cut gets control back.
    void requestAndRemoveOutputNow();
    bool requested() const { return requested_; }

    // For the cut: the output that may be removed now, or none.
    void watch(File* output) { output_ = output; }
    bool outputRemoved() const { return removed_; }

private:
    bool requested_ = false;
    bool removed_ = false;
    File* output_ = nullptr;
};

// What the shell shows of a cut outside the window: the taskbar button.
class CutIndicator {
public:
    virtual void showProgress(std::int32_t blocksDone, std::int32_t blocks) = 0;
    virtual void clearProgress() = 0;
    // A cut ended without the user stopping it; they may be looking elsewhere.
    virtual void flashIfInBackground() = 0;

protected:
    ~CutIndicator() = default;
};

// Where a cut reads the time it sizes its reads by: steady_clock unless the
// caller hands another.
class CutClock {
public:
    virtual std::chrono::steady_clock::time_point now() = 0;

protected:
    ~CutClock() = default;
};

struct CutControls {
    CutStop* stop = nullptr;
    CutIndicator* indicator = nullptr;
    CutClock* clock = nullptr;
};

// Never throws: every failure comes back as an exclamation notice, with both
// files closed and the progress position back at 1. A cut that fails reading
// or writing, or is stopped, removes its output; one whose source ends early
// keeps what it copied.
CutOutcome runHeadCut(const CutRequest& request, ProgressSink& sink, std::u16string_view output,
                      CutControls controls = {});

}  // namespace tarnvel
