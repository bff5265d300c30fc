#pragma once
// Files on the Wine drive C: that the tests cut from and compare with.

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace e2e {

using Bytes = std::vector<unsigned char>;

// Different seeds give different contents, so a block taken from the wrong
// file or the wrong offset never compares equal by accident.
Bytes pattern(size_t count, unsigned seed = 1);
void writeBytes(const std::wstring& path, const Bytes& bytes);
Bytes readBytes(const std::wstring& path);
bool exists(const std::wstring& path);
// Something is at path, though Windows may refuse to show it: a running cut's
// output is about to be deleted, and answers every look with access denied.
bool present(const std::wstring& path);
void removePath(const std::wstring& path);
// A file of the given length that takes no disk space.
void makeSparse(const std::wstring& path, long long size);
void copyFile(const std::wstring& from, const std::wstring& to);
// A file that travels with the suite, in its own folder.
std::wstring besideThisProgram(const wchar_t* name);

std::wstring outputFor(const std::wstring& ext);
inline const std::wstring kOutputMpg = L"C:\\tarnvel.mpg";

// The file at path holds exactly the first count bytes of source.
::testing::AssertionResult holdsHead(const std::wstring& path, const Bytes& source, size_t count);
::testing::AssertionResult holds(const std::wstring& path, const Bytes& expected);

// A private folder C:\tarnvel-e2e\<suite>.<test>; it also clears every
// C:\tarnvel.* output before and after the test.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::wstring operator/(const std::string& name) const;  // name in UTF-8
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace e2e
