#include "LogFile.h"

#include <cstdio>
#include <string>

#include "ProgramFolder.h"
#include "TextFormat.h"

namespace {

constexpr ULONGLONG kTicksPerHour = 36000000000ULL;  // 100-ns ticks
constexpr ULONGLONG kChinaOffsetHours = 8;

SYSTEMTIME ShiftedToChinaTime(const SYSTEMTIME& utc) {
    FILETIME asFileTime = {};
    SystemTimeToFileTime(&utc, &asFileTime);
    ULARGE_INTEGER ticks;
    ticks.LowPart = asFileTime.dwLowDateTime;
    ticks.HighPart = asFileTime.dwHighDateTime;
    ticks.QuadPart += kChinaOffsetHours * kTicksPerHour;
    asFileTime.dwLowDateTime = ticks.LowPart;
    asFileTime.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME shifted = {};
    FileTimeToSystemTime(&asFileTime, &shifted);
    return shifted;
}

}  // namespace

std::wstring CLogFile::PathInFolder(const std::wstring& folder) { return ::PathInFolder(folder, L"Log\\tavikLog.log"); }

bool CLogFile::Create(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(lock_);
    path_ = path;
    if (path_.empty()) {
        return false;
    }
    FILE* file = _wfopen(path_.c_str(), L"w");
    if (!file) {
        return false;
    }
    fclose(file);
    return true;
}

std::wstring CLogFile::FormatLine(const SYSTEMTIME& utc, const std::wstring& text) {
    const SYSTEMTIME local = ShiftedToChinaTime(utc);
    // The text goes in as an argument, never as the format.
    return FormatWide(L"%04d-%02d-%02d %02d:%02d:%02d %s\r\n", local.wYear, local.wMonth, local.wDay, local.wHour,
                      local.wMinute, local.wSecond, text.c_str());
}

bool CLogFile::AppendLine(const std::wstring& text) {
    SYSTEMTIME utc = {};
    GetSystemTime(&utc);
    const std::string line = WideToAnsi(FormatLine(utc, text));

    std::lock_guard<std::mutex> guard(lock_);
    if (path_.empty()) {
        return false;
    }
    // Binary: the line carries its own "\r\n", which text mode would turn
    // into "\r\r\n".
    FILE* file = _wfopen(path_.c_str(), L"ab+");
    if (!file) {
        return false;
    }
    fseek(file, 0, SEEK_END);
    const bool written = fwrite(line.data(), 1, line.size(), file) == line.size();
    fclose(file);
    return written;
}
