#include "taskbar_progress.h"

namespace tarnvel::ui {

TaskbarProgress::TaskbarProgress(HWND window) : window_(window), apartment_(enterComApartment()) {
    if (!apartment_) return;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(list_.put()))) ||
        FAILED(list_->HrInit()))
        list_.reset();
}

void TaskbarProgress::showProgress(std::int32_t blocksDone, std::int32_t blocks) {
    if (!list_ || blocks <= 0) return;
    list_->SetProgressValue(window_, static_cast<ULONGLONG>(blocksDone), static_cast<ULONGLONG>(blocks));
}

void TaskbarProgress::clearProgress() {
    if (list_) list_->SetProgressState(window_, TBPF_NOPROGRESS);
}

void TaskbarProgress::setPaused(bool paused) {
    if (list_) list_->SetProgressState(window_, paused ? TBPF_PAUSED : TBPF_NORMAL);
}

void TaskbarProgress::flashIfInBackground() {
    if (GetForegroundWindow() == window_) return;
    FLASHWINFO flash{sizeof flash, window_, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
}

}  // namespace tarnvel::ui
