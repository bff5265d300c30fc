#pragma once

#include <string>

namespace e2e {

// The whole virtual screen, every monitor, as a 24-bit BMP. False, with
// nothing left behind, when a step fails.
bool writeScreenshot(const std::wstring& path);

// With TARNVEL_E2E_SCREENSHOTS naming a folder, each failing case leaves
// <suite>.<case>.bmp there: taken at its first failed check, or, when a helper
// throws, just before the program under test is ended, so what the window
// showed is kept although every Tarnvel is ended before the case is over.
// Without the variable nothing is written.
void keepScreenshotsOfFailures();

// The file name a case's screenshot gets: its full name, with every character
// that Windows refuses in a name, or that would make a path of it, replaced.
std::wstring screenshotName(const std::string& suite, const std::string& name);

}  // namespace e2e
