// The skinned list: a header row of column headers above a scrolling body of
// rows. Whatever is added is routed (header, column header, row); the list
// keeps one selection, turns keys and the wheel into selection moves and
// scrolling, captures the header's column rectangles for multi-column rows,
// and holds the style record every row draws from.
#pragma once

#include <windows.h>

#include "ListInterfaces.h"
#include "VerticalLayoutUI.h"

namespace TavikUI {

class CListBodyUI;
class CListHeaderUI;

class CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();

    const wchar_t* ClassName() const override;
    // "List" the list, "IList" and "IListOwner" its list interface.
    void* InterfaceByName(const wchar_t* name) override;
    UINT BehaviourFlags() const override;
    void Place(const RECT& rect) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    // --- IContainerUI: rows live in the body, headers in the header ----------

    CControlUI* ChildAt(int index) const override;
    int IndexOfChild(const CControlUI* control) const override;
    bool MoveChildTo(CControlUI* control, int index) override;
    int ChildCount() const override;
    bool AddChild(CControlUI* control) override;
    bool InsertChild(CControlUI* control, int index) override;
    bool RemoveChild(CControlUI* control) override;
    bool RemoveChildAt(int index) override;
    void RemoveAllChildren() override;

    // --- Forwarded to the body -------------------------------------------------

    int ChildPadding() const override;
    void SetChildPadding(int padding) override;
    SIZE ScrollPosition() const override;
    SIZE ScrollRange() const override;
    void SetScrollPosition(SIZE position) override;
    void ScrollLineUp() override;
    void ScrollLineDown() override;
    void ScrollPageUp() override;
    void ScrollPageDown() override;
    void ScrollToTop() override;
    void ScrollToBottom() override;
    void ScrollLineLeft() override;
    void ScrollLineRight() override;
    void ScrollPageLeft() override;
    void ScrollPageRight() override;
    void ScrollToLeftEnd() override;
    void ScrollToRightEnd() override;
    void CreateScrollBars(bool vertical, bool horizontal) override;
    CScrollBarUI* VerticalScrollBar() const override;
    CScrollBarUI* HorizontalScrollBar() const override;

    // --- IListOwnerUI / IListUI ---------------------------------------------------

    CListInfo* ListInfo() override { return &info_; }
    int CurrentSelection() const override { return currentSelection_; }
    bool SelectItem(int index, bool takeFocus = false) override;
    void ForwardEvent(UIEvent& event) override { HandleEvent(event); }
    CListHeaderUI* Header() const override { return header_; }
    CListBodyUI* Body() const override { return body_; }
    ICellTextProvider* CellTextProvider() const override { return cellTextProvider_; }
    void SetCellTextProvider(ICellTextProvider* provider) override { cellTextProvider_ = provider; }
    bool ExpandItem(int index, bool expand = true) override;
    int ExpandedItem() const override { return expandedItem_; }

    // --- Own settings ---------------------------------------------------------------

    bool ScrollSelect() const { return scrollSelect_; }
    void SetScrollSelect(bool scrollSelect) { scrollSelect_ = scrollSelect; }
    // After the body scrolled horizontally by dx: the header items move left
    // by dx and the column rectangles follow (a hidden header's too).
    void FollowHorizontalScroll(int dx);
    // Scrolls the body so the selected row shows.
    void EnsureSelectionVisible();

    // Item style setters (the "item..." attributes).
    void SetItemFont(int index) { info_.font = index; }
    void SetItemTextStyle(UINT style) { info_.textStyle = style; }
    void SetItemTextPadding(const RECT& padding);
    void SetItemTextColor(DWORD color) {
        info_.textColor = color;
        InvalidateVisibleRect();
    }
    void SetItemBkColor(DWORD color) {
        info_.bkColor = color;
        InvalidateVisibleRect();
    }
    void SetItemBkImage(const wchar_t* image) {
        info_.bkImage.AssignText(image);
        InvalidateVisibleRect();
    }
    void SetAlternateBk(bool alternate) {
        info_.alternateBk = alternate;
        InvalidateVisibleRect();
    }
    void SetSelectedItemTextColor(DWORD color) {
        info_.selectedTextColor = color;
        InvalidateVisibleRect();
    }
    void SetSelectedItemBkColor(DWORD color) {
        info_.selectedBkColor = color;
        InvalidateVisibleRect();
    }
    void SetSelectedItemImage(const wchar_t* image) {
        info_.selectedImage.AssignText(image);
        InvalidateVisibleRect();
    }
    void SetHotItemTextColor(DWORD color) {
        info_.hotTextColor = color;
        InvalidateVisibleRect();
    }
    void SetHotItemBkColor(DWORD color) {
        info_.hotBkColor = color;
        InvalidateVisibleRect();
    }
    void SetHotItemImage(const wchar_t* image) {
        info_.hotImage.AssignText(image);
        InvalidateVisibleRect();
    }
    void SetDisabledItemTextColor(DWORD color) {
        info_.disabledTextColor = color;
        InvalidateVisibleRect();
    }
    void SetDisabledItemBkColor(DWORD color) {
        info_.disabledBkColor = color;
        InvalidateVisibleRect();
    }
    void SetDisabledItemImage(const wchar_t* image) {
        info_.disabledImage.AssignText(image);
        InvalidateVisibleRect();
    }
    void SetItemLineColor(DWORD color) {
        info_.lineColor = color;
        InvalidateVisibleRect();
    }
    void SetItemShowMarkup(bool show);
    void SetMultiExpanding(bool multiple) { info_.multiExpanding = multiple; }

private:
    bool IsHeader(CControlUI* control) const;
    static bool IsColumnHeader(const CControlUI* control);
    // The header replacement both AddChild and InsertChild do.
    bool TakeHeader(CControlUI* header);
    void CountColumns();
    // Parent-given visibility of every header item (a hidden header is made
    // visible to its items while their rectangles are computed).
    void SetHeaderItemsVisible(bool visible);
    // Moves the visible, non-floating header items left by dx (0: none
    // move) and copies every item's rectangle into the column rectangles.
    void ShiftColumns(int dx);
    void ScrollBodyBy(int dx, int dy);

    bool scrollSelect_;
    int currentSelection_;
    int expandedItem_;
    ICellTextProvider* cellTextProvider_;
    CListBodyUI* body_;
    CListHeaderUI* header_;
    CListInfo info_;
};

}  // namespace TavikUI
