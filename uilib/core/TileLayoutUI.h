// Places its children in a grid of equal-width columns, row by row; each row
// is as high as its highest child, and each child is centred in its cell.
#pragma once

#include <windows.h>

#include "ContainerUI.h"
#include "UIRect.h"

namespace TavikUI {

class CTileLayoutUI : public CContainerUI {
public:
    // The height offered to a child when its row height is measured.
    static constexpr int kMeasureHeight = 9999;

    CTileLayoutUI();

    const wchar_t* ClassName() const override;
    // "TileLayout" answers the layout.
    void* InterfaceByName(const wchar_t* name) override;
    void Place(const RECT& rect) override;
    // "itemsize" and "columns"; the rest goes to the container.
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    // With a width above 0 the column count follows the layout's width.
    CUISize ItemSize() const { return itemSize_; }
    void SetItemSize(SIZE size);
    // The count the last placement used, or the one set.
    int Columns() const { return columns_; }
    // Counts of 0 or less are ignored.
    void SetColumns(int columns);

private:
    // The tallest child of the row that starts at child `first`, paddings
    // included; the row holds the next `columns_` visible, non-floating
    // children.
    int RowHeight(int first, int cellWidth) const;

    CUISize itemSize_;
    int columns_;
};

}  // namespace TavikUI
