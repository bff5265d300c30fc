#include "message_pump.h"

namespace tarnvel::ui {

void dispatch(MSG& message) {
    HWND top = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    // Whichever control has the focus; a held key repeats, but asks once.
    constexpr LPARAM kRepeated = LPARAM{1} << 30;
    if (top && message.message == WM_KEYDOWN && message.wParam == VK_F1) {
        if (!(message.lParam & kRepeated)) PostMessageW(top, kHelpKeyPressed, 0, 0);
        return;
    }
    if (top && IsDialogMessageW(top, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool pumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return true;
        }
        dispatch(message);
    }
    return false;
}

int runMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatch(message);
    return static_cast<int>(message.wParam);
}

}  // namespace tarnvel::ui
