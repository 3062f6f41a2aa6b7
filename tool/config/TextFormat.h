// printf-style formatting with the Windows runtime's conventions: in a wide
// format "%s" is a wide argument and "%S" a narrow one, "%I64d" is 64-bit.
// mingw's own swprintf does not follow them, so these go through the
// runtime's _vsnwprintf family.
#pragma once

#include <cstdarg>
#include <string>

std::wstring FormatWide(const wchar_t* format, ...);
std::wstring FormatWideV(const wchar_t* format, va_list args);
std::string FormatNarrow(const char* format, ...);
std::string FormatNarrowV(const char* format, va_list args);

// Converts with the ANSI code page. Answers false, leaving an empty text in
// the buffer, when the converted text and its terminator do not fit.
bool WideToNarrow(const std::wstring& text, char* buffer, size_t bufferSize);
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
