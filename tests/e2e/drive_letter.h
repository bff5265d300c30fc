#pragma once
// C:\ under a second drive letter, as SUBST makes one (DefineDosDeviceW).
// Wine 8 accepts such a definition but opens no file through it; there the
// letter T: that scripts/setup-wine-prefix.sh links to drive_c serves instead.

#include <windows.h>

#include <string>

namespace e2e {

// Whether both paths open the same file: same volume, same file index.
bool sameFile(const std::wstring& a, const std::wstring& b);

class SecondLetterForC {
public:
    // probe: a file that exists under C:\, named without "C:\".
    explicit SecondLetterForC(const std::wstring& probe);
    ~SecondLetterForC();
    SecondLetterForC(const SecondLetterForC&) = delete;
    SecondLetterForC& operator=(const SecondLetterForC&) = delete;

    // "T:", say; empty when no letter shows C:\.
    const std::wstring& letter() const { return letter_; }

private:
    std::wstring letter_;
    bool defined_ = false;
};

}  // namespace e2e
