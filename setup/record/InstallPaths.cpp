#include "InstallPaths.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <utility>

namespace InstallRecord {

namespace {

bool IsSeparator(wchar_t character) { return character == L'\\' || character == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:\\..." or "\\\\server\\...", after '/' became '\\'.
bool IsFullPath(const std::wstring& path) {
    return (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') ||
           path.compare(0, 2, L"\\\\") == 0;
}

// Runs of back slashes become one; a share's leading pair stays.
std::wstring WithSingleSeparators(const std::wstring& path) {
    const size_t lead = path.compare(0, 2, L"\\\\") == 0 ? 2 : 0;
    std::wstring single = path.substr(0, lead);
    for (size_t i = lead; i < path.size(); ++i) {
        if (path[i] != L'\\' || single.empty() || single.back() != L'\\') {
            single.push_back(path[i]);
        }
    }
    return single;
}

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

std::wstring NormalisedPath(const std::wstring& path) {
    const std::wstring single = WithSingleSeparators(WithBackSlashes(path));
    if (!IsFullPath(single)) {
        return single;
    }
    const DWORD size = GetFullPathNameW(single.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size ? GetFullPathNameW(single.c_str(), size, &full[0], nullptr) : 0;
    if (length == 0 || length >= size) {
        return single;
    }
    full.resize(length);
    return full;
}

std::wstring NormalisedFolder(const std::wstring& folder) { return WithFinalBackSlash(NormalisedPath(folder)); }

bool IsSamePath(const std::wstring& a, const std::wstring& b) {
    const std::wstring first = WithoutFinalSeparators(NormalisedPath(a));
    const std::wstring second = WithoutFinalSeparators(NormalisedPath(b));
    return _wcsicmp(first.c_str(), second.c_str()) == 0;
}

bool IsFolderItem(const std::wstring& path) { return !path.empty() && (path.back() == L'/' || path.back() == L'\\'); }

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
