#include "ListHeaderUI.h"

#include <cwchar>

#include "WindowManager.h"

namespace TavikUI {
namespace {

// Room around the default font a header without a declared height keeps.
const int kHeaderTextMargin = 6;

}  // namespace

const wchar_t* CListHeaderUI::ClassName() const { return L"ListHeaderUI"; }

void* CListHeaderUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ListHeader") == 0) {
        return this;
    }
    return CHorizontalLayoutUI::InterfaceByName(name);
}

SIZE CListHeaderUI::DesiredSize(SIZE available) {
    CUISize size(0, DeclaredHeight());
    for (int i = 0; i < ChildCount(); ++i) {
        size.cx += ChildAt(i)->DesiredSize(available).cx;
    }
    if (size.cy == 0 && manager_) {
        for (int i = 0; i < ChildCount(); ++i) {
            const int height = ChildAt(i)->DesiredSize(available).cy;
            if (height > size.cy) {
                size.cy = height;
            }
        }
        const int textHeight = static_cast<int>(manager_->DefaultFontRecord()->metrics.tmHeight) + kHeaderTextMargin;
        if (size.cy < textHeight) {
            size.cy = textHeight;
        }
    }
    return size;
}

}  // namespace TavikUI
