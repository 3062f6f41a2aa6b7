// Reading of the text-markup language that labels, buttons and list items
// draw through CGdiRenderer::DrawMarkupText: the next piece of text (a run,
// a blank, a line break, an escaped bracket, an opening or closing tag), and
// the readers of tag arguments. Nothing here touches GDI.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace TavikUI {

enum class MarkupTokenKind {
    End,       // the terminating 0
    NewLine,   // "\n"
    Blank,     // " "
    Run,       // characters up to the next "<", "{", "\n" or the end
    Escape,    // "<{>", "<}>", "{<}", "{>}": one bracket drawn as text
    OpenTag,   // "<x>", "<x argument>" (either bracket form)
    CloseTag,  // "</x>" (either bracket form)
};

struct MarkupToken {
    MarkupTokenKind kind = MarkupTokenKind::End;
    // Characters the token spans in the text.
    size_t length = 0;
    // The tag letter (tags) or the bracket to draw (escapes).
    wchar_t letter = 0;
    // Tag argument: the characters between the blank after the letter and
    // the closing bracket.
    const wchar_t* argument = nullptr;
    size_t argumentLength = 0;
};

// The token at `text` (never null). In raw mode only the closing "r" tag is
// a tag: every other bracket is text.
MarkupToken ReadMarkupToken(const wchar_t* text, bool raw);

// An inline image named by an "i" tag: "name [n [m]]", or image-description
// keys ("file", "res", "restype") followed by the numbers.
struct MarkupImageArgument {
    std::wstring name;
    std::wstring resourceType;
    // The image is cut into `strips` vertical strips and strip `strip` drawn.
    int strips = 1;
    int strip = 0;
};
MarkupImageArgument ReadMarkupImageArgument(const std::wstring& argument);

// An "f" tag naming a face: "face [size] [styles]".
struct MarkupFontArgument {
    std::wstring face;
    int size = 10;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};
MarkupFontArgument ReadMarkupFontArgument(const std::wstring& argument);

// A "c" tag colour: blanks and one "#" skipped, then hexadecimal.
DWORD ReadMarkupColor(const std::wstring& argument);

// A decimal pixel count ("p", "x", "y" and the "f" index), leading blanks
// skipped; kept within 0..kMaxMarkupPixels so that sums cannot overflow.
constexpr int kMaxMarkupPixels = 0x7FFF;
int ReadMarkupPixels(const std::wstring& argument);

}  // namespace TavikUI
