#include "driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <vector>

#include "control_ids.h"
#include "remote_process.h"

namespace e2e {
namespace {

constexpr int kMessageTextId = 0xFFFF;
// Windows numbers the message box icon 0x14, Wine numbers it stc1 and keeps
// it, empty, in boxes without an icon; so the icon is judged by its image.
constexpr int kMessageIconIds[] = {0x0014, 0x0440};
constexpr int kFileNameComboId = 0x047C;

std::wstring exePath;
std::function<void()> beforeEnding;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

// A movable block of this process, freed when it goes.
class GlobalBlock {
public:
    explicit GlobalBlock(const std::vector<char>& bytes) : handle_(GlobalAlloc(GMEM_MOVEABLE, bytes.size())) {
        if (!handle_) fail("GlobalAlloc failed, error " + std::to_string(GetLastError()));
        void* at = GlobalLock(handle_);
        if (!at) {
            GlobalFree(handle_);
            fail("GlobalLock failed");
        }
        std::memcpy(at, bytes.data(), bytes.size());
        GlobalUnlock(handle_);
    }
    ~GlobalBlock() { GlobalFree(handle_); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return handle_; }

private:
    HGLOBAL handle_;
};

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

HWND waitFor(const std::function<HWND()>& find, DWORD timeoutMs, const std::string& what) {
    HWND found = nullptr;
    if (!waitUntil([&] { return (found = find()) != nullptr; }, timeoutMs)) fail("timed out waiting for " + what);
    return found;
}

void post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (!PostMessageW(window, message, wParam, lParam)) fail("PostMessage " + std::to_string(message) + " failed");
}

}  // namespace

std::string utf8(std::wstring_view text) {
    if (text.empty()) return {};
    int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring wide(std::string_view text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::wstring windowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

void skipWindowManagerWaits() {
    if (!runningUnderWine()) return;
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tarnvel.exe\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
    RegCloseKey(key);
}

void setBeforeEnding(std::function<void()> hook) { beforeEnding = std::move(hook); }

void setTarnvelExe(std::wstring path) { exePath = std::move(path); }
const std::wstring& tarnvelExe() { return exePath; }

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() > end) return false;
        Sleep(10);
    }
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result))
        fail("no answer to message " + std::to_string(message));
    return static_cast<LRESULT>(result);
}

std::string text(HWND window) {
    if (!window) fail("reading the text of a missing window");
    auto length = static_cast<size_t>(send(window, WM_GETTEXTLENGTH));
    std::vector<wchar_t> buffer(length + 1);
    auto copied = static_cast<size_t>(send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    return utf8(std::wstring_view(buffer.data(), copied));
}

std::string caption(HWND window) {
    wchar_t buffer[256] = {};
    int length = GetWindowTextW(window, buffer, 256);
    return utf8(std::wstring_view(buffer, static_cast<size_t>(length)));
}

DWORD processOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

HWND findTopLevelWhere(const std::function<bool(HWND)>& match) {
    struct Search {
        const std::function<bool(HWND)>* match;
        HWND found;
    } search{&match, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (!IsWindowVisible(window) || !(*s->match)(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findTopLevel(DWORD pid, const wchar_t* wanted) {
    return findTopLevelWhere([&](HWND w) { return processOf(w) == pid && className(w) == wanted; });
}

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool inMenuMode(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && (info.flags & GUI_INMENUMODE);
}

void PrintTo(const Box& box, std::ostream* out) {
    std::string shown;
    for (char c : box.text)
        shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    *out << "{caption \"" << box.caption << "\", text \"" << shown << "\", " << (box.icon ? "icon" : "no icon") << "}";
}

void Handle::reset(HANDLE handle) {
    if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = handle;
}

namespace {

// The unelevated token linked to this process's own, ready to start a program with.
Handle limitedToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) fail("cannot read this program's token");
    const Handle ownToken(own);
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (!GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size))
        fail("no linked token, error " + std::to_string(GetLastError()));
    const Handle linkedToken(linked.LinkedToken);
    HANDLE primary = nullptr;
    if (!DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary))
        fail("cannot make a primary token, error " + std::to_string(GetLastError()));
    return Handle(primary);
}

}  // namespace

App::App(const Start& start) {
    if (start.exe.empty()) fail("the path of Tarnvel.exe was not given");
    std::wstring commandLine = L"\"" + start.exe + L"\"";
    for (const std::wstring& argument : start.arguments) commandLine += L" \"" + argument + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const wchar_t* folder = start.currentDirectory.empty() ? nullptr : start.currentDirectory.c_str();
    const Handle token = start.rights == Rights::Limited ? limitedToken() : Handle();
    const auto create = [&] {
        return token.get() ? CreateProcessAsUserW(token.get(), start.exe.c_str(), commandLine.data(), nullptr, nullptr,
                                                  FALSE, 0, nullptr, folder, &startup, &info)
                           : CreateProcessW(start.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                            folder, &startup, &info);
    };
    BOOL started = create();
    // Wine 8 once answered ERROR_INTERNAL_ERROR here, right after a test had
    // ended two Tarnvel processes; a start a moment later went through. Said
    // aloud, so a Tarnvel that itself fails to start is not hidden by it.
    if (!started && GetLastError() == ERROR_INTERNAL_ERROR) {
        std::printf("note: the start of Tarnvel.exe failed with error 1359; trying once more\n");
        Sleep(500);
        started = create();
    }
    if (!started) fail("cannot start " + utf8(start.exe) + ", error " + std::to_string(GetLastError()));
    process_.reset(info.hProcess);
    CloseHandle(info.hThread);
    pid_ = info.dwProcessId;
    main_ = waitFor([&] { return findTopLevel(pid_, TARNVEL_MAIN_CLASS); }, kWaitMs, "the main window");
}

App::App(HWND main) : pid_(processOf(main)), main_(main) {
    process_.reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid_));
    if (!process_.get())
        fail("cannot open process " + std::to_string(pid_) + ", error " + std::to_string(GetLastError()));
}

App::~App() {
    if (running()) {
        if (beforeEnding) beforeEnding();
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

HWND App::control(int id) const {
    HWND child = GetDlgItem(main_, id);
    if (!child) fail("no control with ID " + std::to_string(id));
    return child;
}

bool App::running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool App::waitExit(DWORD timeoutMs) const { return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0; }

std::wstring App::currentDirectory() const { return currentDirectoryOf(process_.get()); }

bool App::elevated() const {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process_.get(), TOKEN_QUERY, &token)) fail("cannot read the program's token");
    const Handle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size))
        fail("cannot read the program's elevation");
    return elevation.TokenIsElevated != 0;
}

HWND App::openFileDialog() {
    post(control(IDC_COMMAND2), BM_CLICK);
    return waitFor(
        [&] {
            return findTopLevelWhere([&](HWND w) {
                return processOf(w) == pid_ && className(w) == L"#32770" && GetDlgItem(w, kFileNameComboId);
            });
        },
        kWaitMs, "the open dialog");
}

HWND App::fileNameField(HWND dialog) const {
    HWND field = GetDlgItem(dialog, kFileNameComboId);
    // Wine nests the field as ComboBoxEx32 > ComboBox > Edit.
    if (className(field) != L"Edit")
        EnumChildWindows(
            field,
            [](HWND w, LPARAM found) -> BOOL {
                if (className(w) != L"Edit") return TRUE;
                *reinterpret_cast<HWND*>(found) = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&field));
    if (className(field) != L"Edit") fail("the open dialog has no file name field");
    return field;
}

void App::chooseFile(const std::wstring& path) {
    HWND dialog = openFileDialog();
    send(fileNameField(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    post(dialog, WM_COMMAND, IDOK);
    if (!waitUntil([&] { return !IsWindow(dialog); }, kWaitMs)) fail("the open dialog did not accept " + utf8(path));
    // A sent message is handled only once the click handler has returned.
    send(main_, WM_NULL);
}

std::string App::fileDialogStartName() {
    HWND dialog = openFileDialog();
    std::string name = e2e::text(fileNameField(dialog));
    post(dialog, WM_COMMAND, IDCANCEL);
    if (!waitUntil([&] { return !IsWindow(dialog); }, kWaitMs)) fail("the open dialog did not close on cancel");
    send(main_, WM_NULL);
    return name;
}

void App::dropFiles(const std::vector<std::wstring>& paths) const {
    std::vector<wchar_t> names;
    for (const auto& path : paths) names.insert(names.end(), path.c_str(), path.c_str() + path.size() + 1);
    names.push_back(L'\0');
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::vector<char> block(sizeof header + names.size() * sizeof(wchar_t));
    std::memcpy(block.data(), &header, sizeof header);
    std::memcpy(block.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));

    std::optional<GlobalBlock> local;
    if (runningUnderWine()) {
        // Wine hands wParam over untouched, so the handle must already be valid
        // in the program: a fixed block there, which GlobalLock returns as it is.
        void* remote = VirtualAllocEx(process_.get(), nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!remote || !WriteProcessMemory(process_.get(), remote, block.data(), block.size(), nullptr))
            fail("could not place the drop in the program");
        post(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote));
    } else {
        // Windows' PostMessage carries a WM_DROPFILES to another process itself:
        // it first sends the target WM_COPYGLOBALDATA, which copies the block
        // into a new HGLOBAL there, and posts that handle; ours stays ours, and
        // is kept until the program has taken the drop all the same.
        local.emplace(block);
        post(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(local->get()));
    }
    waitForPostedMessages();
}

void App::waitForPostedMessages() const {
    if (!passPostedMarker()) fail("the program did not get to the messages posted to it");
}

bool App::passPostedMarker() const {
    // The marker is the bar's step, which the program never uses: set to a
    // new value behind the earlier posts, and put back once it shows.
    HWND bar = GetDlgItem(main_, IDC_PROGRESSBAR1);
    const auto step = [bar](DWORD_PTR& value) {
        return SendMessageTimeoutW(bar, PBM_GETSTEP, 0, 0, SMTO_NORMAL, 5000, &value) != 0;
    };
    DWORD_PTR before = 0;
    if (!bar || !step(before) || !PostMessageW(bar, PBM_SETSTEP, before + 1, 0)) return false;
    DWORD_PTR now = 0;
    if (!waitUntil([&] { return !IsWindow(bar) || (step(now) && now == before + 1); }, kWaitMs) || !IsWindow(bar))
        return false;
    send(bar, PBM_SETSTEP, before);
    return true;
}

void App::cancelFileDialog() {
    HWND dialog = openFileDialog();
    post(dialog, WM_COMMAND, IDCANCEL);
    if (!waitUntil([&] { return !IsWindow(dialog); }, kWaitMs)) fail("the open dialog did not close on cancel");
    send(main_, WM_NULL);
}

void App::setSize(const std::string& digits) {
    std::wstring value = wide(digits);
    send(control(IDC_TEXT1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

void App::clickCut() const { post(control(IDC_COMMAND1), BM_CLICK); }

Box App::cut(const std::string& digits, DWORD timeoutMs) {
    setSize(digits);
    clickCut();
    return dismissBox(timeoutMs);
}

HWND App::findBox() const {
    return findTopLevelWhere([&](HWND w) {
        return processOf(w) == pid_ && className(w) == L"#32770" && GetDlgItem(w, kMessageTextId) &&
               !GetDlgItem(w, kFileNameComboId);
    });
}

HWND App::waitBox(DWORD timeoutMs) const {
    return waitFor([&] { return findBox(); }, timeoutMs, "a message box");
}

Box App::readBox(HWND box) const {
    Box seen{caption(box), e2e::text(GetDlgItem(box, kMessageTextId)), false};
    for (int id : kMessageIconIds) {
        HWND icon = GetDlgItem(box, id);
        if (icon && IsWindowVisible(icon) && send(icon, STM_GETICON) != 0) seen.icon = true;
    }
    return seen;
}

Box App::dismissBox(DWORD timeoutMs) const {
    HWND box = waitBox(timeoutMs);
    Box seen = readBox(box);
    post(box, WM_COMMAND, IDOK);
    if (!waitUntil([&] { return !IsWindow(box); }, kWaitMs)) fail("the message box did not close");
    // The program goes on (enables its buttons, resets the bar) only after
    // the box has returned; let it get that far, unless it closed instead.
    passPostedMarker();
    return seen;
}

void App::answerBox(HWND box, int button) const {
    post(box, WM_COMMAND, static_cast<WPARAM>(button));
    if (!waitUntil([&] { return !IsWindow(box); }, kWaitMs)) fail("the question box did not close");
}

DWORD App::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

void App::announceDpi(UINT dpi, const RECT& suggested) const {
    void* remote = VirtualAllocEx(process_.get(), nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote || !WriteProcessMemory(process_.get(), remote, &suggested, sizeof suggested, nullptr))
        fail("could not place the suggested rectangle in the program");
    // The same rectangle at the same address here too, so the program reads it
    // whether the system hands lParam over as it is or copies what it points at.
    void* mirror = VirtualAlloc(remote, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (mirror == remote) std::memcpy(mirror, &suggested, sizeof suggested);
    send(main_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
    if (mirror) VirtualFree(mirror, 0, MEM_RELEASE);
    VirtualFreeEx(process_.get(), remote, 0, MEM_RELEASE);
}

void App::pickMenuItem(int index) const {
    post(main_, WM_SYSCOMMAND, SC_KEYMENU, 0);
    post(main_, WM_KEYDOWN, VK_DOWN, 1);
    for (int i = 0; i < index; ++i) post(main_, WM_KEYDOWN, VK_DOWN, 1);
    post(main_, WM_KEYDOWN, VK_RETURN, 1);
}

long App::barLow() const { return static_cast<long>(send(control(IDC_PROGRESSBAR1), PBM_GETRANGE, TRUE, 0)); }
long App::barHigh() const { return static_cast<long>(send(control(IDC_PROGRESSBAR1), PBM_GETRANGE, FALSE, 0)); }
long App::barPos() const { return static_cast<long>(send(control(IDC_PROGRESSBAR1), PBM_GETPOS)); }

}  // namespace e2e
