#include "event_pass.h"

#include "message_pump.h"

namespace tarnvel::ui {

namespace {

// QS_ALLINPUT as Windows 7 knows it: built for Windows 8 or later it also
// holds QS_TOUCH and QS_POINTER, and Windows 7 refuses the wait.
constexpr DWORD kWakeMask = QS_ALLINPUT;
static_assert(kWakeMask == 0x04FF, "a wake mask Windows 7 refuses");

}  // namespace

void EventPass::letPendingEventsRun() {
    bar_.draw();
    quitSeen_ = pumpPendingMessages() || quitSeen_;
}

bool EventPass::letEventsRunUntil(NativeHandle readEnded, std::chrono::milliseconds most) {
    const auto timeout = static_cast<DWORD>(most.count());
    // Input already queued counts too, not only what came since the queue was last looked at.
    const DWORD woke = quitSeen_ ? WaitForSingleObject(readEnded, timeout)
                                 : MsgWaitForMultipleObjectsEx(1, &readEnded, timeout, kWakeMask, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) return false;
    // A failed wait (it should not fail) must not spin: it waits as after a quit.
    if (woke == WAIT_FAILED) quitSeen_ = true;
    letPendingEventsRun();
    return true;
}

}  // namespace tarnvel::ui
