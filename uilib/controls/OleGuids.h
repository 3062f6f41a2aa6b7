// Identifiers of OLE interfaces and command groups that the mingw import
// libraries do not carry, written out from their published GUIDs.
#pragma once

#include <windows.h>

namespace TavikUI {

// The document host's command group (script errors and the like).
inline constexpr GUID kCgidDocHostCommandHandler = {
    0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
// ICustomDoc: lets the host install its IDocHostUIHandler on a document.
inline constexpr GUID kIidCustomDoc = {0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
// The Shockwave Flash control, its automation interface and its events.
inline constexpr wchar_t kClsidShockwaveFlashText[] = L"{D27CDB6E-AE6D-11CF-96B8-444553540000}";
inline constexpr GUID kIidShockwaveFlash = {
    0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID kDiidShockwaveFlashEvents = {
    0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

}  // namespace TavikUI
