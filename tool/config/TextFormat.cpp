#include "TextFormat.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// Measures the text with `measure`, then prints it with `print`: the
// runtime's own formatting, with its conventions for "%s", "%S" and "%I64d".
template <typename Char>
std::basic_string<Char> FormatV(int (*measure)(const Char*, va_list), int (*print)(Char*, size_t, const Char*, va_list),
                                const Char* format, va_list args) {
    va_list measureArgs;
    va_copy(measureArgs, args);
    const int length = measure(format, measureArgs);
    va_end(measureArgs);
    if (length <= 0) {
        return std::basic_string<Char>();
    }
    std::basic_string<Char> text(static_cast<size_t>(length) + 1, Char());
    print(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

std::wstring FormatWideV(const wchar_t* format, va_list args) {
    return FormatV<wchar_t>(_vscwprintf, _vsnwprintf, format, args);
}

std::wstring FormatWide(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(format, args);
    va_end(args);
    return text;
}

std::string FormatNarrowV(const char* format, va_list args) {
    return FormatV<char>(_vscprintf, _vsnprintf, format, args);
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
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], bytes, nullptr, nullptr);
    return narrow;
}

std::optional<std::string> WideToAnsiExact(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int chars = static_cast<int>(text.size());
    // A UTF-8 ANSI code page holds every character but takes neither flag
    // nor used-default question: it refuses only a broken surrogate.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const askUsedDefault = utf8 ? nullptr : &usedDefault;
    const int bytes = WideCharToMultiByte(CP_ACP, flags, text.c_str(), chars, nullptr, 0, nullptr, askUsedDefault);
    if (bytes <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.c_str(), chars, &narrow[0], bytes, nullptr, askUsedDefault);
    // The way back must give the same text: a code page that maps a
    // character to a look-alike without saying so is caught here.
    if (usedDefault || AnsiToWide(narrow) != text) {
        return std::nullopt;
    }
    return narrow;
}

bool IsAnsiRepresentable(const std::wstring& text) { return WideToAnsiExact(text).has_value(); }

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], chars);
    return wide;
}

bool WideToNarrow(const std::wstring& text, char* buffer, size_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0) {
        return false;
    }
    const std::optional<std::string> narrow = WideToAnsiExact(text);
    if (!narrow || narrow->size() + 1 > bufferSize) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, narrow->c_str(), narrow->size() + 1);
    return true;
}

std::wstring SystemErrorText(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message =
        length != 0 && text != nullptr ? std::wstring(text, length) : FormatWide(L"error %lu", error);
    LocalFree(text);
    const size_t lineBreak = message.find_first_of(L"\r\n");
    if (lineBreak != std::wstring::npos) {
        message.resize(lineBreak);
    }
    return message;
}
