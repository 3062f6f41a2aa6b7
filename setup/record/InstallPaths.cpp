#include "InstallPaths.h"

#include <windows.h>
#include <shlobj.h>

#include <utility>

namespace InstallRecord {

namespace {

bool IsSeparator(wchar_t character) { return character == L'\\' || character == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

std::wstring WithBackSlashes(std::wstring path) {
    for (wchar_t& character : path) {
        if (character == L'/') {
            character = L'\\';
        }
    }
    return path;
}

std::wstring WithoutFinalSeparators(std::wstring path) {
    while (!path.empty() && IsSeparator(path.back())) {
        path.pop_back();
    }
    return path;
}

std::wstring WithFinalBackSlash(std::wstring folder) { return WithoutFinalSeparators(std::move(folder)) + L'\\'; }

bool IsDriveLetterRoot(const std::wstring& folder) {
    return (folder.size() == 2 || (folder.size() == 3 && IsSeparator(folder[2]))) && IsDriveLetter(folder[0]) &&
           folder[1] == L':';
}

bool IsRootOrEmptyPath(const wchar_t* path) {
    const std::wstring text = WithoutFinalSeparators(WithBackSlashes(path ? path : L""));
    if (text.empty()) {
        return true;
    }
    if (text.size() == 2 && text[1] == L':') {
        return true;
    }
    if (text.compare(0, 2, L"\\\\") == 0) {
        // "\\server" or "\\server\share": no folder of its own below.
        const size_t share = text.find(L'\\', 2);
        return share == std::wstring::npos || text.find(L'\\', share + 1) == std::wstring::npos;
    }
    return false;
}

std::wstring SpecialFolder(int csidl) {
    wchar_t folder[MAX_PATH + 1] = {};
    return SHGetSpecialFolderPathW(nullptr, folder, csidl, FALSE) ? std::wstring(folder) : std::wstring();
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace InstallRecord
