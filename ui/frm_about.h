#pragma once
// The version window: fixed texts, modal over the main window.

#include <windows.h>

#include <vector>

#include "tarnvel/file_io.h"
#include "win32_support.h"

namespace tarnvel::ui {

class frmAbout {
public:
    // Returns once the window has been closed; each showing starts afresh,
    // centred on the owner's monitor at the DPI the owner is laid out at.
    static void showModal(HWND owner, UINT dpi);

private:
    frmAbout(HWND owner, UINT dpi);
    template <typename Window>
    friend LRESULT CALLBACK windowProcedure(HWND, UINT, WPARAM, LPARAM);
    // Called by the friend above, which cppcheck does not follow.
    // cppcheck-suppress unusedPrivateFunction
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void layOut(UINT dpi);
    void cmdOK_Click();
    // For a call just made: its code is read before anything else runs.
    void fail(const char16_t* what);
    void reportFailure(HWND owner) const;

    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::vector<UniqueFont> fonts_;
    bool open_ = true;
    // Why the window could not be made: which call, and the system's code.
    const char16_t* failedCall_ = nullptr;
    SystemError failure_ = kNoError;
};

}  // namespace tarnvel::ui
