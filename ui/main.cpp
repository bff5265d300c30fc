#include <windows.h>
#include <commctrl.h>

#include "frm_tarnvel.h"
#include "message_pump.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    tarnvel::ui::frmTarnvel window;
    window.show(showCommand);
    return tarnvel::ui::runMessageLoop();
}
