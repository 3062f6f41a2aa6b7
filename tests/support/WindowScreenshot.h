// Screenshots that tests and the run driver keep for a person to look at.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Saves what the screen shows of the window as a 24-bit BMP file; false
// when the window has no rectangle or the file cannot be written.
bool SaveWindowScreenshot(HWND window, const std::wstring& path);

}  // namespace testsupport
