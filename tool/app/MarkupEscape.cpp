#include "MarkupEscape.h"

std::wstring EscapeMarkup(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
        // An angle bracket is drawn by "{<}" or "{>}", a brace by "<{>" or "<}>".
        case L'<':
            escaped += L"{<}";
            break;
        case L'>':
            escaped += L"{>}";
            break;
        case L'{':
            escaped += L"<{>";
            break;
        case L'}':
            escaped += L"<}>";
            break;
        default:
            escaped += c;
            break;
        }
    }
    return escaped;
}
