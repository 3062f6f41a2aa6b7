// Stands in the payload for a program whose own build is not part of this
// tree yet (TAVIK_PLACEHOLDER_NAME names it). It says so in a window and does
// nothing else; started with "/q" (as the installer starts an earlier
// uninstaller) it ends at once.
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    if (wcscmp(commandLine, L"/q") == 0) return 0;
    MessageBoxW(nullptr, L"This build carries a placeholder for " TAVIK_PLACEHOLDER_NAME L".",
                TAVIK_PLACEHOLDER_NAME L" (placeholder)", MB_OK | MB_ICONINFORMATION);
    return 0;
}
