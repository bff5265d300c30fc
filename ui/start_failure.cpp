#include "start_failure.h"

#include <windows.h>

#include "tarnvel/cut_types.h"
#include "tarnvel/words.h"
#include "win32_support.h"

namespace tarnvel::ui {

std::u16string startFailureText(const CallFailure& failure) {
    return words::cannotStart(failure.what, systemErrorText(failure.code));
}

void failStart(const CallFailure& failure) {
    MessageBoxW(nullptr, wide(startFailureText(failure)).c_str(), wide(words::kErrorTitle).c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}

void failStart(const char16_t* what) { failStart(CallFailure{what, GetLastError()}); }

}  // namespace tarnvel::ui
