// The channels of the library's 0xAARRGGBB colours, and their GDI form.
#pragma once

#include <windows.h>

namespace TavikUI {

inline BYTE AlphaOf(DWORD color) { return static_cast<BYTE>(color >> 24); }
inline BYTE RedOf(DWORD color) { return static_cast<BYTE>(color >> 16); }
inline BYTE GreenOf(DWORD color) { return static_cast<BYTE>(color >> 8); }
inline BYTE BlueOf(DWORD color) { return static_cast<BYTE>(color); }

// GDI takes red in the low byte and no alpha.
inline COLORREF ToColorRef(DWORD color) { return RGB(RedOf(color), GreenOf(color), BlueOf(color)); }

}  // namespace TavikUI
