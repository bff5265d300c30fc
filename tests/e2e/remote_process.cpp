#include "remote_process.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace e2e {
namespace {

// Only the fields read here, at the places 64-bit Windows (and Wine) keep them.
struct BasicInformation {
    LONG exitStatus;
    void* pebAddress;
    ULONG_PTR affinityMask;
    LONG basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR inheritedFromUniqueProcessId;
};
struct CountedString {
    USHORT length;  // bytes
    USHORT maximumLength;
    wchar_t* buffer;
};
constexpr std::size_t kProcessParametersInPeb = 0x20;
constexpr std::size_t kCurrentDirectoryInParameters = 0x38;
static_assert(sizeof(void*) == 8, "the offsets above are those of 64-bit processes");

using NtQueryInformationProcessCall = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
constexpr int kProcessBasicInformation = 0;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ", error " + std::to_string(GetLastError()));
}

template <typename T>
T readRemote(HANDLE process, const void* address) {
    T value{};
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, address, &value, sizeof value, &read) || read != sizeof value)
        fail("cannot read the program's memory");
    return value;
}

}  // namespace

std::wstring currentDirectoryOf(HANDLE process) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto query = reinterpret_cast<NtQueryInformationProcessCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
    if (!query) fail("no NtQueryInformationProcess");
    BasicInformation basic{};
    if (query(process, kProcessBasicInformation, &basic, sizeof basic, nullptr) < 0)
        fail("NtQueryInformationProcess failed");

    const auto* peb = static_cast<const std::byte*>(basic.pebAddress);
    const auto* parameters = readRemote<const std::byte*>(process, peb + kProcessParametersInPeb);
    const auto path = readRemote<CountedString>(process, parameters + kCurrentDirectoryInParameters);
    std::wstring directory(path.length / sizeof(wchar_t), L'\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, path.buffer, directory.data(), path.length, &read) || read != path.length)
        fail("cannot read the program's current directory");
    return directory;
}

void loadLibraryInside(HANDLE process, const std::wstring& name, DWORD timeoutMs) {
    const size_t bytes = (name.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) fail("cannot allocate in the program's memory");
    const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    HANDLE thread = WriteProcessMemory(process, remote, name.c_str(), bytes, nullptr)
                        ? CreateRemoteThread(process, nullptr, 0, loadLibrary, remote, 0, nullptr)
                        : nullptr;
    const bool ran = thread && WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
    if (thread) CloseHandle(thread);
    if (!ran) fail("cannot run LoadLibraryW in the program's process");
    // Only once the thread is done with the name.
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
}

}  // namespace e2e
