#include "ComboWnd.h"

#include <cwchar>

#include "ComboUI.h"
#include "ScrollBarUI.h"
#include "VerticalLayoutUI.h"

namespace TavikUI {
namespace {

const DWORD kPopupBackground = 0xFFFFFFFF;
const DWORD kPopupBorder = 0xFFC6C7D2;

}  // namespace

CComboWnd::CComboWnd(CComboUI* owner)
    : owner_(owner), layout_(nullptr), selectionAtOpening_(owner->CurrentSelection()), rowsReturned_(false) {}

CComboWnd* CComboWnd::Open(CComboUI* owner) {
    CWindowManager* comboManager = owner ? owner->Manager() : nullptr;
    if (!comboManager) {
        return nullptr;
    }
    auto* popup = new CComboWnd(owner);
    const RECT rect = popup->PopupRect();
    popup->opening_ = true;
    const HWND window =
        popup->CreateNativeWindowInRect(comboManager->Window(), nullptr, WS_POPUP, WS_EX_TOOLWINDOW, rect);
    popup->opening_ = false;
    if (!window) {
        // Rows lent during a creation that failed later come back first.
        popup->ReturnRows();
        delete popup;
        return nullptr;
    }
    ShowWindow(popup->Handle(), SW_SHOW);
    // The main window keeps its active caption while the popup is open.
    HWND top = popup->Handle();
    while (HWND parent = GetParent(top)) {
        top = parent;
    }
    SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
    return popup;
}

const wchar_t* CComboWnd::WindowClassName() const { return L"ComboWnd"; }

UINT CComboWnd::ClassStyle() const { return 0; }

RECT CComboWnd::PopupRect() const {
    const SIZE dropBox = owner_->DropBoxSize();
    const CUIRect& combo = owner_->Rect();
    CUIRect rect(combo.left, combo.bottom, dropBox.cx > 0 ? combo.left + dropBox.cx : combo.right, combo.bottom);
    int height = 0;
    for (int i = 0; i < owner_->ChildCount(); ++i) {
        CControlUI* child = owner_->ChildAt(i);
        if (child->IsVisible()) {
            height += child->DesiredSize(CUISize(rect.Width(), dropBox.cy)).cy;
        }
    }
    height += kFrameHeight;
    if (height > dropBox.cy) {
        height = dropBox.cy;
    }
    rect.bottom = rect.top + height;

    HWND comboWindow = owner_->Manager()->Window();
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(comboWindow, MONITOR_DEFAULTTOPRIMARY), &monitor);
    CUIRect screen = rect;
    MapWindowPoints(comboWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&screen), 2);
    if (screen.bottom > monitor.rcWork.bottom) {
        // No room below: open above the combo.
        screen = CUIRect(rect.left, combo.top - height, rect.right, combo.top);
        MapWindowPoints(comboWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&screen), 2);
    }
    return screen;
}

void CComboWnd::OnCreate() {
    manager_.Attach(Handle());
    layout_ = new CVerticalLayoutUI();
    CWindowManager* comboManager = owner_->Manager();
    manager_.SetParentManager(comboManager);
    layout_->AttachToManager(&manager_, nullptr, true);
    if (const wchar_t* defaults = comboManager->DefaultAttributesFor(L"VerticalLayout")) {
        layout_->ApplyAttributeString(defaults);
    }
    layout_->SetInsetRect(CUIRect(1, 1, 1, 1));
    layout_->SetBackgroundColor(kPopupBackground);
    layout_->SetBorderColor(kPopupBorder);
    layout_->SetBorderThickness(1);
    // The rows stay the combo's.
    layout_->SetDeletesChildren(false);
    layout_->CreateScrollBars(true, false);
    layout_->ApplyAttributeString(owner_->DropBoxAttributes().Text());
    for (int i = 0; i < owner_->ChildCount(); ++i) {
        layout_->AddChild(owner_->ChildAt(i));
    }
    manager_.AttachRoot(layout_);
}

void CComboWnd::ReturnRows() {
    if (rowsReturned_ || !owner_) {
        return;
    }
    rowsReturned_ = true;
    owner_->AttachToManager(owner_->Manager(), owner_->Parent(), false);
}

void CComboWnd::ForgetRow(CControlUI* row) {
    if (!layout_ || rowsReturned_) {
        return;
    }
    if (row) {
        layout_->RemoveChild(row);
    } else {
        layout_->RemoveAllChildren();
    }
}

void CComboWnd::DestroyForGoneOwner() {
    ReturnRows();
    owner_ = nullptr;
    if (Handle()) {
        DestroyWindow(Handle());
    } else {
        delete this;
    }
}

void CComboWnd::EnsureVisible(int index) {
    if (!owner_ || owner_->CurrentSelection() < 0 || !layout_) {
        return;
    }
    CControlUI* row = owner_->ChildAt(index);
    if (!row) {
        return;
    }
    const CUIRect item = row->Rect();
    CUIRect view = layout_->Rect();
    if (const CScrollBarUI* bar = layout_->HorizontalScrollBar(); bar && bar->IsVisible()) {
        view.bottom -= bar->DeclaredHeight();
    }
    if (item.top >= view.top && item.bottom < view.bottom) {
        return;
    }
    int dy = 0;
    if (item.top < view.top) {
        dy = item.top - view.top;
    }
    if (item.bottom > view.bottom) {
        dy = item.bottom - view.bottom;
    }
    if (dy != 0) {
        const SIZE now = layout_->ScrollPosition();
        layout_->SetScrollPosition(CUISize(now.cx, now.cy + dy));
    }
}

LRESULT CComboWnd::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Once the rows went back, the popup's manager has nothing left to run.
    if (rowsReturned_ || !owner_) {
        return CallSavedProc(message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != Handle()) {
            PostMessageW(Handle(), WM_CLOSE, 0, 0);
        }
        break;
    case WM_CLOSE:
        ReturnRows();
        owner_->Place(owner_->Rect());
        owner_->TakeFocus();
        return CallSavedProc(message, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            PostMessageW(Handle(), WM_KILLFOCUS, 0, 0);
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            owner_->SelectItem(selectionAtOpening_, true);
            EnsureVisible(selectionAtOpening_);
            PostMessageW(Handle(), WM_KILLFOCUS, 0, 0);
            return 0;
        }
        {
            UIEvent event;
            event.type = kEventKeyDown;
            event.keyCharacter = static_cast<uint16_t>(wParam);
            event.timestamp = GetTickCount();
            owner_->HandleEvent(event);
            EnsureVisible(owner_->CurrentSelection());
        }
        return 0;
    case WM_LBUTTONUP: {
        const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        CControlUI* control = manager_.FindControlAt(point);
        if (control && wcscmp(control->ClassName(), L"ScrollBarUI") != 0) {
            PostMessageW(Handle(), WM_KILLFOCUS, 0, 0);
        }
        break;
    }
    case WM_MOUSEWHEEL: {
        UIEvent event;
        event.type = kEventScrollWheel;
        event.wParam = static_cast<short>(HIWORD(wParam)) < 0 ? 1 : 0;
        event.lParam = lParam;
        event.timestamp = GetTickCount();
        owner_->HandleEvent(event);
        EnsureVisible(owner_->CurrentSelection());
        return 0;
    }
    default:
        break;
    }
    LRESULT result = 0;
    if (manager_.HandleWindowMessage(message, wParam, lParam, result)) {
        return result;
    }
    return CallSavedProc(message, wParam, lParam);
}

void CComboWnd::FinalMessage(HWND /*window*/) {
    // Destroyed without its close (its owner window went first): the rows
    // must not stay in a manager that is about to go.
    ReturnRows();
    // A window that fails during creation is deleted by Open.
    if (opening_) {
        return;
    }
    if (owner_) {
        owner_->PopupClosed();
    }
    delete this;
}

}  // namespace TavikUI
