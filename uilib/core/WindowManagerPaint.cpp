// Painting: pending layout runs first, then the tree paints into an
// off-screen bitmap that is copied to the window in one BitBlt, so the user
// never sees a half-painted window.
#include "ControlUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

CControlUI* ControlNeedingLayout(CControlUI* control, void* /*data*/) {
    return control->NeedsLayout() ? control : nullptr;
}

}  // namespace

void CWindowManager::DiscardOffscreenBitmaps() {
    if (offscreenDC_) {
        DeleteDC(offscreenDC_);
        offscreenDC_ = nullptr;
    }
    if (offscreenBitmap_) {
        DeleteObject(offscreenBitmap_);
        offscreenBitmap_ = nullptr;
    }
    if (backgroundDC_) {
        DeleteDC(backgroundDC_);
        backgroundDC_ = nullptr;
    }
    if (backgroundBitmap_) {
        DeleteObject(backgroundBitmap_);
        backgroundBitmap_ = nullptr;
    }
}

// Only the controls that asked are placed again, unless the root asked: then
// the whole tree is laid out at the client size and the off-screen bitmaps
// are made again at that size.
void CWindowManager::LayOutPendingControls() {
    needsUpdate_ = false;
    RECT client = {0, 0, 0, 0};
    GetClientRect(window_, &client);
    if (IsRectEmpty(&client)) {
        return;
    }
    if (root_->NeedsLayout()) {
        root_->Place(client);
        DiscardOffscreenBitmaps();
    } else {
        while (CControlUI* control =
                   root_->VisitControls(ControlNeedingLayout, nullptr, kVisitVisibleOnly | kVisitContainerFirst)) {
            control->Place(control->Rect());
        }
    }
    if (windowInitPending_) {
        windowInitPending_ = false;
        SendNotification(root_, L"windowinit");
    }
}

void CWindowManager::OnPaint() {
    RECT update = {0, 0, 0, 0};
    if (!GetUpdateRect(window_, &update, FALSE)) {
        return;
    }
    if (!root_) {
        PAINTSTRUCT paint;
        BeginPaint(window_, &paint);
        EndPaint(window_, &paint);
        return;
    }
    if (needsUpdate_) {
        LayOutPendingControls();
    }
    if (focusNeeded_) {
        MoveFocusToNextTabStop(true);
    }
    // A handler of the steps above may have replaced or dropped the root.
    if (!root_) {
        ValidateRect(window_, nullptr);
        return;
    }
    RECT client = {0, 0, 0, 0};
    GetClientRect(window_, &client);
    // Either may fail (the bitmap on a huge window): what was made is kept
    // for the next paint, which tries only for what is missing.
    if (offscreenPainting_ && !offscreenDC_) {
        offscreenDC_ = CreateCompatibleDC(paintDC_);
    }
    if (offscreenPainting_ && !offscreenBitmap_) {
        offscreenBitmap_ = CreateCompatibleBitmap(paintDC_, client.right - client.left, client.bottom - client.top);
    }
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window_, &paint);
    if (offscreenPainting_ && offscreenDC_ && offscreenBitmap_) {
        PaintOffscreen(paint.rcPaint, screen);
        if (showDirty_) {
            HGDIOBJ oldPen = SelectObject(screen, DirtyPen());
            HGDIOBJ oldBrush = SelectObject(screen, GetStockObject(NULL_BRUSH));
            Rectangle(screen, update.left, update.top, update.right, update.bottom);
            SelectObject(screen, oldBrush);
            SelectObject(screen, oldPen);
        }
    } else {
        const int saved = SaveDC(screen);
        root_->Paint(screen, paint.rcPaint);
        RestoreDC(screen, saved);
    }
    EndPaint(window_, &paint);
    if (needsUpdate_) {
        InvalidateRect(window_, nullptr, FALSE);
    }
}

void CWindowManager::PaintOffscreen(const RECT& area, HDC screen) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HGDIOBJ oldBitmap = SelectObject(offscreenDC_, offscreenBitmap_);
    const int saved = SaveDC(offscreenDC_);
    if (backgroundTransparent_) {
        // What lay under the window at the first paint is kept and laid under
        // every later paint.
        HGDIOBJ oldBackground = nullptr;
        if (!backgroundBitmap_) {
            RECT client = {0, 0, 0, 0};
            GetClientRect(window_, &client);
            backgroundDC_ = CreateCompatibleDC(paintDC_);
            backgroundBitmap_ =
                CreateCompatibleBitmap(paintDC_, client.right - client.left, client.bottom - client.top);
            oldBackground = SelectObject(backgroundDC_, backgroundBitmap_);
            BitBlt(backgroundDC_, area.left, area.top, width, height, paintDC_, area.left, area.top, SRCCOPY);
        } else {
            oldBackground = SelectObject(backgroundDC_, backgroundBitmap_);
        }
        BitBlt(offscreenDC_, area.left, area.top, width, height, backgroundDC_, area.left, area.top, SRCCOPY);
        SelectObject(backgroundDC_, oldBackground);
    }
    root_->Paint(offscreenDC_, area);
    for (int i = 0; i < postPaintControls_.Count(); ++i) {
        static_cast<CControlUI*>(postPaintControls_.AtUnchecked(i))->PostPaint(offscreenDC_, area);
    }
    RestoreDC(offscreenDC_, saved);
    BitBlt(screen, area.left, area.top, width, height, offscreenDC_, area.left, area.top, SRCCOPY);
    SelectObject(offscreenDC_, oldBitmap);
}

void CWindowManager::OnPrintClient(HDC dc, LPARAM flags) {
    if (!root_ || !dc) {
        return;
    }
    RECT client = {0, 0, 0, 0};
    GetClientRect(window_, &client);
    const int saved = SaveDC(dc);
    root_->Paint(dc, client);
    RestoreDC(dc, saved);
    if (!(flags & PRF_CHILDREN)) {
        return;
    }
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place = {0, 0, 0, 0};
        GetWindowRect(child, &place);
        MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&place), 2);
        OffsetWindowOrgEx(dc, -place.left, -place.top, nullptr);
        SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
        OffsetWindowOrgEx(dc, place.left, place.top, nullptr);
    }
}

}  // namespace TavikUI
