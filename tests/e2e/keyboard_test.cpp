// Enter, Space and the focus as a user of Windows dialogs expects them.

#include <string>

#include "fixture.h"

namespace e2e {
namespace {

constexpr int kFileNameComboId = 0x047C;

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

class Keyboard : public TarnvelTest {
protected:
    HWND focused() const { return focusOf(app.main()); }
    int focusedId() const { return GetDlgCtrlID(focused()); }

    // A keystroke goes to the focused window, or to the active one when nothing has the focus.
    void press(WPARAM key) const {
        HWND target = focused() ? focused() : app.main();
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    }
    void type(const std::string& keys) const {
        for (char key : keys) PostMessageW(focused() ? focused() : app.main(), WM_CHAR, static_cast<WPARAM>(key), 1);
    }
    bool focusIs(int id) const {
        return waitUntil([&] { return focused() == app.control(id); }, kWaitMs);
    }
    bool looksDefault(int id) const {
        return (GetWindowLongW(app.control(id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    }
    HWND findOpenDialog() const {
        return findTopLevelWhere([&](HWND w) {
            return processOf(w) == app.pid() && classOf(w) == L"#32770" && GetDlgItem(w, kFileNameComboId);
        });
    }
    // What the program raised: the open dialog (cancelled here) or a message box (dismissed).
    std::string answer() const {
        HWND dialog = nullptr;
        HWND box = nullptr;
        if (!waitUntil([&] { return (dialog = findOpenDialog()) || (box = app.findBox()); }, kWaitMs)) return "nothing";
        if (box) return "box " + app.dismissBox().text;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        waitUntil([&] { return !IsWindow(dialog); }, kWaitMs);
        return "open dialog";
    }
    void openAndCloseAbout() const {
        app.pickMenuItem(1);
        HWND about = nullptr;
        ASSERT_TRUE(
            waitUntil([&] { return (about = findTopLevel(app.pid(), TARNVEL_ABOUT_CLASS)) != nullptr; }, kWaitMs));
        PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(about); }, kWaitMs));
        ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(app.main()) != FALSE; }, kWaitMs));
    }
};

TEST_F(Keyboard, EnterAndSpaceClickTheFocusedButtonAndEnterElsewhereStartsTheCut) {
    struct Case {
        const char* name;
        int tabs;  // from the first tab stop, ファイル指定
        WPARAM key;
        const char* expected;
    };
    const Case cases[] = {
        {"Enter on ファイル指定", 0, VK_RETURN, "open dialog"},
        {"Space on ファイル指定", 0, VK_SPACE, "open dialog"},
        {"Enter in the size field", 1, VK_RETURN, "box ファイルが指定されていません。"},
        {"Enter on Cut開始", 2, VK_RETURN, "box ファイルが指定されていません。"},
        {"Space on Cut開始", 2, VK_SPACE, "box ファイルが指定されていません。"},
        {"Enter on ファイル指定 after a round of Tab", 3, VK_RETURN, "open dialog"},
    };
    const int order[] = {IDC_COMMAND2, IDC_TEXT1, IDC_COMMAND1};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(focusIs(IDC_COMMAND2)) << "focus on control " << focusedId();
        for (int i = 1; i <= c.tabs; ++i) {
            press(VK_TAB);
            ASSERT_TRUE(focusIs(order[i % 3])) << "focus on control " << focusedId();
        }
        press(c.key);
        EXPECT_EQ(answer(), c.expected);
        // Back to the first stop for the next case, as a user would.
        for (int i = c.tabs; i % 3 != 0; ++i) press(VK_TAB);
    }
}

TEST_F(Keyboard, DefaultLookFollowsTheFocus) {
    enum class Act { Nothing, Tab, ClickSizeField };
    struct Step {
        const char* name;
        Act act;
        int focus;
        int lookingDefault;
    };
    const Step steps[] = {
        {"at start", Act::Nothing, IDC_COMMAND2, IDC_COMMAND2},
        {"Tab", Act::Tab, IDC_TEXT1, IDC_COMMAND1},
        {"Tab", Act::Tab, IDC_COMMAND1, IDC_COMMAND1},
        {"Tab", Act::Tab, IDC_COMMAND2, IDC_COMMAND2},
        {"a click into the size field", Act::ClickSizeField, IDC_TEXT1, IDC_COMMAND1},
        {"Tab from the clicked field", Act::Tab, IDC_COMMAND1, IDC_COMMAND1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.act == Act::Tab) press(VK_TAB);
        if (step.act == Act::ClickSizeField) {
            PostMessageW(app.control(IDC_TEXT1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            PostMessageW(app.control(IDC_TEXT1), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        }
        EXPECT_TRUE(focusIs(step.focus)) << "focus on control " << focusedId();
        const int other = step.lookingDefault == IDC_COMMAND1 ? IDC_COMMAND2 : IDC_COMMAND1;
        EXPECT_TRUE(waitUntil([&] { return looksDefault(step.lookingDefault) && !looksDefault(other); }, 2000))
            << "BS_DEFPUSHBUTTON on ファイル指定: " << looksDefault(IDC_COMMAND2)
            << ", on Cut開始: " << looksDefault(IDC_COMMAND1);
    }
}

TEST_F(Keyboard, FocusComesBackAfterEveryBoxAndDialog) {
    const Bytes bytes = pattern(5000);
    const std::wstring source = writeSource("動画クリップ.mpg", bytes);
    ASSERT_TRUE(focusIs(IDC_COMMAND2));

    app.cancelFileDialog();
    EXPECT_TRUE(focusIs(IDC_COMMAND2)) << "after the cancelled open dialog: control " << focusedId();
    app.chooseFile(source);
    EXPECT_TRUE(focusIs(IDC_COMMAND2)) << "after choosing in the open dialog: control " << focusedId();
    openAndCloseAbout();
    EXPECT_TRUE(focusIs(IDC_COMMAND2)) << "after the About window: control " << focusedId();

    press(VK_TAB);
    ASSERT_TRUE(focusIs(IDC_TEXT1));
    type("99");
    press(VK_RETURN);
    EXPECT_EQ(app.dismissBox(), kOutOfRange);
    EXPECT_TRUE(focusIs(IDC_TEXT1)) << "after the range box: control " << focusedId();

    // The user corrects the number and presses Enter again.
    type("\b\b3");
    EXPECT_TRUE(waitUntil([&] { return app.text(IDC_TEXT1) == "3"; }, kWaitMs)) << app.text(IDC_TEXT1);
    press(VK_RETURN);
    EXPECT_EQ(app.dismissBox(), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 3000));
    EXPECT_TRUE(focusIs(IDC_TEXT1)) << "after the 完了。 box: control " << focusedId();

    type("\b4");
    EXPECT_TRUE(waitUntil([&] { return app.text(IDC_TEXT1) == "4"; }, kWaitMs)) << app.text(IDC_TEXT1);
    press(VK_RETURN);
    EXPECT_EQ(app.dismissBox(), kDone);
    EXPECT_TRUE(holdsHead(kOutputMpg, bytes, 4000));
}

// A window of the test program's own, for the main window to lose the activation to.
class OtherWindow {
public:
    OtherWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TarnvelE2eOther";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"TarnvelE2eOther", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~OtherWindow() {
        if (window_) DestroyWindow(window_);
    }
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// Waits for the foreground to be `window`, answering this thread's own window meanwhile.
bool bringToFront(HWND window) {
    SetForegroundWindow(window);
    return waitUntil(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            return GetForegroundWindow() == window;
        },
        kWaitMs);
}

TEST_F(Keyboard, FocusComesBackAfterAnotherWindowWasActive) {
    const int order[] = {IDC_COMMAND2, IDC_TEXT1, IDC_COMMAND1};
    for (int tabs = 0; tabs < 3; ++tabs) {
        SCOPED_TRACE("focus on control " + std::to_string(order[tabs]));
        if (tabs > 0) press(VK_TAB);
        ASSERT_TRUE(focusIs(order[tabs])) << "focus on control " << focusedId();

        OtherWindow other;
        ASSERT_TRUE(other.get());
        if (!bringToFront(other.get())) {
            if (runningUnderWine()) FAIL() << "the test's own window did not become the foreground";
            GTEST_SKIP() << "Windows did not let the test take the foreground";
        }
        ASSERT_TRUE(bringToFront(app.main())) << "the main window did not become the foreground again";
        EXPECT_TRUE(focusIs(order[tabs])) << "focus on control " << focusedId();
    }
    press(VK_RETURN);
    EXPECT_EQ(answer(), "box ファイルが指定されていません。");
}

}  // namespace
}  // namespace e2e
