// What every kind of list row shares, whatever control it is built on (a
// plain control or a container): its place in the owner (index, owner,
// selection, hot state), selecting and activating itself, repainting only
// the part of itself its ancestors show, and painting its background from
// the owner's style record.
#pragma once

#include <windows.h>

#include <cwchar>
#include <functional>

#include "ContainerUI.h"
#include "GdiRenderer.h"
#include "ListInterfaces.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

namespace TavikUI {

template <class Base>
class CListRow : public Base, public IListItemUI {
public:
    // Row state bit: the pointer is over the row.
    static constexpr UINT kRowHot = 0x8;

    // --- IListItemUI ----------------------------------------------------------

    int Index() const override { return index_; }
    void SetIndex(int index) override { index_ = index; }
    IListOwnerUI* Owner() override { return owner_; }
    void SetOwner(CControlUI* owner) override {
        owner_ = owner ? static_cast<IListOwnerUI*>(owner->InterfaceByName(L"IListOwner")) : nullptr;
    }
    bool IsSelected() const override { return selected_; }
    bool Select(bool select = true) override {
        if (!this->IsEnabled()) {
            return false;
        }
        if (select == selected_) {
            return true;
        }
        selected_ = select;
        // The owner finds the index already current when it started this.
        if (select && owner_) {
            owner_->SelectItem(index_, false);
        }
        InvalidateRow();
        return true;
    }
    bool IsExpanded() const override { return false; }
    bool Expand(bool /*expand*/) override { return false; }
    void DrawItemText(HDC /*dc*/, const RECT& /*rect*/) override {}

    // --- CControlUI -----------------------------------------------------------

    void* InterfaceByName(const wchar_t* name) override {
        if (name && wcscmp(name, L"ListItem") == 0) {
            return static_cast<IListItemUI*>(this);
        }
        return Base::InterfaceByName(name);
    }
    UINT BehaviourFlags() const override { return kRowBehaviour; }
    bool IsActivatable() override {
        if (!Base::IsActivatable()) {
            return false;
        }
        if (this->manager_) {
            this->manager_->SendNotification(this, L"itemactivate", 0, 0, false);
        }
        return true;
    }
    void ShowOrHide(bool show = true) override {
        Base::ShowOrHide(show);
        // A hidden row cannot stay selected.
        if (!this->IsVisible() && selected_) {
            selected_ = false;
            if (owner_) {
                owner_->SelectItem(-1, false);
            }
        }
    }
    void SetEnabledState(bool enabled = true) override {
        Base::SetEnabledState(enabled);
        if (!this->IsEnabled()) {
            rowState_ = 0;
        }
    }
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override {
        if (name && value && wcscmp(name, L"selected") == 0) {
            Select(true);
            return;
        }
        Base::ApplyAttribute(name, value);
    }

    UINT RowState() const { return rowState_; }

    // Invalidates the part of the row that the parent's scroll area and every
    // further ancestor show.
    void InvalidateRow() {
        if (!this->IsVisible() || !this->manager_) {
            return;
        }
        CControlUI* parent = this->Parent();
        auto* container = parent ? static_cast<CContainerUI*>(parent->InterfaceByName(L"Container")) : nullptr;
        if (!container) {
            this->InvalidateVisibleRect();
            return;
        }
        CUIRect area = this->Rect();
        CUIRect view = container->Rect();
        const CUIRect inset = container->InsetRect();
        view.left += inset.left;
        view.top += inset.top;
        view.right -= inset.right;
        view.bottom -= inset.bottom;
        if (const CScrollBarUI* bar = container->VerticalScrollBar(); bar && bar->IsVisible()) {
            view.right -= bar->DeclaredWidth();
        }
        if (const CScrollBarUI* bar = container->HorizontalScrollBar(); bar && bar->IsVisible()) {
            view.bottom -= bar->DeclaredHeight();
        }
        if (!IntersectRect(&area, &area, &view)) {
            return;
        }
        for (CControlUI* ancestor = parent->Parent(); ancestor; ancestor = ancestor->Parent()) {
            if (!IntersectRect(&area, &area, &ancestor->Rect())) {
                return;
            }
        }
        this->manager_->InvalidateArea(area);
    }

protected:
    static constexpr UINT kRowBehaviour = 0x4;

    // The colour of the row's text in its state (later states win).
    DWORD StateTextColor(const CListInfo& info) const {
        DWORD color = info.textColor;
        if (rowState_ & kRowHot) {
            color = info.hotTextColor;
        }
        if (selected_) {
            color = info.selectedTextColor;
        }
        if (!this->IsEnabled()) {
            color = info.disabledTextColor;
        }
        return color;
    }

    // With mouse input off a mouse event is not the row's own: it goes to
    // the owner, or without one to `withoutOwner`. Answers whether the event
    // was handed on (the caller then stops).
    bool HandMouseEventToOwner(UIEvent& event, const std::function<void(UIEvent&)>& withoutOwner) {
        if (this->AcceptsMouse() || !IsMouseEvent(event.type)) {
            return false;
        }
        if (owner_) {
            owner_->ForwardEvent(event);
        } else {
            withoutOwner(event);
        }
        return true;
    }

    // Hands an event on to the owner, or to the control's own handling.
    void ForwardToOwner(UIEvent& event) {
        if (owner_) {
            owner_->ForwardEvent(event);
        } else {
            CControlUI::HandleEvent(event);
        }
    }

    // Double click and Enter activate an enabled row; true when the event was
    // one of them.
    bool HandleActivation(UIEvent& event) {
        if (event.type == kEventDoubleClick) {
            if (this->IsEnabled()) {
                IsActivatable();
                InvalidateRow();
            }
            return true;
        }
        if (event.type == kEventKeyDown && event.keyCharacter == VK_RETURN && this->IsEnabled()) {
            IsActivatable();
            InvalidateRow();
            return true;
        }
        return false;
    }

    // The pointer on a row: hot state, and a click that selects it ("itemclick"
    // first). True when the event was consumed.
    bool HandleRowPointer(UIEvent& event) {
        switch (event.type) {
        case kEventMouseMove:
        case kEventButtonUp:
            return true;
        case kEventMouseLeave:
            if (rowState_ & kRowHot) {
                rowState_ &= ~kRowHot;
                InvalidateRow();
            }
            return true;
        case kEventMouseEnter:
            if (this->IsEnabled()) {
                rowState_ |= kRowHot;
                InvalidateRow();
            }
            return true;
        case kEventButtonDown:
        case kEventRightButtonDown:
            if (this->IsEnabled()) {
                if (this->manager_) {
                    this->manager_->SendNotification(this, L"itemclick", 0, 0, false);
                }
                Select(true);
                InvalidateRow();
            }
            return true;
        default:
            return false;
        }
    }

    // The row's background in its state, from the owner's style record.
    void PaintRowBackground(HDC dc) {
        if (!owner_) {
            return;
        }
        CListInfo& info = *owner_->ListInfo();
        const bool evenOrPlain = !info.alternateBk || (index_ % 2) == 0;
        DWORD color = evenOrPlain ? info.bkColor : 0;
        if (rowState_ & kRowHot) {
            color = info.hotBkColor;
        }
        if (selected_) {
            color = info.selectedBkColor;
        }
        if (!this->IsEnabled()) {
            color = info.disabledBkColor;
        }
        if (color != 0) {
            CGdiRenderer::FillColor(dc, this->paintRect_, this->AdjustColorByHsl(color));
        }

        const bool states[] = {!this->IsEnabled(), selected_, (rowState_ & kRowHot) != 0};
        CWideString* images[] = {&info.disabledImage, &info.selectedImage, &info.hotImage};
        for (int i = 0; i < 3; ++i) {
            if (!states[i] || images[i]->IsEmpty()) {
                continue;
            }
            if (this->DrawImageInRect(dc, images[i]->Text())) {
                return;
            }
            images[i]->Clear();
        }

        const CWideString& own = this->BackgroundImage();
        if (!own.IsEmpty()) {
            if (evenOrPlain && !this->DrawImageInRect(dc, own.Text())) {
                this->SetBackgroundImage(L"");
            }
        } else if (!info.bkImage.IsEmpty()) {
            if (this->DrawImageInRect(dc, info.bkImage.Text())) {
                return;
            }
            info.bkImage.Clear();
        }

        if (info.lineColor != 0) {
            const CUIRect& rect = this->Rect();
            CGdiRenderer::StrokeLine(dc, CUIRect(rect.left, rect.bottom - 1, rect.right, rect.bottom - 1), 1,
                                     info.lineColor, PS_SOLID);
        }
    }

    int index_ = -1;
    bool selected_ = false;
    UINT rowState_ = 0;
    IListOwnerUI* owner_ = nullptr;
};

}  // namespace TavikUI
