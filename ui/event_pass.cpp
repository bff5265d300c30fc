#include "event_pass.h"

#include "message_pump.h"

namespace tarnvel::ui {

void EventPass::letPendingEventsRun() {
    bar_.draw();
    pumpPendingMessages();
}

}  // namespace tarnvel::ui
