#include "TileLayoutUI.h"

#include <algorithm>
#include <cwchar>

#include "ControlValueText.h"
#include "LayoutArithmetic.h"
#include "ScrollBarUI.h"

namespace TavikUI {

CTileLayoutUI::CTileLayoutUI() : columns_(1) {}

const wchar_t* CTileLayoutUI::ClassName() const { return L"TileLayoutUI"; }

void* CTileLayoutUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"TileLayout") == 0) {
        return this;
    }
    return CContainerUI::InterfaceByName(name);
}

void CTileLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"itemsize") == 0) {
        SetItemSize(ReadSizeText(value));
        return;
    }
    if (name && value && wcscmp(name, L"columns") == 0) {
        SetColumns(ReadDecimal(value));
        return;
    }
    CContainerUI::ApplyAttribute(name, value);
}

void CTileLayoutUI::SetItemSize(SIZE size) {
    if (itemSize_.cx == size.cx && itemSize_.cy == size.cy) {
        return;
    }
    itemSize_ = CUISize(size.cx, size.cy);
    MarkForLayout();
}

void CTileLayoutUI::SetColumns(int columns) {
    if (columns <= 0) {
        return;
    }
    columns_ = columns;
    MarkForLayout();
}

void CTileLayoutUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    const CScrollBarUI* verticalBar = VerticalScrollBar();
    const CScrollBarUI* horizontalBar = HorizontalScrollBar();

    if (children_.IsEmpty()) {
        UpdateScrollBars(InnerRect(), 0, 0);
        return;
    }
    const CUIRect inner = ClientRect();

    if (itemSize_.cx > 0) {
        columns_ = inner.Width() / itemSize_.cx;
    }
    // An area narrower than one item (or than nothing) still has a column.
    if (columns_ < 1) {
        columns_ = 1;
    }
    const int cellWidth = (inner.Width() + VisibleBarRange(horizontalBar)) / columns_;

    int y = inner.top - VisibleBarPosition(verticalBar);
    const int rowStartX = inner.left - VisibleBarPosition(horizontalBar);
    int x = rowStartX;
    int rowHeight = 0;
    int placedCount = 0;
    int needed = 0;
    const int halfPadding = childPadding_ / 2;
    for (int i = 0; i < children_.Count(); ++i) {
        CControlUI* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible()) {
            continue;
        }
        if (child->IsFloating()) {
            PlaceFloatingChild(i);
            continue;
        }
        const int column = placedCount % columns_;
        const int cellRight = x + cellWidth;
        if (column == 0) {
            rowHeight = RowHeight(i, cellWidth);
        }

        const CUIRect padding = child->Padding();
        int left = x + padding.left;
        if (column != 0) {
            left += halfPadding;
        }
        int right = cellRight - padding.right;
        if (column != columns_ - 1) {
            right -= halfPadding;
        }
        const int availableHeight = rowHeight - padding.top;
        const int top = y + padding.top;

        const SIZE desired = child->DesiredSize(CUISize(right - left, availableHeight));
        const int width =
            ClampToLimits(desired.cx == 0 ? right - left : desired.cx, child->MinWidth(), child->MaxWidth());
        const int height =
            ClampToLimits(desired.cy == 0 ? availableHeight : desired.cy, child->MinHeight(), child->MaxHeight());
        const int centredLeft = (left + right - width) / 2;
        const int centredTop = (top + y + rowHeight - height) / 2;
        child->Place(CUIRect(centredLeft, centredTop, centredLeft + width, centredTop + height));

        needed = y + rowHeight - inner.top + VisibleBarPosition(verticalBar);
        ++placedCount;
        if (placedCount % columns_ != 0) {
            x = cellRight;
        } else {
            x = rowStartX;
            y += rowHeight + childPadding_;
            rowHeight = 0;
        }
    }
    UpdateScrollBars(inner, 0, needed);
}

int CTileLayoutUI::RowHeight(int first, int cellWidth) const {
    int rowHeight = 0;
    int column = 0;
    for (int j = first; j < children_.Count() && column < columns_; ++j) {
        CControlUI* child = static_cast<CControlUI*>(children_.AtUnchecked(j));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        const CUIRect padding = child->Padding();
        int available = cellWidth - padding.left - padding.right;
        const bool outerColumn = column == 0 || column == columns_ - 1;
        available -= outerColumn ? childPadding_ / 2 : childPadding_;
        available = ClampToLimits(available, child->MinWidth(), child->MaxWidth());
        const SIZE desired = child->DesiredSize(CUISize(available, kMeasureHeight));
        const int height = ClampToLimits(desired.cy, child->MinHeight(), child->MaxHeight());
        rowHeight = std::max<int>(rowHeight, padding.top + height + padding.bottom);
        ++column;
    }
    return rowHeight;
}

}  // namespace TavikUI
