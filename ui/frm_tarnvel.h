#pragma once
// The main window: shows what the core decides and keeps SelectionState.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <variant>
#include <vector>

#include "progress_bar.h"
#include "tarnvel/chosen_source.h"
#include "tarnvel/cut_types.h"
#include "tarnvel/head_cut.h"
#include "tarnvel/start_options.h"
#include "taskbar_progress.h"
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

    // Controls that could start a second cut are off while one runs.
    void setCutRunning(bool running);
    // Esc or a close during the copy: asks first, and the copy waits for the answer.
    void askToStopCut(bool thenClose);

    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::vector<UniqueFont> fonts_;
    ProgressBar progressBar_;
    SelectionState selection_;
    // The open dialog's file name: it outlives each dialog, as the dialog's own would.
    std::vector<wchar_t> fileName_;
    bool cutRunning_ = false;
    HWND focusBeforeCut_ = nullptr;
    HWND focusWhileInactive_ = nullptr;
    bool closeRequested_ = false;
    // Started by an offer to restart as administrator, which is then not made again.
    bool restarted_ = false;

    // While the copy runs (not while its end is reported).
    CutStop* runningCut_ = nullptr;
    TaskbarProgress* taskbar_ = nullptr;
    std::u16string runningOutput_;
    bool askingToStop_ = false;
    bool sessionEnded_ = false;
};

}  // namespace tarnvel::ui
