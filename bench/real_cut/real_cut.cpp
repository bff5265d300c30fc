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
#include <cwchar>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "control_ids.h"
#include "driver.h"

namespace {

constexpr long long kDefaultBlocks = 1000000;
// Long enough to learn how late a late answer really was: a 4 MB read from a
// 3 MB/s drive holds the window for 1.4 s.
constexpr UINT kProbeTimeoutMs = 3000;
constexpr double kCutTimeoutMs = 900000;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

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

bool sendTimed(HWND window, UINT message, UINT timeoutMs, LRESULT* result = nullptr) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, timeoutMs, &answer)) return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
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

struct Probes {
    int count = 0;
    int late = 0;  // unanswered within the limit, or not at all
    double maxMs = 0;
    std::vector<double> tookMs;
    std::string lateAtMs;  // when each late one was asked, from the press
};

// WM_NULL is answered only when the program's thread looks at its queue, so
// the wait is what a click or a redraw would wait at that moment.
// The answer that waited for the report's box to be made is the report's, not
// the cut's: the probe that comes back to a box is not counted.
Probes probeUntil(e2e::App& app, double pressedMs, double lateMs, const std::atomic<bool>& stop) {
    Probes probes;
    while (!stop) {
        const double start = nowMs();
        const bool answered = sendTimed(app.main(), WM_NULL, kProbeTimeoutMs);
        const double took = nowMs() - start;
        if (app.findBox()) break;
        ++probes.count;
        probes.maxMs = std::max(probes.maxMs, took);
        probes.tookMs.push_back(took);
        if (!answered || took > lateMs) {
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
        if (sendTimed(bar, PBM_GETPOS, kProbeTimeoutMs, &position))
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
bool runRound(const std::wstring& source, long long blocks, double lateMs) {
    for (const auto& old : outputs()) DeleteFileW(old.c_str());

    e2e::App app;
    app.chooseFile(source);
    if (app.text(IDC_LABEL1) != e2e::utf8(source)) fail("the window did not take the source " + e2e::utf8(source));
    app.setSize(std::to_string(blocks));
    HWND bar = app.control(IDC_PROGRESSBAR1);

    std::atomic<bool> stop{false};
    Probes probes;
    std::vector<BarSample> samples;
    const double start = nowMs();
    app.clickCut();
    std::thread prober([&] { probes = probeUntil(app, start, lateMs, stop); });
    std::thread sampler([&] { samples = sampleBarUntil(bar, start, stop); });
    HWND box = nullptr;
    while (!(box = app.findBox()) && nowMs() - start < kCutTimeoutMs) Sleep(1);
    const double seconds = (nowMs() - start) / 1000.0;
    stop = true;
    prober.join();
    sampler.join();
    if (!box) fail("no box within " + std::to_string(kCutTimeoutMs / 1000) + " s of the press");

    const e2e::Box shown = app.dismissBox();
    if (shown != e2e::Box{"Tarnvel", "完了。", false})
        fail("the cut ended with the box \"" + shown.caption + "\": \"" + shown.text + "\"");
    const long low = app.barLow(), high = app.barHigh();
    PostMessageW(app.main(), WM_CLOSE, 0, 0);
    if (!app.waitExit(e2e::kWaitMs)) fail("Tarnvel.exe did not close");

    const auto written = outputs();
    if (written.size() != 1) fail("expected one C:\\tarnvel.* output, found " + std::to_string(written.size()));
    const long long size = fileSize(written.front());
    if (size != blocks * 1000)
        fail(e2e::utf8(written.front()) + " holds " + std::to_string(size) + " bytes, not " +
             std::to_string(blocks * 1000));

    const BarVerdict verdict = judgeBar(samples, low);
    // One answer in a hundred may wait on the machine rather than on the cut.
    std::sort(probes.tookMs.begin(), probes.tookMs.end());
    const double p99 = probes.tookMs.empty() ? 0 : probes.tookMs[probes.tookMs.size() * 99 / 100];
    std::printf(
        "cut_s=%.3f probes=%d max_answer_ms=%.1f p99_answer_ms=%.1f late=%d bar_samples=%zu monotonic=%s max_pos=%ld "
        "bound=%ld "
        "reset_seen=%s first_move_ms=%.0f last_move_ms=%.0f late_at_ms=%s\n",
        seconds, probes.count, probes.maxMs, p99, probes.late, samples.size(), verdict.monotonic ? "yes" : "no",
        verdict.highest, high, verdict.resetSeen ? "yes" : "no", verdict.firstMoveMs, verdict.lastMoveMs,
        probes.lateAtMs.empty() ? "-" : probes.lateAtMs.c_str());
    std::fflush(stdout);
    return probes.late == 0 && verdict.monotonic;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4 || argc > 6) {
        std::fprintf(stderr,
                     "usage: tarnvel-real-cut TARNVEL_EXE SOURCE ROUNDS [BLOCKS [LATE_MS]]\n"
                     "  SOURCE (a Windows path) must hold at least BLOCKS (default %lld) x 1000 bytes;\n"
                     "  an answer after LATE_MS (default 100) is late\n",
                     kDefaultBlocks);
        return 2;
    }
    e2e::setTarnvelExe(e2e::windowsPath(argv[1]));
    const std::wstring source = e2e::windowsPath(argv[2]);
    const int rounds = _wtoi(argv[3]);
    const long long blocks = argc >= 5 ? std::wcstoll(argv[4], nullptr, 10) : kDefaultBlocks;
    const double lateMs = argc == 6 ? std::wcstod(argv[5], nullptr) : 100;
    if (rounds < 1 || blocks < 2 || blocks > 2147483) {
        std::fprintf(stderr, "ROUNDS must be 1 or more, BLOCKS between 2 and 2147483\n");
        return 2;
    }
    e2e::skipWindowManagerWaits();
    bool passed = true;
    try {
        for (int round = 1; round <= rounds; ++round) passed = runRound(source, blocks, lateMs) && passed;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnvel-real-cut: %s\n", e.what());
        return 2;
    }
    return passed ? 0 : 1;
}
