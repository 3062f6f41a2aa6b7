#include "UIRect.h"

#include <algorithm>
#include <cwchar>

namespace TavikUI {

CUIRect::CUIRect() : RECT{0, 0, 0, 0} {}

CUIRect::CUIRect(const RECT& source) : RECT(source) {}

CUIRect::CUIRect(int leftEdge, int topEdge, int rightEdge, int bottomEdge)
    : RECT{leftEdge, topEdge, rightEdge, bottomEdge} {}

void CUIRect::Union(const RECT& other) {
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
}

void CUIRect::MoveToOrigin() { OffsetRect(this, -left, -top); }

void CUIRect::Offset(int dx, int dy) { OffsetRect(this, dx, dy); }

void CUIRect::ShrinkBy(int dx, int dy) { InflateRect(this, -dx, -dy); }

CUISize::CUISize(int width, int height) : SIZE{width, height} {}

int ReadNumberList(const wchar_t* text, int* values, int count) {
    int found = 0;
    const wchar_t* position = text;
    for (int i = 0; i < count; ++i) {
        values[i] = 0;
        if (!position || *position == 0) {
            position = nullptr;
            continue;
        }
        wchar_t* end = nullptr;
        values[i] = static_cast<int>(wcstol(position, &end, 10));
        if (end != position) {
            ++found;
        }
        // The separator is skipped only when there is one: at the end of the
        // text the remaining numbers read as 0.
        position = *end != 0 ? end + 1 : nullptr;
    }
    return found;
}

CUIRect ReadRectText(const wchar_t* text) {
    int edges[4];
    ReadNumberList(text, edges, 4);
    return CUIRect(edges[0], edges[1], edges[2], edges[3]);
}

CUISize ReadSizeText(const wchar_t* text) {
    int extent[2];
    ReadNumberList(text, extent, 2);
    return CUISize(extent[0], extent[1]);
}

}  // namespace TavikUI
