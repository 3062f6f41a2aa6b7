// Readers of the attribute values the controls and the skin builder take
// from skins.
#pragma once

#include <windows.h>

#include <cwchar>

namespace TavikUI {

// Skin booleans are true only for the exact text "true".
inline bool IsTrueText(const wchar_t* value) { return wcscmp(value, L"true") == 0; }

inline int ReadDecimal(const wchar_t* value) { return static_cast<int>(wcstol(value, nullptr, 10)); }

// A colour written as hexadecimal 0xAARRGGBB, with an optional leading "#".
inline DWORD ReadHexColor(const wchar_t* value) {
    if (*value == L'#') {
        ++value;
    }
    return static_cast<DWORD>(wcstoul(value, nullptr, 16));
}

}  // namespace TavikUI
