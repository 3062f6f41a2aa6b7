#include "PathRemoval.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

#include "InstallPaths.h"

namespace TavikUninstall {

namespace {

using InstallRecord::IsRootOrEmptyPath;
using InstallRecord::WithoutFinalSeparators;

std::wstring WithBackSlashes(const wchar_t* path) { return InstallRecord::WithBackSlashes(path ? path : L""); }

// A "..", as a whole step, anywhere in the path.
bool HasParentStep(const std::wstring& path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        if (path.compare(start, end - start, L"..") == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

bool DeletePath(const wchar_t* path, HWND owner) {
    // Whatever a caller read from the list or the registration.
    if (IsRootOrEmptyPath(path)) {
        return false;
    }
    std::wstring from = WithBackSlashes(path);
    // Only the last separator goes: a folder item is listed as "name/".
    if (!from.empty() && from.back() == L'\\') {
        from.pop_back();
    }
    if (from.empty()) {
        return false;
    }
    // The shell reads a list of names ending with an empty one.
    from.push_back(L'\0');

    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted &&
           !InstallRecord::PathExists(from.c_str());
}

bool IsInsideFolder(const wchar_t* path, const wchar_t* folder) {
    const std::wstring item = InstallRecord::NormalisedPath(path ? path : L"");
    std::wstring base = WithoutFinalSeparators(InstallRecord::NormalisedPath(folder ? folder : L""));
    if (base.empty() || IsRootOrEmptyPath(base.c_str())) {
        return false;
    }
    base.push_back(L'\\');
    if (item.size() <= base.size() || _wcsnicmp(item.c_str(), base.c_str(), base.size()) != 0) {
        return false;
    }
    const std::wstring below = WithoutFinalSeparators(item.substr(base.size()));
    return !below.empty() && !HasParentStep(below);
}

std::wstring ResolvedPath(const wchar_t* path) {
    // Backup semantics open folders as well; no access beyond the attributes
    // is asked, so files in use open too.
    HANDLE handle = CreateFileW(WithBackSlashes(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::wstring();
    }
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, &resolved[0], static_cast<DWORD>(resolved.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= resolved.size()) {
        resolved.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, &resolved[0], static_cast<DWORD>(resolved.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    CloseHandle(handle);
    if (length == 0 || length >= resolved.size()) {
        return std::wstring();
    }
    resolved.resize(length);
    if (resolved.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        resolved = L"\\" + resolved.substr(7);
    } else if (resolved.compare(0, 4, L"\\\\?\\") == 0) {
        resolved = resolved.substr(4);
    }
    return WithoutFinalSeparators(resolved);
}

bool IsReparsePoint(const wchar_t* path) {
    const std::wstring text = WithoutFinalSeparators(WithBackSlashes(path));
    const DWORD attributes = GetFileAttributesW(text.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace TavikUninstall
