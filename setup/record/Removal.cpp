#include "Removal.h"

#include "InstallPaths.h"

namespace InstallRecord {

namespace {

constexpr DWORD kRetryPauseMs = 250;

// The system's text for an error, without its final line break.
std::wstring SystemText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length && text ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

bool RemoveWithinBound(const std::wstring& path, const std::function<bool()>& remove, DWORD boundMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (remove() || !PathExists(path)) {
            return !PathExists(path);
        }
        if (GetTickCount() - start >= boundMs) {
            return false;
        }
        Sleep(kRetryPauseMs);
    }
}

std::wstring StayingPathLine(const std::wstring& path) {
    // Opened for removal as the removal itself would be: the error is the
    // reason it stays.
    HANDLE file = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    const std::wstring reason = error == ERROR_SUCCESS ? std::wstring() : SystemText(error);
    return L"未能删除：" + path + (reason.empty() ? std::wstring() : L"（" + reason + L"）");
}

}  // namespace InstallRecord
