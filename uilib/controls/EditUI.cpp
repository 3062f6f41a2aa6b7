#include "EditUI.h"

#include <cwchar>

#include "ButtonUI.h"
#include "ControlValueText.h"
#include "EditWnd.h"
#include "GdiRenderer.h"
#include "NativeEditorEvents.h"
#include "UIRect.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const int kDefaultMaxChars = 255;
const RECT kDefaultTextPadding = {4, 3, 4, 3};
const DWORD kWhite = 0xFFFFFFFFu;
// Room above and below the font's height an edit without a declared height
// asks for.
const int kDesiredHeightMargin = 6;

}  // namespace

CEditUI::CEditUI()
    : nativeWindow_(nullptr),
      maxChars_(kDefaultMaxChars),
      readOnly_(false),
      password_(false),
      passwordChar_(L'*'),
      state_(0),
      nativeBackgroundColor_(kSystemColors),
      extraStyle_(0) {
    SetTextPadding(kDefaultTextPadding);
    SetBackgroundColor(kWhite);
}

CEditUI::~CEditUI() { CloseNativeEditor(nativeWindow_); }

const wchar_t* CEditUI::ClassName() const { return L"EditUI"; }

void* CEditUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Edit") == 0) {
        return this;
    }
    return CLabelUI::InterfaceByName(name);
}

UINT CEditUI::BehaviourFlags() const { return IsEnabled() ? (kBehaviourTabStop | kBehaviourSetCursor) : 0; }

void CEditUI::SetText(const wchar_t* text) {
    text_.AssignText(text);
    if (nativeWindow_) {
        SetWindowTextW(nativeWindow_->Handle(), text_.Text());
    }
    InvalidateVisibleRect();
}

void CEditUI::Place(const RECT& rect) {
    CLabelUI::Place(rect);
    if (nativeWindow_) {
        const CUIRect edit = NativeEditRect();
        SetWindowPos(nativeWindow_->Handle(), nullptr, edit.left, edit.top, edit.Width(), edit.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CEditUI::ShowOrHide(bool show) {
    CLabelUI::ShowOrHide(show);
    if (!IsVisible() && nativeWindow_ && manager_) {
        manager_->MoveFocusTo(nullptr);
    }
}

void CEditUI::SetParentGivenVisibility(bool visible) {
    CLabelUI::SetParentGivenVisibility(visible);
    if (!IsVisible() && nativeWindow_ && manager_) {
        manager_->MoveFocusTo(nullptr);
    }
}

void CEditUI::SetEnabledState(bool enabled) {
    CLabelUI::SetEnabledState(enabled);
    if (!IsEnabled()) {
        state_ = 0;
    }
}

CUIRect CEditUI::NativeEditRect() const {
    CUIRect rect = TextRect();
    FontRecord* font = manager_ ? manager_->FontRecordAt(FontIndex()) : nullptr;
    const LONG textHeight = font ? font->metrics.tmHeight : 0;
    if (textHeight < rect.Height()) {
        rect.top += (rect.Height() - textHeight) / 2;
        rect.bottom = rect.top + textHeight;
    }
    return rect;
}

void CEditUI::OpenNativeWindow() { nativeWindow_ = CEditWnd::Open(this); }

void CEditUI::NativeWindowClosed() {
    nativeWindow_ = nullptr;
    InvalidateVisibleRect();
}

void CEditUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CLabelUI::HandleEvent(e); })) {
        return;
    }
    auto open = [this] {
        OpenNativeWindow();
        InvalidateVisibleRect();
    };
    if (HandleNativeEditorEvent(*this, event, nativeWindow_ != nullptr, open)) {
        return;
    }
    const bool enabled = IsEnabled();
    switch (event.type) {
    case kEventMouseLeave:
    case kEventMouseEnter:
        if (enabled) {
            if (event.type == kEventMouseEnter) {
                state_ |= kStateHot;
            } else {
                state_ &= ~kStateHot;
            }
            InvalidateVisibleRect();
            return;
        }
        break;
    case kEventButtonDown:
    case kEventRightButtonDown:
    case kEventDoubleClick:
        if (enabled) {
            if (manager_) {
                manager_->ReleaseMouse();
            }
            if (IsFocused() && !nativeWindow_) {
                OpenNativeWindow();
                if (!PtInRect(&rect_, event.point)) {
                    return;
                }
            }
            if (nativeWindow_) {
                const int length = text_.Length();
                nativeWindow_->SendToWindow(EM_SETSEL, 0, length > 0 ? length : 1);
            }
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CEditUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"readonly") == 0) {
        SetReadOnly(IsTrueText(value));
    } else if (wcscmp(name, L"numberonly") == 0) {
        SetNumberOnly(IsTrueText(value));
    } else if (wcscmp(name, L"password") == 0) {
        SetPassword(IsTrueText(value));
    } else if (wcscmp(name, L"maxchar") == 0) {
        SetMaxChars(ReadDecimal(value));
    } else if (wcscmp(name, L"normalimage") == 0) {
        SetNormalImage(value);
    } else if (wcscmp(name, L"hotimage") == 0) {
        SetHotImage(value);
    } else if (wcscmp(name, L"focusedimage") == 0) {
        SetFocusedImage(value);
    } else if (wcscmp(name, L"disabledimage") == 0) {
        SetDisabledImage(value);
    } else if (wcscmp(name, L"nativebkcolor") == 0) {
        SetNativeBackgroundColor(ReadHexColor(value));
    } else {
        CLabelUI::ApplyAttribute(name, value);
    }
}

void CEditUI::SetReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) {
        return;
    }
    readOnly_ = readOnly;
    if (nativeWindow_) {
        nativeWindow_->SendToWindow(EM_SETREADONLY, readOnly ? TRUE : FALSE);
    }
    InvalidateVisibleRect();
}

void CEditUI::SetPassword(bool password) {
    if (password_ == password) {
        return;
    }
    password_ = password;
    InvalidateVisibleRect();
}

void CEditUI::SetMaxChars(int count) {
    maxChars_ = count;
    if (nativeWindow_) {
        nativeWindow_->SendToWindow(EM_LIMITTEXT, static_cast<WPARAM>(maxChars_));
    }
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    if (numberOnly) {
        extraStyle_ |= ES_NUMBER;
    } else {
        extraStyle_ &= ~static_cast<DWORD>(ES_NUMBER);
    }
}

void CEditUI::SetNormalImage(const wchar_t* description) { StoreImage(normalImage_, description); }

void CEditUI::SetHotImage(const wchar_t* description) { StoreImage(hotImage_, description); }

void CEditUI::SetFocusedImage(const wchar_t* description) { StoreImage(focusedImage_, description); }

void CEditUI::SetDisabledImage(const wchar_t* description) { StoreImage(disabledImage_, description); }

SIZE CEditUI::DesiredSize(SIZE available) {
    if (DeclaredHeight() != 0) {
        return CControlUI::DesiredSize(available);
    }
    const FontRecord* font = manager_ ? manager_->FontRecordAt(FontIndex()) : nullptr;
    const int fontHeight = font ? static_cast<int>(font->metrics.tmHeight) : 0;
    return CUISize(DeclaredWidth(), fontHeight + kDesiredHeightMargin);
}

void CEditUI::PaintStateImages(HDC dc) {
    state_ = WithCurrentFocusAndEnabled(state_, *this);
    CWideString* stateImage = nullptr;
    if (state_ & kStateDisabled) {
        stateImage = &disabledImage_;
    } else if (state_ & kStateFocused) {
        stateImage = &focusedImage_;
    } else if (state_ & kStateHot) {
        stateImage = &hotImage_;
    }
    if (stateImage && !stateImage->IsEmpty() && DrawImageOrDrop(dc, *stateImage)) {
        return;
    }
    if (!normalImage_.IsEmpty()) {
        DrawImageOrDrop(dc, normalImage_);
    }
}

void CEditUI::PaintTextPart(HDC dc) {
    ResolveDefaultTextColors();
    if (text_.IsEmpty()) {
        return;
    }
    CWideString shown = text_;
    if (password_) {
        shown.Clear();
        for (const wchar_t* character = text_.Text(); *character; character = CharNextW(character)) {
            shown.AppendChar(passwordChar_);
        }
    }
    CUIRect rect = TextRect();
    CGdiRenderer::DrawPlainText(dc, manager_, rect, shown.Text(), IsEnabled() ? TextColor() : DisabledTextColor(),
                                FontIndex(), TextStyle() | DT_SINGLELINE);
}

}  // namespace TavikUI
