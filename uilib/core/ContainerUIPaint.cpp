// The container's paint order: itself, the children clipped to the scroll
// area (floating children only to the container), then the scroll bars.
#include "ClipRegion.h"
#include "ContainerUI.h"
#include "ScrollBarUI.h"

namespace TavikUI {
namespace {

bool Meets(const RECT& first, const RECT& second) {
    RECT common;
    return IntersectRect(&common, &first, &second) != FALSE;
}

void PaintBarIfShown(CScrollBarUI* bar, HDC dc, const RECT& area) {
    if (bar && bar->IsVisible() && Meets(area, bar->Rect())) {
        bar->Paint(dc, area);
    }
}

}  // namespace

void CContainerUI::Paint(HDC dc, const RECT& area) { PaintWithContent(dc, area, nullptr); }

void CContainerUI::PaintWithContent(HDC dc, const RECT& area, const std::function<void()>& content) {
    RECT visible;
    if (!IntersectRect(&visible, &area, &rect_)) {
        return;
    }
    CClipRegion clip;
    clip.ClipToRect(dc, visible);
    CControlUI::Paint(dc, area);
    if (content) {
        content();
    }
    PaintChildrenAndScrollBars(dc, area);
}

void CContainerUI::PaintChildrenAndScrollBars(HDC dc, const RECT& area) {
    if (!children_.IsEmpty()) {
        const CUIRect client = ClientRect();
        RECT childArea;
        if (IntersectRect(&childArea, &client, &area)) {
            CClipRegion childClip;
            childClip.ClipToRect(dc, childArea);
            for (int i = 0; i < children_.Count(); ++i) {
                auto* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
                if (!child->IsVisible() || !Meets(area, child->Rect())) {
                    continue;
                }
                if (child->IsFloating()) {
                    // Floating children may lie over the scroll bars: only
                    // the container clips them.
                    if (Meets(rect_, child->Rect())) {
                        childClip.SelectSavedRegion();
                        child->Paint(dc, area);
                        childClip.SelectNewRegion();
                    }
                } else if (Meets(client, child->Rect())) {
                    child->Paint(dc, area);
                }
            }
        } else {
            for (int i = 0; i < children_.Count(); ++i) {
                auto* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
                if (child->IsVisible() && child->IsFloating() && Meets(area, child->Rect()) &&
                    Meets(rect_, child->Rect())) {
                    child->Paint(dc, area);
                }
            }
        }
    }

    PaintBarIfShown(verticalScrollBar_, dc, area);
    PaintBarIfShown(horizontalScrollBar_, dc, area);
}

}  // namespace TavikUI
