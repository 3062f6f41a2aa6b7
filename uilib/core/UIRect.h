// Rectangle and size value types laid out as the Win32 RECT and SIZE, so they
// go to the Win32 rectangle functions directly; and the reader of the number
// lists ("l,t,r,b", "cx,cy") that skin attributes hold.
#pragma once

#include <windows.h>

namespace TavikUI {

class CUIRect : public RECT {
public:
    CUIRect();
    CUIRect(const RECT& source);
    CUIRect(int leftEdge, int topEdge, int rightEdge, int bottomEdge);

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    // Smallest rectangle holding both (no special case for empty ones).
    void Union(const RECT& other);
    void MoveToOrigin();
    void Offset(int dx, int dy);
    // Moves each side inwards by dx or dy.
    void ShrinkBy(int dx, int dy);
};

// Width and height of a plain RECT.
inline int WidthOf(const RECT& rect) { return rect.right - rect.left; }
inline int HeightOf(const RECT& rect) { return rect.bottom - rect.top; }

class CUISize : public SIZE {
public:
    CUISize(int width = 0, int height = 0);
};

// Reads up to `count` decimal numbers, each after the first read after
// skipping exactly one separator character. Numbers missing at the end of the
// text read as 0, and the reader never steps past the terminating 0. Answers
// how many numbers the text held.
int ReadNumberList(const wchar_t* text, int* values, int count);
// "l,t,r,b" and "cx,cy" through ReadNumberList.
CUIRect ReadRectText(const wchar_t* text);
CUISize ReadSizeText(const wchar_t* text);

}  // namespace TavikUI
