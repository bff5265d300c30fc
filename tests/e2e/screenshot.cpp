#include "screenshot.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <utility>

#include "driver.h"
#include "win32_owners.h"

namespace e2e {
namespace {

using MemoryDc = tarnvel::UniqueOwner<tarnvel::ClosedBy<HDC, DeleteDC>>;
using Bitmap = tarnvel::UniqueOwner<tarnvel::ClosedBy<HBITMAP, DeleteObject>>;

bool writeAll(HANDLE file, const void* data, size_t size) {
    const auto* at = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 24) ? (1u << 24) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, at, chunk, &written, nullptr) || written == 0) return false;
        at += written;
        size -= written;
    }
    return true;
}

// A folder and the folders above it; one that exists already is fine.
bool makeFolders(const std::wstring& folder) {
    for (size_t slash = folder.find(L'\\', 3); slash != std::wstring::npos; slash = folder.find(L'\\', slash + 1))
        CreateDirectoryW(folder.substr(0, slash).c_str(), nullptr);
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring screenshotFolder() {
    wchar_t value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"TARNVEL_E2E_SCREENSHOTS", value, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    // Made absolute now: a case may change the current folder before it fails.
    wchar_t full[MAX_PATH];
    const DWORD fullLength = GetFullPathNameW(value, MAX_PATH, full, nullptr);
    if (fullLength == 0 || fullLength >= MAX_PATH) return {};
    std::wstring folder(full, fullLength);
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

class FailureScreenshots : public ::testing::EmptyTestEventListener {
public:
    explicit FailureScreenshots(std::wstring folder) : folder_(std::move(folder)) {}

    void OnTestStart(const ::testing::TestInfo&) override { taken_ = false; }
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.failed()) take();
    }
    // A case whose failure came while no check ran, a crash box for instance.
    void OnTestEnd(const ::testing::TestInfo& info) override {
        if (info.result()->Failed()) take();
    }
    // App's destructor: a helper's exception is on its way to GoogleTest,
    // which records it only once the program is gone.
    void beforeEnding() {
        if (std::uncaught_exceptions() > 0) take();
    }

private:
    void take() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        if (taken_ || !info) return;
        taken_ = true;
        if (!makeFolders(folder_)) {
            const DWORD error = GetLastError();
            fprintf(stderr, "screenshot: cannot create %s, error %lu\n", utf8(folder_).c_str(), error);
            return;
        }
        const std::wstring path = folder_ + L"\\" + screenshotName(info->test_suite_name(), info->name());
        const bool written = writeScreenshot(path);
        const DWORD error = GetLastError();
        if (written)
            fprintf(stderr, "screenshot of the failure: %s\n", utf8(path).c_str());
        else
            fprintf(stderr, "screenshot: cannot write %s, error %lu\n", utf8(path).c_str(), error);
    }

    std::wstring folder_;
    bool taken_ = false;
};

}  // namespace

bool writeScreenshot(const std::wstring& path) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return false;

    const tarnvel::ui::WindowDc screen = tarnvel::ui::dcOf(nullptr);
    if (!screen) return false;
    const MemoryDc memory(CreateCompatibleDC(screen.get().dc));
    if (!memory) return false;
    // Bottom-up rows of 24 bits, each padded to 4 bytes: the layout every
    // reader of BMP files takes.
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t imageSize = stride * static_cast<size_t>(height);
    void* bits = nullptr;
    const Bitmap dib(
        CreateDIBSection(screen.get().dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return false;
    const HGDIOBJ previous = SelectObject(memory.get(), dib.get());
    // CAPTUREBLT takes layered windows too, which a plain copy leaves out.
    const bool copied =
        BitBlt(memory.get(), 0, 0, width, height, screen.get().dc, left, top, SRCCOPY | CAPTUREBLT) != FALSE;
    GdiFlush();
    SelectObject(memory.get(), previous);
    if (!copied) return false;

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = static_cast<DWORD>(fileHeader.bfOffBits + imageSize);
    header.biSizeImage = static_cast<DWORD>(imageSize);

    bool written = false;
    {
        const Handle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) return false;
        written = writeAll(file.get(), &fileHeader, sizeof fileHeader) &&
                  writeAll(file.get(), &header, sizeof header) && writeAll(file.get(), bits, imageSize);
    }
    if (!written) {
        const DWORD error = GetLastError();
        DeleteFileW(path.c_str());
        SetLastError(error);
    }
    return written;
}

std::wstring screenshotName(const std::string& suite, const std::string& name) {
    std::wstring file = wide(suite + "." + name);
    for (wchar_t& c : file)
        if (c < 0x20 || wcschr(L"<>:\"/\\|?*", c)) c = L'_';
    return file + L".bmp";
}

void keepScreenshotsOfFailures() {
    std::wstring folder = screenshotFolder();
    if (folder.empty()) return;
    auto* listener = new FailureScreenshots(std::move(folder));
    // GoogleTest owns and deletes the listener; App's hook runs only while the tests do.
    ::testing::UnitTest::GetInstance()->listeners().Append(listener);
    setBeforeEnding([listener] { listener->beforeEnding(); });
}

}  // namespace e2e
