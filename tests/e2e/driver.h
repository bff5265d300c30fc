#pragma once
// Drives a running Tarnvel.exe from outside, the way a user does: through
// window messages only. Helpers that wait throw std::runtime_error on a
// timeout, which GoogleTest reports as a failure of the running test.

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

std::string utf8(std::wstring_view text);
std::wstring wide(std::string_view text);

// Polls until the condition holds; false when the time runs out.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// WM_GETTEXT; unlike GetWindowTextW it reaches controls of other processes.
std::string text(HWND window);
std::string caption(HWND window);
LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

DWORD processOf(HWND window);
// The first visible top-level window that matches.
HWND findTopLevelWhere(const std::function<bool(HWND)>& match);
HWND findTopLevel(DWORD pid, const wchar_t* className);
HWND focusOf(HWND window);
bool inMenuMode(HWND window);

// A message box as the user sees it; the buttons are deliberately left out
// because their labels follow the system language.
struct Box {
    std::string caption;
    std::string text;
    bool icon = false;
    bool operator==(const Box&) const = default;
};
void PrintTo(const Box& box, std::ostream* out);

inline constexpr DWORD kWaitMs = 10000;

// A path from the command line as Windows sees it; Wine shows the Unix root as Z:.
std::wstring windowsPath(std::wstring path);

// Wine's ntdll exports wine_get_version; Windows' does not.
bool runningUnderWine();

// Without a window manager (Xvfb), Wine waits two seconds for one to confirm
// that each closed message box or dialog is gone; windows it does not hand to
// a window manager skip that wait. Only Wine reads this key, only for Tarnvel.exe.
void skipWindowManagerWaits();

// Runs in App's destructor just before it ends a program still running,
// while its windows still show what a failed case met.
void setBeforeEnding(std::function<void()> hook);

// The program under test, as a Windows path; set once from the command line.
void setTarnvelExe(std::wstring path);
const std::wstring& tarnvelExe();

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    void reset(HANDLE handle = nullptr);

private:
    HANDLE handle_;
};

// One running Tarnvel.exe. The destructor ends it if it is still running, so
// a failed test never leaves a window behind for the next one.
class App {
public:
    // Limited: with the unelevated half of the test program's own token, as a
    // standard user or an unelevated administrator starts programs. Wine 8
    // reports every process as elevated but hands out that half.
    enum class Rights { Inherited, Limited };
    // How the program is started: which copy, with what arguments (each
    // quoted), in which current folder (by default the test program's own).
    struct Start {
        std::wstring exe = tarnvelExe();
        std::vector<std::wstring> arguments{};
        std::wstring currentDirectory{};
        Rights rights = Rights::Inherited;
    };
    App() : App(Start{}) {}
    explicit App(const Start& start);
    // A Tarnvel.exe that something else started, taken over by its main window.
    explicit App(HWND main);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    DWORD pid() const { return pid_; }
    HWND main() const { return main_; }
    HWND control(int id) const;
    std::string text(int id) const { return e2e::text(control(id)); }
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    bool running() const;
    bool waitExit(DWORD timeoutMs) const;
    std::wstring currentDirectory() const;
    // TokenElevation of the program's token.
    bool elevated() const;

    // The open dialog that Command2 shows: OK with the path typed in, or cancel.
    void chooseFile(const std::wstring& path);
    void cancelFileDialog();

    // Files dropped from Explorer: a WM_DROPFILES with the DROPFILES block
    // that DragQueryFileW reads, posted as the shell posts it. Returns once
    // the program has taken the drop (or a box it raised is up).
    void dropFiles(const std::vector<std::wstring>& paths) const;
    // The name the open dialog starts with; the dialog is then cancelled.
    std::string fileDialogStartName();

    void setSize(const std::string& digits);
    void clickCut() const;
    // Sets the size, presses Cut開始 and returns the box that answers it,
    // already dismissed.
    Box cut(const std::string& digits, DWORD timeoutMs = 60000);

    HWND findBox() const;
    HWND waitBox(DWORD timeoutMs = kWaitMs) const;
    Box readBox(HWND box) const;
    Box dismissBox(DWORD timeoutMs = kWaitMs) const;
    // A question box answered with IDYES or IDNO; returns once it has closed.
    void answerBox(HWND box, int button) const;
    // The program's exit code once it has ended.
    DWORD exitCode() const;

    // WM_DPICHANGED as Windows sends it when the window reaches a monitor of
    // another DPI, the suggested window rectangle lying in the program's memory.
    void announceDpi(UINT dpi, const RECT& suggested) const;

    // Menu items by keyboard, since another process cannot read the menu:
    // 0 is "readmeを見る", 1 is "バージョン情報".
    void pickMenuItem(int index) const;

    // The bar as the program scales it (tarnvel::kProgressFixedPoint).
    long barLow() const;
    long barHigh() const;
    long barPos() const;

private:
    // Returns once the program's thread has dispatched everything posted to it so far.
    void waitForPostedMessages() const;
    // The same, but false instead of a failure when the window went away first.
    bool passPostedMarker() const;
    HWND openFileDialog();
    HWND fileNameField(HWND dialog) const;

    Handle process_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

}  // namespace e2e
