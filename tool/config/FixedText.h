// Copies into the fixed-size text fields of the configuration records. Every
// copy is bounded: a text that does not fit is either refused (the field is
// left empty) or cut, as the caller chooses.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

// Answers false, leaving the field empty, when the text with its terminator
// does not fit.
template <size_t N>
bool CopyToField(char (&field)[N], const std::string& text) {
    if (text.size() + 1 > N) {
        field[0] = '\0';
        return false;
    }
    std::memcpy(field, text.c_str(), text.size() + 1);
    return true;
}

template <size_t N>
bool CopyToField(wchar_t (&field)[N], const std::wstring& text) {
    if (text.size() + 1 > N) {
        field[0] = L'\0';
        return false;
    }
    std::wmemcpy(field, text.c_str(), text.size() + 1);
    return true;
}

// Keeps at most fieldChars - 1 characters.
inline void CopyTruncated(wchar_t* field, size_t fieldChars, const std::wstring& text) {
    if (field == nullptr || fieldChars == 0) {
        return;
    }
    const size_t kept = text.size() < fieldChars - 1 ? text.size() : fieldChars - 1;
    std::wmemcpy(field, text.c_str(), kept);
    field[kept] = L'\0';
}

template <size_t N>
void CopyTruncated(wchar_t (&field)[N], const std::wstring& text) {
    CopyTruncated(field, N, text);
}
