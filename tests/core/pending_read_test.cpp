// Reads that really pend, through the program's own event pass: a named pipe,
// which Windows and Wine alike leave pending until its writer writes, where
// Wine reads a regular file inside ReadFile. Each case is a writer's script
// against a cut of the pipe, with a window whose messages show what ran.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "event_pass.h"
#include "progress_bar.h"
#include "tarnvel/head_cut.h"
#include "tarnvel/unique_owner.h"
#include "test_files.h"

namespace tarnvel {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr UINT kRunThis = WM_APP + 7;  // lParam: a std::function<void()>* to run on the cut's thread

LRESULT CALLBACK runningWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunThis) return DefWindowProcW(window, message, wParam, lParam);
    (*reinterpret_cast<std::function<void()>*>(lParam))();
    return 0;
}

// The window the writer posts to: what it runs, runs only in an event pass of the cut.
using Window = UniqueOwner<ClosedBy<HWND, DestroyWindow>>;
Window makeMessageWindow() {
    WNDCLASSW type{};
    type.lpfnWndProc = runningWindow;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"TarnvelPendingReadTest";
    RegisterClassW(&type);
    return Window(
        CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance, nullptr));
}

// The window's own pass, counted; one whose handler failed throws as it returns.
class CountedPass final : public ProgressSink {
public:
    CountedPass(ui::ProgressBar& bar, const bool& handlerFailed) : pass_(bar), handlerFailed_(handlerFailed) {}
    void setUpperBound(std::int32_t upper) override { pass_.setUpperBound(upper); }
    void setPosition(std::int32_t position) override { pass_.setPosition(position); }
    void letPendingEventsRun() override { pass_.letPendingEventsRun(); }
    bool letEventsRunUntil(NativeHandle readEnded, milliseconds most) override {
        ++waits;
        const bool ended = pass_.letEventsRunUntil(readEnded, most);
        if (handlerFailed_) throw std::runtime_error("a handler failed");
        return ended;
    }
    int waits = 0;

private:
    ui::EventPass pass_;
    const bool& handlerFailed_;
};

struct Pipe {
    std::wstring name;
    HANDLE writer = INVALID_HANDLE_VALUE;
};

Pipe makePipe() {
    static int made = 0;
    Pipe pipe;
    pipe.name = L"\\\\.\\pipe\\tarnvel-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++made);
    pipe.writer = CreateNamedPipeW(pipe.name.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16, 1 << 16, 0, nullptr);
    return pipe;
}

// What the writer does, step by step, on its own thread.
struct Step {
    enum What { Write, Sleep, RunInPass, Close } what;
    std::size_t bytes = 0;  // Write: so many bytes more of the pattern; Sleep: milliseconds
    std::function<void()> inPass = {};
};

TEST(PendingRead, TheWindowRunsWhileAPipeKeepsTheCutWaitingAndEachEndIsTheEnginesOwn) {
    testing::ScratchFolder folder;
    const std::vector<char> bytes = testing::patternBytes(5000);
    CutStop stop;
    std::atomic<bool> ranDuringRead = false;
    bool handlerFailed = false;
    struct Case {
        const char* name;
        std::int32_t blocks;
        std::vector<Step> script;
        CutEnd end;
        std::optional<std::size_t> outputBytes;  // none: nothing left
        int mostWaits;                           // a wait a frame at a time, never a spin
        bool quits = false;                      // the pass sees a quit, which the outer loop must get
    };
    const Case cases[] = {
        {"data that arrives late completes the read, the window running meanwhile",
         2,
         {{Step::Sleep, 300}, {Step::RunInPass, 0, [&] { ranDuringRead = true; }}, {Step::Write, 2500}},
         CutEnd::Done,
         2000,
         100},
        {"a stop cancels the read and leaves nothing",
         3,
         {{Step::Write, 1000}, {Step::Sleep, 100}, {Step::RunInPass, 0, [&] { stop.request(); }}, {Step::Sleep, 500}},
         CutEnd::Stopped,
         std::nullopt,
         100},
        // The read is cancelled and waited for before its buffer goes.
        {"a handler that fails while the read pends leaves nothing",
         3,
         {{Step::Write, 1000},
          {Step::Sleep, 100},
          {Step::RunInPass, 0, [&] { handlerFailed = true; }},
          {Step::Sleep, 300}},
         CutEnd::Unexpected,
         std::nullopt,
         100},
        {"short reads, then a writer that closes: the source ended",
         3,
         {{Step::Write, 300},
          {Step::Sleep, 50},
          {Step::Write, 900},
          {Step::Sleep, 50},
          {Step::Write, 300},
          {Step::Close}},
         CutEnd::SourceEnded,
         1500,
         100},
        {"a writer that closes at once", 2, {{Step::Sleep, 100}, {Step::Close}}, CutEnd::SourceEnded, 0, 100},
        // A quit put back in the queue wakes every wait for input: 300 ms of them would be thousands.
        {"a quit during the wait",
         2,
         {{Step::RunInPass, 0, [] { PostQuitMessage(3); }}, {Step::Sleep, 300}, {Step::Write, 2000}},
         CutEnd::Done,
         2000,
         60,
         true},
    };
    const Window window = makeMessageWindow();
    ASSERT_TRUE(window);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stop = {};
        ranDuringRead = false;
        handlerFailed = false;
        const auto output = folder / u"out.bin";
        std::filesystem::remove(output);
        Pipe pipe = makePipe();
        ASSERT_NE(pipe.writer, INVALID_HANDLE_VALUE) << GetLastError();
        File source;
        ASSERT_EQ(source.openForReading(pathText(pipe.name)), kNoError);

        std::thread writer([&] {
            // The reader has opened it already; this only says so.
            ConnectNamedPipe(pipe.writer, nullptr);
            std::size_t written = 0;
            for (const Step& step : c.script) {
                switch (step.what) {
                case Step::Write: {
                    DWORD put = 0;
                    WriteFile(pipe.writer, bytes.data() + written, static_cast<DWORD>(step.bytes), &put, nullptr);
                    written += put;
                    break;
                }
                case Step::Sleep: std::this_thread::sleep_for(milliseconds(step.bytes)); break;
                case Step::RunInPass: {
                    // Sent, not posted: it returns once the cut's thread has run it in a pass.
                    DWORD_PTR ignored = 0;
                    SendMessageTimeoutW(window.get(), kRunThis, 0, reinterpret_cast<LPARAM>(&step.inPass), SMTO_NORMAL,
                                        5000, &ignored);
                    break;
                }
                case Step::Close: CloseHandle(std::exchange(pipe.writer, INVALID_HANDLE_VALUE)); break;
                }
            }
        });
        ui::ProgressBar bar;
        CountedPass pass(bar, handlerFailed);
        const CutRequest request{pathText(pipe.name), static_cast<double>(c.blocks), c.blocks, u"bin"};
        const auto started = Clock::now();
        const CutOutcome outcome = runHeadCut(request, std::move(source), pass, pathText(output), {&stop});
        const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - started);
        writer.join();
        if (pipe.writer != INVALID_HANDLE_VALUE) CloseHandle(pipe.writer);
        MSG quit;
        const bool quitKept = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);

        EXPECT_EQ(outcome.end, c.end) << std::string(outcome.notice.prompt.begin(), outcome.notice.prompt.end());
        EXPECT_EQ(std::filesystem::exists(output), c.outputBytes.has_value());
        if (c.outputBytes && std::filesystem::exists(output)) {
            EXPECT_EQ(testing::readFile(output),
                      std::vector<char>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(*c.outputBytes)));
        }
        EXPECT_GE(pass.waits, 1) << "the read never pended";
        EXPECT_LE(pass.waits, c.mostWaits) << "in " << took.count() << " ms";
        EXPECT_EQ(quitKept, c.quits);
        const bool runsInPass = std::any_of(c.script.begin(), c.script.end(),
                                            [](const Step& step) { return step.what == Step::RunInPass; });
        if (runsInPass && c.end == CutEnd::Done && !c.quits) {
            EXPECT_TRUE(ranDuringRead) << "the window did not run while the read pended";
        }
        if (quitKept) {
            EXPECT_EQ(quit.wParam, 3u);
        }
    }
}

}  // namespace
}  // namespace tarnvel
