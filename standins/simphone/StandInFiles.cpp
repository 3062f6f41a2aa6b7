#include "StandInFiles.h"

#include <windows.h>

namespace {

std::optional<std::string> ReadOpenedFile(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof(chunk), &got, nullptr) != FALSE) && got > 0) {
        text.append(chunk, got);
    }
    CloseHandle(file);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

}  // namespace

namespace standins {

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    return ReadOpenedFile(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
}

std::optional<std::string> ReadWholeFileAnsi(const std::string& path) {
    return ReadOpenedFile(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
}

}  // namespace standins
