#include "notices.h"

#include "win32_support.h"

namespace tarnvel::ui {

void showNotice(HWND owner, const MessageNotice& notice) {
    const UINT icon = notice.icon == NoticeIcon::Exclamation ? MB_ICONEXCLAMATION : 0;
    MessageBoxW(owner, wide(notice.prompt).c_str(), wide(notice.shownTitle()).c_str(), MB_OK | icon);
}

}  // namespace tarnvel::ui
