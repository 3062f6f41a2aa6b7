// A multi-column row: each cell's text comes from the list's cell-text
// provider (or the row's stored column texts) and is laid into the list's
// column rectangles; with markup, cells may hold up to 8 links that send
// "link".
#pragma once

#include <windows.h>

#include "ListLabelElementUI.h"
#include "PointerArray.h"

namespace TavikUI {

class CListTextElementUI : public CListLabelElementUI {
public:
    static constexpr int kMaxLinks = 8;

    CListTextElementUI() = default;
    // Deletes the stored column texts.
    ~CListTextElementUI() override;

    const wchar_t* ClassName() const override;
    // "ListTextElement" answers the row; else as the label row.
    void* InterfaceByName(const wchar_t* name) override;
    // Set-cursor events only while it shows links.
    UINT BehaviourFlags() const override;
    // Also keeps the owner's list interface, for the columns and provider.
    void SetOwner(CControlUI* owner) override;
    void HandleEvent(UIEvent& event) override;
    SIZE DesiredSize(SIZE available) override;
    void DrawItemText(HDC dc, const RECT& rect) override;

    int LinkCount() const { return linkCount_; }
    const CUIRect& LinkRect(int index) const { return linkRects_[index]; }

private:
    // The link under the point, or -1.
    int LinkAt(POINT point) const;
    // The text of a column when the list has no provider ("" when missing).
    const wchar_t* StoredText(int column) const;

    int linkCount_ = 0;
    CUIRect linkRects_[kMaxLinks];
    CWideString linkTexts_[kMaxLinks];
    int hotLink_ = -1;
    IListUI* list_ = nullptr;
    // Owned CWideString*; nothing in the library fills it.
    CPointerArray columnTexts_;
};

}  // namespace TavikUI
