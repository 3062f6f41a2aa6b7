// printf-style formatting with the Windows runtime's conventions: in a wide
// format "%s" is a wide argument and "%S" a narrow one, "%I64d" is 64-bit.
// mingw's own swprintf does not follow them, so these go through the
// runtime's _vsnwprintf family.
#pragma once

#include <cstdarg>
#include <optional>
#include <string>

std::wstring FormatWide(const wchar_t* format, ...);
std::wstring FormatWideV(const wchar_t* format, va_list args);
std::string FormatNarrow(const char* format, ...);
std::string FormatNarrowV(const char* format, va_list args);

// Converts with the ANSI code page. Answers false, leaving an empty text in
// the buffer, when a character has no exact counterpart in the code page or
// the converted text and its terminator do not fit: a path converted with a
// lost character names another file.
bool WideToNarrow(const std::wstring& text, char* buffer, size_t bufferSize);
// The text in the ANSI code page, or none when a character would be lost
// (replaced by the default character or by a look-alike).
std::optional<std::string> WideToAnsiExact(const std::wstring& text);
bool IsAnsiRepresentable(const std::wstring& text);
// Lossy: characters the code page lacks become its default character. For
// texts that are only shown or logged, never for paths.
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);

// The system's text for an error code (GetLastError's), cut at its first
// line break.
std::wstring SystemErrorText(unsigned long error);
