// Plain text and markup text.
#include "ClipRegion.h"
#include "ColorChannels.h"
#include "GdiRenderer.h"
#include "MarkupLayout.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

// The rectangle moved to where the aligned text starts. Text is measured
// unwrapped (0, 0, 9999, 100); the far edges stay, so text that wraps more
// than measured still has its room.
RECT AlignedArea(HDC dc, CWindowManager* manager, const RECT& rect, const wchar_t* text, DWORD color, UINT style) {
    RECT area = rect;
    if ((style & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) == 0) {
        return area;
    }
    RECT measured = {0, 0, 9999, 100};
    int noLinks = 0;
    CGdiRenderer::DrawMarkupText(dc, manager, measured, text, color, nullptr, nullptr, noLinks, style | DT_CALCRECT);
    const LONG width = measured.right - measured.left;
    const LONG height = measured.bottom - measured.top;
    if (style & DT_SINGLELINE) {
        if (style & DT_CENTER) {
            area.left = rect.left + (rect.right - rect.left - width) / 2;
        } else if (style & DT_RIGHT) {
            area.left = rect.right - width;
        }
    }
    if (style & DT_VCENTER) {
        area.top = rect.top + (rect.bottom - rect.top - height) / 2;
    } else if (style & DT_BOTTOM) {
        area.top = rect.bottom - height;
    }
    return area;
}

}  // namespace

void CGdiRenderer::DrawPlainText(HDC dc, CWindowManager* manager, RECT& rect, const wchar_t* text, DWORD color,
                                 int font, UINT style) {
    if (!dc || !manager || !text) {
        return;
    }
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, ToColorRef(color));
    HGDIOBJ oldFont = SelectObject(dc, manager->FontAt(font));
    DrawTextW(dc, text, -1, &rect, style | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

void CGdiRenderer::DrawMarkupText(HDC dc, CWindowManager* manager, RECT& rect, const wchar_t* text, DWORD color,
                                  CUIRect* linkRects, CWideString* linkTexts, int& linkCount, UINT style) {
    CMarkupLinkTable links(linkRects, linkTexts, linkCount);
    linkCount = 0;
    if (!dc || !manager || !text || IsRectEmpty(&rect)) {
        return;
    }
    if (style & DT_CALCRECT) {
        CMarkupLayout layout(dc, manager, rect, text, color, links, style);
        const RECT reached = layout.Run();
        rect.right = reached.right;
        rect.bottom = reached.bottom;
        linkCount = links.StoredCount(layout.LinkCount());
        return;
    }
    CClipRegion clip;
    clip.ClipToRect(dc, rect);
    const RECT area = AlignedArea(dc, manager, rect, text, color, style);
    CMarkupLayout layout(dc, manager, area, text, color, links, style);
    layout.Run();
    linkCount = links.StoredCount(layout.LinkCount());
}

}  // namespace TavikUI
