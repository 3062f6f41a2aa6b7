// The base control: state, placement, visibility, invalidation and events.
// Painting is in ControlUIPaint.cpp, the attribute table in
// ControlUIAttributes.cpp.
#include "ControlUI.h"

#include <cwchar>

#include "WindowManager.h"

namespace TavikUI {
namespace {

const int kUnlimitedSize = 9999;
const int kDefaultToolTipWidth = 300;

// The size setters share one rule: negative and unchanged values are ignored.
bool StoreSize(int& field, int value) {
    if (value < 0 || value == field) {
        return false;
    }
    field = value;
    return true;
}

}  // namespace

CControlUI::CControlUI()
    : manager_(nullptr),
      parent_(nullptr),
      needsLayout_(true),
      focused_(false),
      hasContextMenu_(false),
      wantsTab_(false),
      floatOffset_{0, 0},
      declaredWidth_(0),
      declaredHeight_(0),
      minWidth_(0),
      minHeight_(0),
      maxWidth_(kUnlimitedSize),
      maxHeight_(kUnlimitedSize),
      visible_(true),
      parentGivenVisible_(true),
      enabled_(true),
      acceptsMouse_(true),
      acceptsKeyboard_(true),
      floating_(false),
      inSizeDelegates_(false),
      shortcut_(0),
      userTag_(0),
      backgroundColor_(0),
      backgroundColor2_(0),
      backgroundColor3_(0),
      borderColor_(0),
      focusBorderColor_(0),
      colorHsl_(false),
      borderSize_(0),
      borderStyle_(0),
      toolTipWidth_(kDefaultToolTipWidth),
      borderRounding_{0, 0} {}

CControlUI::~CControlUI() {
    destroyDelegates_.Fire(this);
    if (manager_) {
        manager_->ForgetControl(this);
    }
}

CWideString CControlUI::Name() const { return name_; }

void CControlUI::SetName(const wchar_t* name) { name_.AssignText(name); }

const wchar_t* CControlUI::ClassName() const { return L"ControlUI"; }

void* CControlUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Control") == 0) {
        return this;
    }
    return nullptr;
}

UINT CControlUI::BehaviourFlags() const { return 0; }

bool CControlUI::IsActivatable() { return IsVisible() && IsEnabled(); }

CWindowManager* CControlUI::Manager() const { return manager_; }

void CControlUI::AttachToManager(CWindowManager* manager, CControlUI* parent, bool init) {
    manager_ = manager;
    parent_ = parent;
    if (init && parent_) {
        RunInit();
    }
}

CControlUI* CControlUI::Parent() const { return parent_; }

CWideString CControlUI::Text() const { return text_; }

void CControlUI::SetText(const wchar_t* text) {
    if (text_.Equals(text)) {
        return;
    }
    text_.AssignText(text);
    InvalidateVisibleRect();
}

const CUIRect& CControlUI::Rect() const { return rect_; }

void CControlUI::Place(const RECT& rect) {
    CUIRect placed(rect);
    if (placed.right < placed.left) {
        placed.right = placed.left;
    }
    if (placed.bottom < placed.top) {
        placed.bottom = placed.top;
    }
    CUIRect repaint = IsRectEmpty(&rect_) ? placed : rect_;
    repaint.Union(placed);
    rect_ = placed;
    if (!manager_) {
        return;
    }
    if (!inSizeDelegates_) {
        inSizeDelegates_ = true;
        sizeDelegates_.Fire(this);
        inSizeDelegates_ = false;
    }
    if (floating_ && parent_) {
        const CUIRect& parentRect = parent_->Rect();
        floatOffset_.x = floatOffset_.x < 0 ? rect_.right - parentRect.right : rect_.left - parentRect.left;
        floatOffset_.y = floatOffset_.y < 0 ? rect_.bottom - parentRect.bottom : rect_.top - parentRect.top;
        declaredWidth_ = rect_.Width();
        declaredHeight_ = rect_.Height();
    }
    needsLayout_ = false;
    InvalidateClipped(repaint);
}

int CControlUI::Width() const { return rect_.Width(); }

int CControlUI::Height() const { return rect_.Height(); }

int CControlUI::X() const { return rect_.left; }

int CControlUI::Y() const { return rect_.top; }

CUIRect CControlUI::Padding() const { return padding_; }

void CControlUI::SetPadding(const RECT& padding) {
    padding_ = padding;
    MarkParentForLayout();
}

POINT CControlUI::FloatOffset() const { return floatOffset_; }

void CControlUI::SetFloatOffset(POINT offset) {
    if (offset.x == floatOffset_.x && offset.y == floatOffset_.y) {
        return;
    }
    floatOffset_ = offset;
    RelayoutAfterGeometryChange();
}

int CControlUI::DeclaredWidth() const { return declaredWidth_; }

void CControlUI::SetDeclaredWidth(int width) {
    if (StoreSize(declaredWidth_, width)) {
        RelayoutAfterGeometryChange();
    }
}

int CControlUI::DeclaredHeight() const { return declaredHeight_; }

void CControlUI::SetDeclaredHeight(int height) {
    if (StoreSize(declaredHeight_, height)) {
        RelayoutAfterGeometryChange();
    }
}

int CControlUI::MinWidth() const { return minWidth_; }

void CControlUI::SetMinWidth(int width) {
    if (StoreSize(minWidth_, width)) {
        RelayoutAfterGeometryChange();
    }
}

int CControlUI::MaxWidth() const { return maxWidth_; }

void CControlUI::SetMaxWidth(int width) {
    if (StoreSize(maxWidth_, width)) {
        RelayoutAfterGeometryChange();
    }
}

int CControlUI::MinHeight() const { return minHeight_; }

void CControlUI::SetMinHeight(int height) {
    if (StoreSize(minHeight_, height)) {
        RelayoutAfterGeometryChange();
    }
}

int CControlUI::MaxHeight() const { return maxHeight_; }

void CControlUI::SetMaxHeight(int height) {
    if (StoreSize(maxHeight_, height)) {
        RelayoutAfterGeometryChange();
    }
}

void CControlUI::SetRelativePosition(int moveX, int moveY, int zoomX, int zoomY) {
    relativePlacement_.moveX = moveX;
    relativePlacement_.moveY = moveY;
    relativePlacement_.zoomX = zoomX;
    relativePlacement_.zoomY = zoomY;
    relativePlacement_.relative = true;
}

void CControlUI::SetRelativeParentSize(int cx, int cy) {
    relativePlacement_.parentCx = cx;
    relativePlacement_.parentCy = cy;
}

RelativePlacement CControlUI::RelativePosition() const { return relativePlacement_; }

bool CControlUI::IsRelative() const { return relativePlacement_.relative; }

CWideString CControlUI::ToolTip() const { return toolTip_; }

void CControlUI::SetToolTip(const wchar_t* text) {
    toolTip_.AssignText(text);
    toolTip_.ReplaceAll(L"<n>", L"\r\n");
}

void CControlUI::SetToolTipWidth(int width) { toolTipWidth_ = width; }

int CControlUI::ToolTipWidth() const { return toolTipWidth_; }

wchar_t CControlUI::Shortcut() const { return shortcut_; }

void CControlUI::SetShortcut(wchar_t character) { shortcut_ = character; }

bool CControlUI::HasContextMenu() const { return hasContextMenu_; }

void CControlUI::SetContextMenu(bool hasMenu) { hasContextMenu_ = hasMenu; }

void CControlUI::SetWantsTab(bool wantsTab) { wantsTab_ = wantsTab; }

bool CControlUI::WantsTab() const { return wantsTab_; }

CWideString CControlUI::UserData() const { return userData_; }

void CControlUI::SetUserData(const wchar_t* data) { userData_.AssignText(data); }

uint32_t CControlUI::UserTag() const { return userTag_; }

void CControlUI::SetUserTag(uint32_t tag) { userTag_ = tag; }

bool CControlUI::IsVisible() const { return visible_ && parentGivenVisible_; }

void CControlUI::ShowOrHide(bool show) {
    if (visible_ == show) {
        return;
    }
    const bool wasVisible = IsVisible();
    visible_ = show;
    focused_ = false;
    if (!show && manager_ && manager_->FocusedControl() == this) {
        manager_->MoveFocusTo(nullptr);
    }
    if (IsVisible() != wasVisible) {
        MarkParentForLayout();
    }
}

void CControlUI::SetParentGivenVisibility(bool visible) {
    parentGivenVisible_ = visible;
    if (!visible && manager_ && manager_->FocusedControl() == this) {
        manager_->MoveFocusTo(nullptr);
    }
}

bool CControlUI::IsEnabled() const { return enabled_; }

void CControlUI::SetEnabledState(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    InvalidateVisibleRect();
}

bool CControlUI::AcceptsMouse() const { return acceptsMouse_; }

void CControlUI::SetAcceptsMouse(bool accepts) { acceptsMouse_ = accepts; }

bool CControlUI::AcceptsKeyboard() const { return acceptsKeyboard_; }

void CControlUI::SetAcceptsKeyboard(bool accepts) { acceptsKeyboard_ = accepts; }

bool CControlUI::IsFocused() const { return focused_; }

void CControlUI::TakeFocus() {
    if (manager_) {
        manager_->MoveFocusTo(this);
    }
}

bool CControlUI::IsFloating() const { return floating_; }

void CControlUI::SetFloating(bool floating) {
    if (floating_ == floating) {
        return;
    }
    floating_ = floating;
    MarkParentForLayout();
}

CControlUI* CControlUI::VisitControls(ControlVisitor visitor, void* data, UINT flags) {
    if ((flags & kVisitVisibleOnly) && !IsVisible()) {
        return nullptr;
    }
    if ((flags & kVisitEnabledOnly) && !IsEnabled()) {
        return nullptr;
    }
    if (flags & kVisitHitTest) {
        // A hit test without a point hits nothing.
        const auto* point = static_cast<const POINT*>(data);
        if (!point || !AcceptsMouse() || !PtInRect(&rect_, *point)) {
            return nullptr;
        }
    }
    return visitor ? visitor(this, data) : nullptr;
}

bool CControlUI::HandMouseEventToParent(UIEvent& event, const std::function<void(UIEvent&)>& withoutParent) {
    if (AcceptsMouse() || !IsMouseEvent(event.type)) {
        return false;
    }
    if (parent_) {
        parent_->HandleEvent(event);
    } else {
        withoutParent(event);
    }
    return true;
}

void CControlUI::RunInit() {
    InitHook();
    initDelegates_.Fire(this);
}

void CControlUI::InitHook() {}

void CControlUI::DeliverEvent(UIEvent& event) {
    if (eventDelegates_.Fire(&event)) {
        HandleEvent(event);
    }
}

void CControlUI::HandleEvent(UIEvent& event) {
    switch (event.type) {
    case kEventContextMenu:
        if (hasContextMenu_) {
            SendNotificationToManager(L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    case kEventKillFocus:
        focused_ = false;
        InvalidateVisibleRect();
        return;
    case kEventSetFocus:
        focused_ = true;
        InvalidateVisibleRect();
        return;
    case kEventSetCursor:
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
        return;
    case kEventTimer:
        SendNotificationToManager(L"timer", event.wParam, event.lParam);
        return;
    default:
        break;
    }
    // Unhandled events climb to the parent's handler (not its delegates) and
    // are dropped at the root.
    if (parent_) {
        parent_->HandleEvent(event);
    }
}

SIZE CControlUI::DesiredSize(SIZE /*available*/) { return CUISize(declaredWidth_, declaredHeight_); }

void CControlUI::InvalidateVisibleRect() { InvalidateClipped(rect_); }

void CControlUI::StoreImage(CWideString& field, const wchar_t* description) {
    field.AssignText(description);
    InvalidateVisibleRect();
}

void CControlUI::InvalidateClipped(CUIRect area) {
    if (!IsVisible()) {
        return;
    }
    for (const CControlUI* ancestor = parent_; ancestor; ancestor = ancestor->Parent()) {
        if (!IntersectRect(&area, &area, &ancestor->Rect())) {
            return;
        }
    }
    if (manager_) {
        manager_->InvalidateArea(area);
    }
}

void CControlUI::MarkForLayout() {
    if (!IsVisible()) {
        return;
    }
    needsLayout_ = true;
    InvalidateVisibleRect();
    if (manager_) {
        manager_->MarkForUpdate();
    }
}

void CControlUI::MarkParentForLayout() {
    if (parent_) {
        parent_->MarkForLayout();
    } else {
        MarkForLayout();
    }
    if (manager_) {
        manager_->MarkForUpdate();
    }
}

void CControlUI::RelayoutAfterGeometryChange() {
    if (floating_) {
        MarkForLayout();
    } else {
        MarkParentForLayout();
    }
}

bool CControlUI::CaptureMouse() { return manager_ && manager_->SetCaptureControl(this); }

void CControlUI::SetVirtualWindowName(const wchar_t* name) {
    virtualWindowName_.AssignText(name);
    if (manager_) {
        manager_->MarkVirtualWindowsInUse();
    }
}

CWideString CControlUI::VirtualWindowName() const {
    if (!virtualWindowName_.IsEmpty()) {
        return virtualWindowName_;
    }
    return parent_ ? parent_->VirtualWindowName() : CWideString();
}

void CControlUI::SendNotificationToManager(const wchar_t* type, WPARAM wParam, LPARAM lParam) {
    if (manager_) {
        manager_->SendNotification(this, type, wParam, lParam, false);
    }
}

}  // namespace TavikUI
