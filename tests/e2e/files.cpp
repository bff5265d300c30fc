#include "files.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "driver.h"

namespace e2e {
namespace {

[[noreturn]] void fail(const std::string& what, const std::wstring& path) {
    throw std::runtime_error(what + " " + utf8(path) + ", error " + std::to_string(GetLastError()));
}

void removeOutputs() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"C:\\tarnvel.*", &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do removePath(std::wstring(L"C:\\") + found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

Bytes pattern(size_t count, unsigned seed) {
    Bytes bytes(count);
    unsigned state = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<unsigned char>(state >> 24);
    }
    return bytes;
}

void writeBytes(const std::wstring& path, const Bytes& bytes) {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) fail("cannot create", path);
    for (size_t done = 0; done < bytes.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) fail("cannot write", path);
        done += written;
    }
}

Bytes readBytes(const std::wstring& path) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) fail("cannot open", path);
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    Bytes bytes(static_cast<size_t>(size.QuadPart));
    for (size_t done = 0; done < bytes.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr) || read == 0) fail("cannot read", path);
        done += read;
    }
    return bytes;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool present(const std::wstring& path) {
    return exists(path) || (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND);
}

void removePath(const std::wstring& path) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

void makeSparse(const std::wstring& path, long long size) {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) fail("cannot create", path);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
        fail("cannot extend", path);
}

std::wstring outputFor(const std::wstring& ext) { return L"C:\\tarnvel." + ext; }

::testing::AssertionResult holdsHead(const std::wstring& path, const Bytes& source, size_t count) {
    return holds(path, Bytes(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(count)));
}

::testing::AssertionResult holds(const std::wstring& path, const Bytes& expected) {
    if (!exists(path)) return ::testing::AssertionFailure() << utf8(path) << " does not exist";
    Bytes actual = readBytes(path);
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << utf8(path) << " holds " << actual.size() << " bytes, expected " << expected.size();
    auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin());
    if (a != actual.end())
        return ::testing::AssertionFailure() << utf8(path) << " differs first at byte " << (a - actual.begin());
    return ::testing::AssertionSuccess();
}

Scratch::Scratch() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = L"C:\\tarnvel-e2e\\" + wide(std::string(test->test_suite_name()) + "." + test->name());
    removeOutputs();
    removePath(path_);
    std::filesystem::create_directories(std::filesystem::path(path_));
}

Scratch::~Scratch() {
    removeOutputs();
    removePath(path_);
    RemoveDirectoryW(L"C:\\tarnvel-e2e");  // only once it is empty
}

std::wstring Scratch::operator/(const std::string& name) const { return path_ + L"\\" + wide(name); }

std::wstring besideThisProgram(const wchar_t* name) {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

void copyFile(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + utf8(from) + ", error " + std::to_string(GetLastError()));
}

}  // namespace e2e
