// The contracts between a list-like owner (list, combo, tree view) and its
// rows: the shared item style record, the owner and list interfaces rows
// talk to, the row interface owners talk to, and the cell-text provider an
// application may hand a list.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ControlUI.h"
#include "UIEvent.h"
#include "UIRect.h"
#include "WideString.h"

namespace TavikUI {

class CControlUI;
class CListHeaderUI;
class CListBodyUI;

// Column rectangles a list captures from its header.
constexpr int kMaxListColumns = 32;

// How every row of one owner draws itself: fonts, colours and images per
// state. Colours are 0xAARRGGBB; 0 means none.
struct CListInfo {
    int columnCount = 0;
    CUIRect columns[kMaxListColumns];
    // Index into the manager's fonts; -1 is the default font.
    int font = -1;
    UINT textStyle = DT_VCENTER;
    CUIRect textPadding;
    DWORD textColor = 0xFF000000;
    DWORD bkColor = 0;
    CWideString bkImage;
    bool alternateBk = false;
    DWORD selectedTextColor = 0xFF000000;
    DWORD selectedBkColor = 0xFFC1E3FF;
    CWideString selectedImage;
    DWORD hotTextColor = 0xFF000000;
    DWORD hotBkColor = 0xFFE9F5FF;
    CWideString hotImage;
    DWORD disabledTextColor = 0xFFCCCCCC;
    DWORD disabledBkColor = 0xFFFFFFFF;
    CWideString disabledImage;
    DWORD lineColor = 0;
    bool showMarkup = false;
    bool multiExpanding = false;
};

// What an item style attribute asks of its owner after it was stored.
enum class ItemStyleChange {
    kUnknown,   // not an item style attribute
    kStored,    // nothing more
    kRepaint,   // the owner repaints
    kRelayout,  // the owner is marked for layout
};

// Reads one "item..." attribute into the record (the attributes list and
// combo share); kUnknown leaves the record untouched.
ItemStyleChange ApplyItemStyleAttribute(CListInfo& info, const wchar_t* name, const wchar_t* value);
// "left", "center", "right" found anywhere in the value, in that order.
UINT ApplyHorizontalAlignWords(UINT style, const wchar_t* value);

// Supplies the texts of a list's text rows.
class ICellTextProvider {
public:
    // Null draws an empty cell.
    virtual const wchar_t* CellText(CControlUI* row, int rowIndex, int column) = 0;

protected:
    ~ICellTextProvider() = default;
};

// What a row needs of whoever owns it: obtained through
// InterfaceByName(L"IListOwner").
class IListOwnerUI {
public:
    virtual CListInfo* ListInfo() = 0;
    // -1 when nothing is selected.
    virtual int CurrentSelection() const = 0;
    virtual bool SelectItem(int index, bool takeFocus) = 0;
    // An event the row did not handle goes to the owner's event handling.
    virtual void ForwardEvent(UIEvent& event) = 0;

protected:
    ~IListOwnerUI() = default;
};

// The list's side beyond ownership: obtained through InterfaceByName(L"IList").
class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* Header() const = 0;
    virtual CListBodyUI* Body() const = 0;
    virtual ICellTextProvider* CellTextProvider() const = 0;
    // Not owned; nothing is repainted.
    virtual void SetCellTextProvider(ICellTextProvider* provider) = 0;
    virtual bool ExpandItem(int index, bool expand = true) = 0;
    virtual int ExpandedItem() const = 0;

protected:
    ~IListUI() = default;
};

// What owners need of a row: obtained through InterfaceByName(L"ListItem").
class IListItemUI {
public:
    virtual int Index() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* Owner() = 0;
    // Stores the owner control's "IListOwner" answer.
    virtual void SetOwner(CControlUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool expand = true) = 0;
    virtual void DrawItemText(HDC dc, const RECT& rect) = 0;

protected:
    ~IListItemUI() = default;
};

// The row interface of a control, or null when it is not a row.
inline IListItemUI* AsListItem(CControlUI* control) {
    return control ? static_cast<IListItemUI*>(control->InterfaceByName(L"ListItem")) : nullptr;
}

}  // namespace TavikUI
