// A word-wrapping label whose markup text may hold links: a click on a link
// sends "link" with the link's index, and the pointer over one is a hand.
#pragma once

#include <windows.h>

#include "LabelUI.h"
#include "UIRect.h"
#include "WideString.h"

namespace TavikUI {

class CTextUI : public CLabelUI {
public:
    // The markup renderer keeps at most this many links.
    static constexpr int kMaxLinks = 8;

    CTextUI();

    const wchar_t* ClassName() const override;
    // "Text" answers the text control; anything else goes to the label query.
    void* InterfaceByName(const wchar_t* name) override;
    // Set-cursor events while enabled with at least one link.
    UINT BehaviourFlags() const override;
    void HandleEvent(UIEvent& event) override;
    // The wrapped text's size plus the padding; a declared height wins.
    SIZE DesiredSize(SIZE available) override;
    void PaintTextPart(HDC dc) override;

    // The links of the last paint.
    int LinkCount() const { return linkCount_; }
    const CWideString& LinkText(int index) const { return linkTexts_[index]; }
    const CUIRect& LinkRect(int index) const { return linkRects_[index]; }

private:
    // The index of the link holding the point, or -1.
    int LinkAt(POINT point) const;

    int linkCount_;
    CUIRect linkRects_[kMaxLinks];
    CWideString linkTexts_[kMaxLinks];
    int hotLink_;
};

}  // namespace TavikUI
