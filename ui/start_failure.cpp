#include "start_failure.h"

#include <windows.h>

#include "tarnvel/cut_types.h"
#include "tarnvel/file_io.h"
#include "tarnvel/words.h"
#include "win32_support.h"

namespace tarnvel::ui {

void failStart(const char16_t* what) {
    const SystemError code = GetLastError();
    MessageBoxW(nullptr, wide(words::cannotStart(what, systemErrorText(code))).c_str(),
                wide(words::kErrorTitle).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}

}  // namespace tarnvel::ui
