#pragma once
// Copying the leading blocks of a source into the output file.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "tarnvel/chunk_sizing.h"
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

// How the window stops a running cut: from inside an event pass (below).
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
//
// The event pass. The cut lets the window run its pending events through
// sink.letPendingEventsRun(): after its first chunk, after each chunk that
// ends more than half a kFrame after the last pass, and every half a frame
// while the output closes; never inside a read or a write call. A read that
// pends (Windows) runs them through sink.letEventsRunUntil() as they come,
// until it ends; a stop then cancels the read and waits, still running them,
// for Windows to end it, since the read writes into the cut's buffer. In a pass any of
// the window's handlers may run: a click, a key, a menu, a drop, a close, a
// modal question (the cut waits for its answer), the end of the session.
// What the cut guards against:
// - it reads no window state, and its request, buffer and files are its own;
// - the window reaches the cut only through `controls.stop`, and the cut
//   reads it right after each pass, before it touches a file again (a read
//   still pending is cancelled, and the cut reports a stop once it ends);
// - the stop may remove the output within the pass (at the end of a
//   session, when the process may end before the pass returns): the cut
//   then never writes or closes it again, and reports it removed;
// - a handler that throws ends the cut as unexpected, its output removed.
// The window's part (see the main window): its buttons and menu are off, a
// second cut cannot start, a close asks whether to stop and is carried out
// only once the cut has returned, drops are ignored.
CutOutcome runHeadCut(const CutRequest& request, ProgressSink& sink, std::u16string_view output,
                      const CutControls& controls = {});
// The same from a source already open (a pipe, in the tests whose reads must
// wait); one that is not open is opened from the request's path.
CutOutcome runHeadCut(const CutRequest& request, File source, ProgressSink& sink, std::u16string_view output,
                      const CutControls& controls = {});

}  // namespace tarnvel
