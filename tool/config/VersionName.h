// The model key of a package: its version text with the release decorations
// removed.
#pragma once

#include <string>

// Keeps what follows the first "AP:", cuts at the first blank, then cuts at
// the last "_T", "_CMCC", "_NAVI", "_CTA", "_TASTE" and "_platform" in that
// order (never at the first character).
std::wstring StripVersionText(const std::wstring& text);
