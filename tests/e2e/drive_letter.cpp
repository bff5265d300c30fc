#include "drive_letter.h"

#include "driver.h"

namespace e2e {
namespace {

constexpr wchar_t kPrefixLetter[] = L"T:";

bool showsC(const std::wstring& letter, const std::wstring& probe) {
    return sameFile(letter + L"\\" + probe, L"C:\\" + probe);
}

std::wstring freeLetter() {
    const DWORD used = GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter >= L'D'; --letter)
        if (!(used & (1u << (letter - L'A')))) return {letter, L':'};
    return {};
}

}  // namespace

bool sameFile(const std::wstring& a, const std::wstring& b) {
    auto identify = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
        Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.get() != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return identify(a, first) && identify(b, second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

SecondLetterForC::SecondLetterForC(const std::wstring& probe) {
    const std::wstring letter = freeLetter();
    if (!letter.empty() && DefineDosDeviceW(0, letter.c_str(), L"C:\\")) {
        defined_ = true;
        if (showsC(letter, probe)) {
            letter_ = letter;
            return;
        }
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter.c_str(), nullptr);
        defined_ = false;
    }
    if (showsC(kPrefixLetter, probe)) letter_ = kPrefixLetter;
}

SecondLetterForC::~SecondLetterForC() {
    if (defined_) DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter_.c_str(), nullptr);
}

}  // namespace e2e
