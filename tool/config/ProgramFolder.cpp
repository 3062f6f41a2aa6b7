#include "ProgramFolder.h"

#include <windows.h>

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    // A full buffer means the path was cut short.
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    const std::wstring whole(path, length);
    const size_t slash = whole.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : whole.substr(0, slash);
}

std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) {
        return std::wstring();
    }
    std::wstring path = folder + L"\\" + name;
    return path.size() < MAX_PATH ? path : std::wstring();
}
