#include "OptionUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "GdiRenderer.h"
#include "PointerArray.h"
#include "WindowManager.h"

namespace TavikUI {

COptionUI::COptionUI() : selected_(false), selectedBkColor_(0), selectedTextColor_(0) {}

COptionUI::~COptionUI() {
    if (manager_ && !group_.IsEmpty()) {
        manager_->RemoveOptionFromGroup(group_.Text(), this);
    }
}

const wchar_t* COptionUI::ClassName() const { return L"OptionUI"; }

void* COptionUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Option") == 0) {
        return this;
    }
    return CButtonUI::InterfaceByName(name);
}

void COptionUI::AttachToManager(CWindowManager* manager, CControlUI* parent, bool init) {
    // An option is a group member only in the manager it is attached to: the
    // skin builder attaches each control for its attributes and detaches it
    // again, and a control deleted while detached must leave no member
    // behind that a later selection in the group would call.
    if (manager_ && manager_ != manager && !group_.IsEmpty()) {
        manager_->RemoveOptionFromGroup(group_.Text(), this);
    }
    CButtonUI::AttachToManager(manager, parent, init);
    if (init && manager_ && !group_.IsEmpty()) {
        manager_->AddOptionToGroup(group_.Text(), this);
    }
}

bool COptionUI::IsActivatable() {
    if (!CButtonUI::IsActivatable()) {
        return false;
    }
    Select(group_.IsEmpty() ? !selected_ : true);
    return true;
}

void COptionUI::SetEnabledState(bool enabled) {
    CButtonUI::SetEnabledState(enabled);
    if (!IsEnabled()) {
        SetButtonState(selected_ ? UINT{kButtonSelected} : 0u);
    }
}

void COptionUI::Select(bool selected) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    SetButtonState(selected ? (ButtonState() | kButtonSelected) : (ButtonState() & ~kButtonSelected));
    if (manager_) {
        if (group_.IsEmpty()) {
            manager_->SendNotification(this, L"selectchanged", 0, 0, false);
        } else if (selected_) {
            UnselectOthersInGroup();
            manager_->SendNotification(this, L"selectchanged", 0, 0, false);
        }
    }
    InvalidateVisibleRect();
}

void COptionUI::UnselectOthersInGroup() {
    CPointerArray* members = manager_->OptionGroup(group_.Text());
    if (!members) {
        return;
    }
    for (int i = 0; i < members->Count(); ++i) {
        auto* member = static_cast<CControlUI*>(members->AtUnchecked(i));
        if (member == this) {
            continue;
        }
        // Only options join groups; the interface query keeps anything else
        // a caller put there untouched.
        auto* option = static_cast<COptionUI*>(member->InterfaceByName(L"Option"));
        if (option) {
            option->Select(false);
        }
    }
}

void COptionUI::SetGroup(const wchar_t* name) {
    const wchar_t* wanted = name ? name : L"";
    if (group_.Equals(wanted)) {
        return;
    }
    if (manager_ && !group_.IsEmpty()) {
        manager_->RemoveOptionFromGroup(group_.Text(), this);
    }
    group_.AssignText(wanted);
    if (manager_ && !group_.IsEmpty()) {
        manager_->AddOptionToGroup(group_.Text(), this);
    }
}

void COptionUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"group") == 0) {
        SetGroup(value);
    } else if (wcscmp(name, L"selected") == 0) {
        Select(IsTrueText(value));
    } else if (wcscmp(name, L"selectedimage") == 0) {
        SetSelectedImage(value);
    } else if (wcscmp(name, L"selectedhotimage") == 0) {
        SetSelectedHotImage(value);
    } else if (wcscmp(name, L"foreimage") == 0) {
        SetForeImage(value);
    } else if (wcscmp(name, L"selectedbkcolor") == 0) {
        selectedBkColor_ = ReadHexColor(value);
    } else if (wcscmp(name, L"selectedtextcolor") == 0) {
        selectedTextColor_ = ReadHexColor(value);
    } else {
        CButtonUI::ApplyAttribute(name, value);
    }
}

bool COptionUI::PaintSelectedImages(HDC dc, bool& stop) {
    stop = false;
    if ((ButtonState() & kButtonHot) && !selectedHotImage_.IsEmpty()) {
        return DrawImageOrDrop(dc, selectedHotImage_);
    }
    if (!selectedImage_.IsEmpty()) {
        return DrawImageOrDrop(dc, selectedImage_);
    }
    if (selectedBkColor_ != 0) {
        // The colour stands for the whole selected look: nothing over it.
        CGdiRenderer::FillColor(dc, paintRect_, AdjustColorByHsl(selectedBkColor_));
        stop = true;
        return true;
    }
    return false;
}

void COptionUI::PaintStateImages(HDC dc) {
    // An option never shows its pushed look.
    SetButtonState(ButtonState() & ~kButtonPushed);
    bool stop = false;
    if (!selected_ || !PaintSelectedImages(dc, stop)) {
        CButtonUI::PaintStateImages(dc);
    }
    if (stop) {
        return;
    }
    DrawImageOrDrop(dc, optionForeImage_);
}

void COptionUI::PaintTextPart(HDC dc) {
    if (!selected_) {
        CButtonUI::PaintTextPart(dc);
        return;
    }
    RefreshStateBits();
    // The selected colour stands in for this paint only.
    const DWORD ownColor = TextColor();
    if (selectedTextColor_ != 0) {
        StoreTextColor(selectedTextColor_);
    }
    ResolveDefaultTextColors();
    if (!text_.IsEmpty()) {
        DrawLabelText(dc, IsEnabled() ? TextColor() : DisabledTextColor(), TextStyle());
    }
    StoreTextColor(ownColor);
}

void COptionUI::SetSelectedImage(const wchar_t* description) { StoreImage(selectedImage_, description); }

void COptionUI::SetSelectedHotImage(const wchar_t* description) { StoreImage(selectedHotImage_, description); }

void COptionUI::SetForeImage(const wchar_t* description) { StoreImage(optionForeImage_, description); }

}  // namespace TavikUI
