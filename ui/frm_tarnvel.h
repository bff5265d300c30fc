#pragma once
// The main window: shows what the core decides and keeps SelectionState.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <variant>
#include <vector>

#include "cut_session.h"
#include "progress_bar.h"
#include "tarnvel/chosen_source.h"
#include "tarnvel/cut_types.h"
#include "tarnvel/head_cut.h"
#include "tarnvel/start_options.h"
#include "win32_support.h"

namespace tarnvel::ui {

class frmTarnvel {
public:
    frmTarnvel();
    frmTarnvel(const frmTarnvel&) = delete;
    frmTarnvel& operator=(const frmTarnvel&) = delete;

    void show(int showCommand);
    // What the command line asked for, or why it could not be read.
    void start(const std::variant<StartOptions, MessageNotice>& arguments);

private:
    template <typename Window>
    friend LRESULT CALLBACK windowProcedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void onCreate();
    void layOut(UINT dpi);
    void paintSeparators();
    void onCommand(int id);
    // The focused push button, else Cut開始: what Enter clicks and what is drawn as the default.
    int defaultButtonId() const;
    void showDefaultButton();
    // Back to the control that had the focus when the window was last deactivated.
    void restoreFocus();
    void onDropFiles(HDROP drop);
    // The dialog and a drop both end here, so a file is taken the same way whichever chose it.
    Measurement chooseSource(const std::u16string& path);
    // A path from outside the dialog (a drop, the command line) becomes its file name too.
    Measurement takePath(const std::wstring& path);
    // True when Tarnvel has started again as administrator to retry.
    bool reportCut(const CutRequest& request, const CutOutcome& outcome, const std::u16string& output);

    void Command1_Click();
    void Command2_Click();
    void mnuLookReadeMe_Click();
    void mnuVersion_Click();

    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::vector<UniqueFont> fonts_;
    ProgressBar progressBar_;
    SelectionState selection_;
    // The open dialog's file name: it outlives each dialog, as the dialog's own would.
    std::vector<wchar_t> fileName_;
    HWND focusWhileInactive_ = nullptr;
    // Started by an offer to restart as administrator, which is then not made again.
    bool restarted_ = false;
    // From Cut開始 until its end has been reported.
    CutSession* cut_ = nullptr;
};

}  // namespace tarnvel::ui
