#include "TextFormat.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

std::wstring FormatWideV(const wchar_t* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    _vsnwprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::wstring FormatWide(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(format, args);
    va_end(args);
    return text;
}

std::string FormatNarrowV(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = _vscprintf(format, measure);
    va_end(measure);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    _vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string FormatNarrow(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatNarrowV(format, args);
    va_end(args);
    return text;
}

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], bytes,
                        nullptr, nullptr);
    return narrow;
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                          nullptr, 0);
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], chars);
    return wide;
}

bool WideToNarrow(const std::wstring& text, char* buffer, size_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0) {
        return false;
    }
    const std::string narrow = WideToAnsi(text);
    if (narrow.size() + 1 > bufferSize) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, narrow.c_str(), narrow.size() + 1);
    return true;
}
