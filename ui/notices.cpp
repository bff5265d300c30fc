#include "notices.h"

#include "tarnvel/head_cut.h"
#include "tarnvel/text.h"
#include "win32_support.h"

namespace tarnvel::ui {

void showNotice(HWND owner, const MessageNotice& notice) {
    const UINT icon = notice.icon == NoticeIcon::Exclamation ? MB_ICONEXCLAMATION : 0;
    MessageBoxW(owner, wide(notice.prompt).c_str(), wide(notice.shownTitle()).c_str(), MB_OK | icon);
}

std::u16string lastErrorReason() {
    const DWORD code = GetLastError();
    // The C runtime may have failed without a system call behind it.
    if (code == ERROR_SUCCESS) return errnoReason();

    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return utf16(text) + u"（エラー番号 " + decimalText(code) + u"）";
}

}  // namespace tarnvel::ui
