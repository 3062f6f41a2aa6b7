#include "PathRemoval.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

namespace TavikUninstall {

namespace {

bool IsSeparator(wchar_t character) { return character == L'\\' || character == L'/'; }

std::wstring WithBackSlashes(const wchar_t* path) {
    std::wstring text(path ? path : L"");
    for (wchar_t& character : text) {
        if (character == L'/') character = L'\\';
    }
    return text;
}

void DropFinalSeparators(std::wstring& path) {
    while (!path.empty() && IsSeparator(path.back())) path.pop_back();
}

// A "..", as a whole step, anywhere in the path.
bool HasParentStep(const std::wstring& path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        if (path.compare(start, end - start, L"..") == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

bool DeletePath(const wchar_t* path, HWND owner) {
    // Whatever a caller read from the list or the registration.
    if (IsDriveRoot(path)) return false;
    std::wstring from = WithBackSlashes(path);
    // Only the last separator goes: a folder item is listed as "name/".
    if (!from.empty() && from.back() == L'\\') from.pop_back();
    if (from.empty()) return false;
    // The shell reads a list of names ending with an empty one.
    from.push_back(L'\0');

    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

bool IsDriveRoot(const wchar_t* path) {
    std::wstring text = WithBackSlashes(path);
    DropFinalSeparators(text);
    if (text.empty()) return true;
    if (text.size() == 2 && text[1] == L':') return true;
    if (text.compare(0, 2, L"\\\\") == 0) {
        // "\\server" or "\\server\share": no folder of its own below.
        const size_t share = text.find(L'\\', 2);
        return share == std::wstring::npos || text.find(L'\\', share + 1) == std::wstring::npos;
    }
    return false;
}

bool IsInsideFolder(const wchar_t* path, const wchar_t* folder) {
    const std::wstring item = WithBackSlashes(path);
    std::wstring base = WithBackSlashes(folder);
    DropFinalSeparators(base);
    if (base.empty() || IsDriveRoot(base.c_str())) return false;
    base.push_back(L'\\');
    if (item.size() <= base.size() || _wcsnicmp(item.c_str(), base.c_str(), base.size()) != 0) return false;
    std::wstring below = item.substr(base.size());
    DropFinalSeparators(below);
    return !below.empty() && !HasParentStep(below);
}

std::wstring ResolvedPath(const wchar_t* path) {
    // Backup semantics open folders as well; no access beyond the attributes
    // is asked, so files in use open too.
    HANDLE handle = CreateFileW(WithBackSlashes(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::wstring();
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, &resolved[0], static_cast<DWORD>(resolved.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= resolved.size()) {
        resolved.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, &resolved[0], static_cast<DWORD>(resolved.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    CloseHandle(handle);
    if (length == 0 || length >= resolved.size()) return std::wstring();
    resolved.resize(length);
    if (resolved.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        resolved = L"\\" + resolved.substr(7);
    } else if (resolved.compare(0, 4, L"\\\\?\\") == 0) {
        resolved = resolved.substr(4);
    }
    DropFinalSeparators(resolved);
    return resolved;
}

bool IsReparsePoint(const wchar_t* path) {
    std::wstring text = WithBackSlashes(path);
    DropFinalSeparators(text);
    const DWORD attributes = GetFileAttributesW(text.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace TavikUninstall
