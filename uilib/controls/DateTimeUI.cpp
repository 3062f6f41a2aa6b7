#include "DateTimeUI.h"

#include <cwchar>

#include "DateTimeWnd.h"
#include "NativeEditorEvents.h"
#include "WideString.h"
#include "WindowManager.h"

namespace TavikUI {

CDateTimeUI::CDateTimeUI() : time_(), updateMode_(kShowStoredDate), picker_(nullptr) {
    GetLocalTime(&time_);
    UpdateText();
    updateMode_ = kTakePickerDate;
}

CDateTimeUI::~CDateTimeUI() { CloseNativeEditor(picker_); }

const wchar_t* CDateTimeUI::ClassName() const { return L"DateTimeUI"; }

void* CDateTimeUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"DateTime") == 0) {
        return this;
    }
    return CLabelUI::InterfaceByName(name);
}

void CDateTimeUI::UpdateText() {
    if (updateMode_ == kShowStoredDate) {
        CWideString text;
        text.FormatText(L"%4d-%02d-%02d", time_.wYear, time_.wMonth, time_.wDay);
        SetText(text.Text());
    } else if (updateMode_ == kClearText) {
        SetText(L"");
    }
}

void CDateTimeUI::OpenPicker() {
    const bool fresh = picker_ == nullptr;
    if (fresh) {
        picker_ = new CDateTimeWnd();
    }
    CDateTimeWnd* picker = picker_;
    if (!picker->Init(this)) {
        // Only a picker that never got a window is still ours to delete.
        if (fresh && picker_ == picker && !picker->Handle()) {
            picker_ = nullptr;
            delete picker;
        }
        return;
    }
    picker->ShowNative(true, true);
}

void CDateTimeUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CLabelUI::HandleEvent(e); })) {
        return;
    }
    if (HandleNativeEditorEvent(*this, event, picker_ != nullptr, [this] { OpenPicker(); })) {
        return;
    }
    const bool enabled = IsEnabled();
    switch (event.type) {
    case kEventMouseLeave:
    case kEventMouseEnter:
        return;
    case kEventButtonDown:
    case kEventRightButtonDown:
    case kEventDoubleClick:
        if (enabled) {
            if (manager_) {
                manager_->ReleaseMouse();
            }
            if (IsFocused() || picker_) {
                OpenPicker();
            }
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

}  // namespace TavikUI
