#include <windows.h>
#include <commctrl.h>

#include "frm_tarnvel.h"
#include "message_pump.h"
#include "start_arguments.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    tarnvel::ui::frmTarnvel window;
    window.show(showCommand);
    window.start(tarnvel::ui::startArguments());
    return tarnvel::ui::runMessageLoop();
}
