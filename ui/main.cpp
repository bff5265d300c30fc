#include <windows.h>
#include <commctrl.h>

#include "frm_tarnvel.h"
#include "message_pump.h"
#include "start_arguments.h"
#include "start_failure.h"
#include "system_dll.h"
#include "tarnvel/words.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    tarnvel::ui::restrictDllSearchToSystemFolder();
    // A card reader or disc drive without its medium then fails the call, which
    // the program reports, instead of holding it in a system box.
    SetErrorMode(SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    // It is not documented to set the last error when it fails.
    SetLastError(0);
    if (!InitCommonControlsEx(&controls)) tarnvel::ui::failStart(tarnvel::words::kCommonControlsFailed);

    tarnvel::ui::frmTarnvel window;
    window.show(showCommand);
    window.start(tarnvel::ui::startArguments());
    return tarnvel::ui::runMessageLoop();
}
