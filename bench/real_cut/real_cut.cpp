// Times whole cuts through the real Tarnvel.exe, from the press of 「Cut開始」
// to the 「完了。」 box, and watches the window while the cut runs: a second
// thread keeps asking the main window for a WM_NULL answer, a third reads the
// bar. One line per round; the exit code is 1 when a round answered late or
// the bar moved backwards, 2 when a round could not be driven at all.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "control_ids.h"

namespace {

constexpr long long kBlocks = 1000000;
constexpr long long kOutputBytes = kBlocks * 1000;
constexpr double kAnswerLimitMs = 100;
// Long enough to learn how late a late answer really was.
constexpr UINT kProbeTimeoutMs = 1000;
constexpr DWORD kWaitMs = 10000;
constexpr DWORD kCutTimeoutMs = 300000;
constexpr int kMessageTextId = 0xFFFF;
constexpr int kFileNameComboId = 0x047C;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

double nowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / ticksPerMs;
}

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 10) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() > end) return false;
        Sleep(pollMs);
    }
}

bool sendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs, LRESULT* result = nullptr) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer)) return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    LRESULT result = 0;
    if (!sendTimed(window, message, wParam, lParam, 5000, &result))
        fail("no answer to message " + std::to_string(message));
    return result;
}

void post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (!PostMessageW(window, message, wParam, lParam)) fail("PostMessage " + std::to_string(message) + " failed");
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// WM_GETTEXT, since GetWindowTextW reads only captions of other processes.
std::wstring textOf(HWND window) {
    const auto length = static_cast<size_t>(send(window, WM_GETTEXTLENGTH));
    std::vector<wchar_t> buffer(length + 1);
    const auto copied =
        static_cast<size_t>(send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    return std::wstring(buffer.data(), copied);
}

std::wstring captionOf(HWND window) {
    wchar_t buffer[256] = {};
    return std::wstring(buffer, static_cast<size_t>(GetWindowTextW(window, buffer, 256)));
}

HWND findTopLevel(DWORD pid, const std::function<bool(HWND)>& match) {
    struct Search {
        DWORD pid;
        const std::function<bool(HWND)>* match;
        HWND found;
    } search{pid, &match, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->pid || !IsWindowVisible(window) || !(*s->match)(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitTopLevel(DWORD pid, const std::function<bool(HWND)>& match, const std::string& what) {
    HWND found = nullptr;
    if (!waitUntil([&] { return (found = findTopLevel(pid, match)) != nullptr; }, kWaitMs))
        fail("timed out waiting for " + what);
    return found;
}

bool isDialog(HWND window) { return className(window) == L"#32770"; }

// Under Xvfb there is no window manager, and Wine waits two seconds for one
// after every closed box unless the program's windows are left unmanaged.
void skipWindowManagerWaits() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tarnvel.exe\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
    RegCloseKey(key);
}

std::vector<std::wstring> outputs() {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(L"C:\\tarnvel.*", &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.push_back(std::wstring(L"C:\\") + entry.cFileName);
    while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

class Tarnvel {
public:
    explicit Tarnvel(const std::wstring& exe) {
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info))
            fail("cannot start " + utf8(exe) + ", error " + std::to_string(GetLastError()));
        process_ = info.hProcess;
        CloseHandle(info.hThread);
        pid_ = info.dwProcessId;
        main_ = waitTopLevel(
            pid_, [](HWND w) { return className(w) == TARNVEL_MAIN_CLASS; }, "the main window");
    }

    ~Tarnvel() {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }

    Tarnvel(const Tarnvel&) = delete;
    Tarnvel& operator=(const Tarnvel&) = delete;

    HWND main() const { return main_; }
    HWND control(int id) const {
        HWND child = GetDlgItem(main_, id);
        if (!child) fail("no control with ID " + std::to_string(id));
        return child;
    }

    void chooseFile(const std::wstring& path) {
        post(control(IDC_COMMAND2), BM_CLICK);
        HWND dialog = waitTopLevel(
            pid_, [](HWND w) { return isDialog(w) && GetDlgItem(w, kFileNameComboId); }, "the open dialog");
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
        send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        post(dialog, WM_COMMAND, IDOK);
        if (!waitUntil([&] { return !IsWindow(dialog); }, kWaitMs)) fail("the open dialog did not accept the source");
        send(main_, WM_NULL);  // answered once the click handler has returned
        if (textOf(control(IDC_LABEL1)) != path) fail("the window did not take the source " + utf8(path));
    }

    HWND findBox() const {
        return findTopLevel(pid_, [](HWND w) {
            return isDialog(w) && GetDlgItem(w, kMessageTextId) && !GetDlgItem(w, kFileNameComboId);
        });
    }

    bool close(DWORD timeoutMs) {
        post(main_, WM_CLOSE);
        return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

struct Probes {
    int count = 0;
    int late = 0;  // unanswered within kAnswerLimitMs, or not at all
    double maxMs = 0;
    std::string lateAtMs;  // when each late one was asked, from the press
};

// WM_NULL is answered only when the program's thread looks at its queue, so
// the wait is what a click or a redraw would wait at that moment.
Probes probeUntil(HWND window, double pressedMs, const std::atomic<bool>& stop) {
    Probes probes;
    while (!stop) {
        const double start = nowMs();
        const bool answered = sendTimed(window, WM_NULL, 0, 0, kProbeTimeoutMs);
        const double took = nowMs() - start;
        ++probes.count;
        probes.maxMs = std::max(probes.maxMs, took);
        if (!answered || took > kAnswerLimitMs) {
            ++probes.late;
            if (!probes.lateAtMs.empty()) probes.lateAtMs += ',';
            probes.lateAtMs += std::to_string(static_cast<long>(start - pressedMs));
        }
        Sleep(10);
    }
    return probes;
}

struct BarSample {
    double atMs;  // when the answer came, from the press
    long position;
};

std::vector<BarSample> sampleBarUntil(HWND bar, double pressedMs, const std::atomic<bool>& stop) {
    std::vector<BarSample> samples;
    while (!stop) {
        LRESULT position = 0;
        if (sendTimed(bar, PBM_GETPOS, 0, 0, kProbeTimeoutMs, &position))
            samples.push_back({nowMs() - pressedMs, static_cast<long>(position)});
        Sleep(5);
    }
    return samples;
}

struct BarVerdict {
    bool monotonic = true;
    bool resetSeen = false;
    long highest = 0;
    double firstMoveMs = -1;  // first answer above the low end
    double lastMoveMs = -1;   // last answer before the drop back to it
};

// The program puts the bar back to its low end as soon as the copy is done,
// before the box appears; that final drop is not a step backwards.
BarVerdict judgeBar(const std::vector<BarSample>& samples, long low) {
    BarVerdict verdict;
    size_t end = samples.size();
    while (end > 0 && samples[end - 1].position == low) --end;
    verdict.resetSeen = end < samples.size() && end > 0;
    for (size_t i = 0; i < end; ++i) {
        if (i > 0 && samples[i].position < samples[i - 1].position) verdict.monotonic = false;
        verdict.highest = std::max(verdict.highest, samples[i].position);
        if (verdict.firstMoveMs < 0 && samples[i].position > low) verdict.firstMoveMs = samples[i].atMs;
    }
    if (end > 0) verdict.lastMoveMs = samples[end - 1].atMs;
    return verdict;
}

long long fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// true when the round passed its checks.
bool runRound(const std::wstring& exe, const std::wstring& source) {
    for (const auto& old : outputs()) DeleteFileW(old.c_str());

    Tarnvel app(exe);
    app.chooseFile(source);
    send(app.control(IDC_TEXT1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::to_wstring(kBlocks).c_str()));
    HWND bar = app.control(IDC_PROGRESSBAR1);

    std::atomic<bool> stop{false};
    Probes probes;
    std::vector<BarSample> samples;
    const double start = nowMs();
    post(app.control(IDC_COMMAND1), BM_CLICK);
    std::thread prober([&] { probes = probeUntil(app.main(), start, stop); });
    std::thread sampler([&] { samples = sampleBarUntil(bar, start, stop); });
    HWND box = nullptr;
    waitUntil([&] { return (box = app.findBox()) != nullptr; }, kCutTimeoutMs, 2);
    const double seconds = (nowMs() - start) / 1000.0;
    stop = true;
    prober.join();
    sampler.join();
    if (!box) fail("no box within " + std::to_string(kCutTimeoutMs / 1000) + " s of the press");

    const std::wstring caption = captionOf(box), text = textOf(GetDlgItem(box, kMessageTextId));
    post(box, WM_COMMAND, IDOK);
    if (!waitUntil([&] { return !IsWindow(box); }, kWaitMs)) fail("the box did not close");
    if (caption != L"Tarnvel" || text != L"完了。")
        fail("the cut ended with the box \"" + utf8(caption) + "\": \"" + utf8(text) + "\"");

    const long low = static_cast<long>(send(bar, PBM_GETRANGE, TRUE, 0));
    const long high = static_cast<long>(send(bar, PBM_GETRANGE, FALSE, 0));
    if (!app.close(kWaitMs)) fail("Tarnvel.exe did not close");

    const auto written = outputs();
    if (written.size() != 1) fail("expected one C:\\tarnvel.* output, found " + std::to_string(written.size()));
    const long long size = fileSize(written.front());
    if (size != kOutputBytes)
        fail(utf8(written.front()) + " holds " + std::to_string(size) + " bytes, not " + std::to_string(kOutputBytes));

    const BarVerdict verdict = judgeBar(samples, low);
    std::printf(
        "cut_s=%.3f probes=%d max_answer_ms=%.1f late=%d bar_samples=%zu monotonic=%s max_pos=%ld bound=%ld "
        "reset_seen=%s first_move_ms=%.0f last_move_ms=%.0f late_at_ms=%s\n",
        seconds, probes.count, probes.maxMs, probes.late, samples.size(), verdict.monotonic ? "yes" : "no",
        verdict.highest, high, verdict.resetSeen ? "yes" : "no", verdict.firstMoveMs, verdict.lastMoveMs,
        probes.lateAtMs.empty() ? "-" : probes.lateAtMs.c_str());
    std::fflush(stdout);
    return probes.late == 0 && verdict.monotonic;
}

// Wine shows the Unix root as Z:.
std::wstring windowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: tarnvel-real-cut TARNVEL_EXE SOURCE ROUNDS\n"
                     "  SOURCE (a Windows path) must hold at least %lld bytes\n",
                     kOutputBytes);
        return 2;
    }
    const std::wstring exe = windowsPath(argv[1]), source = windowsPath(argv[2]);
    const int rounds = _wtoi(argv[3]);
    if (rounds < 1) {
        std::fprintf(stderr, "ROUNDS must be 1 or more\n");
        return 2;
    }
    skipWindowManagerWaits();
    bool passed = true;
    try {
        for (int round = 1; round <= rounds; ++round) passed = runRound(exe, source) && passed;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnvel-real-cut: %s\n", e.what());
        return 2;
    }
    return passed ? 0 : 1;
}
