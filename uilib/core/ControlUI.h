// The base of every element of a skinned window: placement and the declared
// geometry layouts read, visibility and state flags, texts, paint fields, the
// delegate lists, the default event handling, the paint order and the base
// attribute table the skin builder feeds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "Delegate.h"
#include "UIEvent.h"
#include "UIRect.h"
#include "WideString.h"

namespace TavikUI {

class CWindowManager;
class CControlUI;

// Bits of CControlUI::BehaviourFlags.
enum ControlBehaviourFlag : UINT {
    // Takes part in the Tab focus walk.
    kBehaviourTabStop = 0x1,
    // Receives set-cursor events.
    kBehaviourSetCursor = 0x2,
};

// Flags of CControlUI::VisitControls.
enum ControlVisitFlag : UINT {
    kVisitVisibleOnly = 0x1,
    kVisitEnabledOnly = 0x2,
    // `data` points to a POINT; controls that do not accept the mouse or do
    // not hold the point are skipped.
    kVisitHitTest = 0x4,
    // Containers visit their children from the last to the first.
    kVisitLastChildFirst = 0x8,
    // Containers offer themselves before their children.
    kVisitContainerFirst = 0x80000000u,
};

// A visitor answers the control it was looking for, or null to go on.
using ControlVisitor = CControlUI* (*)(CControlUI* control, void* data);

// "relativepos": how a control moves and grows with its parent (read by the
// layouts).
struct RelativePlacement {
    bool relative = false;
    int32_t parentCx = 0;
    int32_t parentCy = 0;
    int32_t moveX = 0;
    int32_t moveY = 0;
    int32_t zoomX = 0;
    int32_t zoomY = 0;
};

class CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
    // Fires the destroy delegates and makes the manager forget the control.
    // The parent's child list is not touched.
    virtual ~CControlUI();

    virtual CWideString Name() const;
    // The manager's name map is not touched.
    virtual void SetName(const wchar_t* name);
    virtual const wchar_t* ClassName() const;
    // "Control" answers the control itself.
    virtual void* InterfaceByName(const wchar_t* name);
    virtual UINT BehaviourFlags() const;
    // Visible and enabled; subclasses activate themselves here.
    virtual bool IsActivatable();
    virtual CWindowManager* Manager() const;
    // With `init` and a parent, runs RunInit.
    virtual void AttachToManager(CWindowManager* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* Parent() const;

    virtual CWideString Text() const;
    virtual void SetText(const wchar_t* text);

    virtual const CUIRect& Rect() const;
    virtual void Place(const RECT& rect);
    virtual int Width() const;
    virtual int Height() const;
    virtual int X() const;
    virtual int Y() const;
    virtual CUIRect Padding() const;
    virtual void SetPadding(const RECT& padding);
    // Negative x or y counts from the parent's right or bottom edge.
    virtual POINT FloatOffset() const;
    virtual void SetFloatOffset(POINT offset);
    virtual int DeclaredWidth() const;
    virtual void SetDeclaredWidth(int width);
    virtual int DeclaredHeight() const;
    virtual void SetDeclaredHeight(int height);
    virtual int MinWidth() const;
    virtual void SetMinWidth(int width);
    virtual int MaxWidth() const;
    virtual void SetMaxWidth(int width);
    virtual int MinHeight() const;
    virtual void SetMinHeight(int height);
    virtual int MaxHeight() const;
    virtual void SetMaxHeight(int height);
    virtual void SetRelativePosition(int moveX, int moveY, int zoomX, int zoomY);
    virtual void SetRelativeParentSize(int cx, int cy);
    virtual RelativePlacement RelativePosition() const;
    virtual bool IsRelative() const;

    virtual CWideString ToolTip() const;
    // Each "<n>" becomes CR LF.
    virtual void SetToolTip(const wchar_t* text);
    virtual void SetToolTipWidth(int width);
    virtual int ToolTipWidth() const;
    virtual wchar_t Shortcut() const;
    virtual void SetShortcut(wchar_t character);
    virtual bool HasContextMenu() const;
    virtual void SetContextMenu(bool hasMenu);
    virtual void SetWantsTab(bool wantsTab);
    virtual bool WantsTab() const;
    virtual CWideString UserData() const;
    virtual void SetUserData(const wchar_t* data);
    virtual uint32_t UserTag() const;
    virtual void SetUserTag(uint32_t tag);

    // Own visibility and the visibility the container gave.
    virtual bool IsVisible() const;
    virtual void ShowOrHide(bool show = true);
    virtual void SetParentGivenVisibility(bool visible);
    virtual bool IsEnabled() const;
    virtual void SetEnabledState(bool enabled = true);
    virtual bool AcceptsMouse() const;
    virtual void SetAcceptsMouse(bool accepts = true);
    virtual bool AcceptsKeyboard() const;
    virtual void SetAcceptsKeyboard(bool accepts = true);
    virtual bool IsFocused() const;
    virtual void TakeFocus();
    virtual bool IsFloating() const;
    virtual void SetFloating(bool floating = true);

    // Answers the visitor's result for this control unless a flag skips it
    // (ControlVisitFlag). Containers extend this to their children.
    virtual CControlUI* VisitControls(ControlVisitor visitor, void* data, UINT flags);

    // InitHook, then the init delegates.
    virtual void RunInit();
    virtual void InitHook();
    // Event delegates first; when all agree, HandleEvent.
    virtual void DeliverEvent(UIEvent& event);
    virtual void HandleEvent(UIEvent& event);
    virtual void ApplyAttribute(const wchar_t* name, const wchar_t* value);
    virtual SIZE DesiredSize(SIZE available);

    virtual void Paint(HDC dc, const RECT& area);
    virtual void PaintBackgroundColor(HDC dc);
    virtual void PaintBackgroundImage(HDC dc);
    virtual void PaintStateImages(HDC dc);
    virtual void PaintTextPart(HDC dc);
    virtual void PaintBorderLines(HDC dc);
    // Run after the whole tree for controls registered with the manager.
    virtual void PostPaint(HDC dc, const RECT& area);

    // Invalidates the part of the rectangle every ancestor shows.
    void InvalidateVisibleRect();
    void MarkForLayout();
    void MarkParentForLayout();
    bool NeedsLayout() const { return needsLayout_; }
    DWORD AdjustColorByHsl(DWORD color) const;
    // Draws an image description in the rectangle, clipped by the paint
    // rectangle; false when it cannot be drawn.
    bool DrawImageInRect(HDC dc, const wchar_t* description, const wchar_t* modifier = nullptr);
    // The same for one of the control's images; one that fails is cleared
    // so it is not tried again. False for an empty or failing description.
    bool DrawImageOrDrop(HDC dc, CWideString& description);
    // Asks the manager for every mouse move; false when another control has it.
    bool CaptureMouse();
    // name="value" pairs separated by one space.
    void ApplyAttributeString(const wchar_t* text);
    void SetVirtualWindowName(const wchar_t* name);
    // Own name, else the nearest ancestor's, else "".
    CWideString VirtualWindowName() const;

    // Paint fields: these store and invalidate only when the value changes.
    void SetBackgroundColor(DWORD color);
    void SetBackgroundColor2(DWORD color);
    void SetBackgroundColor3(DWORD color);
    void SetBackgroundImage(const wchar_t* description);
    void SetBorderColor(DWORD color);
    void SetFocusBorderColor(DWORD color);
    void SetColorHsl(bool adjust);
    void SetBorderThickness(int size);
    // These store and invalidate always.
    void SetSideBorderWidths(const RECT& widths);
    void SetLeftBorderWidth(int width);
    void SetTopBorderWidth(int width);
    void SetRightBorderWidth(int width);
    void SetBottomBorderWidth(int width);
    void SetBorderStyle(int style);
    void SetBorderRounding(SIZE rounding);

    DWORD BackgroundColor() const { return backgroundColor_; }
    DWORD BackgroundColor2() const { return backgroundColor2_; }
    DWORD BackgroundColor3() const { return backgroundColor3_; }
    const CWideString& BackgroundImage() const { return backgroundImage_; }
    const CWideString& ForeImage() const { return foreImage_; }
    void SetForeImage(const wchar_t* description) { foreImage_.AssignText(description); }
    DWORD BorderColor() const { return borderColor_; }
    DWORD FocusBorderColor() const { return focusBorderColor_; }
    bool ColorHsl() const { return colorHsl_; }
    int BorderThickness() const { return borderSize_; }
    int BorderStyle() const { return borderStyle_; }
    SIZE BorderRounding() const { return borderRounding_; }
    CUIRect SideBorderWidths() const { return sideBorderWidths_; }
    // Intersection of the last paint area and the rectangle.
    const CUIRect& PaintRect() const { return paintRect_; }

    CDelegateList& InitDelegates() { return initDelegates_; }
    CDelegateList& DestroyDelegates() { return destroyDelegates_; }
    CDelegateList& SizeDelegates() { return sizeDelegates_; }
    CDelegateList& EventDelegates() { return eventDelegates_; }
    CDelegateList& NotifyDelegates() { return notifyDelegates_; }

protected:
    // The own visibility flag alone, for subclasses whose show and hide work
    // differently (containers pass it on, scroll bars skip the relayout).
    bool OwnVisibility() const { return visible_; }
    void StoreOwnVisibility(bool visible) { visible_ = visible; }
    // The declared size alone, without the relayout the setters ask for (a
    // separator drag resizes its layout only when the drag ends).
    void StoreDeclaredWidth(int width) { declaredWidth_ = width; }
    void StoreDeclaredHeight(int height) { declaredHeight_ = height; }
    // Takes a new image description for one of the control's images and
    // repaints.
    void StoreImage(CWideString& field, const wchar_t* description);
    // With mouse input off a mouse event is not the control's own: it goes
    // to the parent, or without one to `withoutParent`. Answers whether the
    // event was handed on (the caller then stops).
    bool HandMouseEventToParent(UIEvent& event, const std::function<void(UIEvent&)>& withoutParent);

    CWindowManager* manager_;
    CControlUI* parent_;
    bool needsLayout_;
    bool focused_;
    CUIRect rect_;
    CUIRect paintRect_;
    CWideString text_;

private:
    // Geometry setters relayout the control itself when floating, else the
    // parent.
    void RelayoutAfterGeometryChange();
    // Invalidates `area` clipped by every ancestor (visible controls only).
    void InvalidateClipped(CUIRect area);
    void SendNotificationToManager(const wchar_t* type, WPARAM wParam, LPARAM lParam);

    CDelegateList initDelegates_;
    CDelegateList destroyDelegates_;
    CDelegateList sizeDelegates_;
    CDelegateList eventDelegates_;
    CDelegateList notifyDelegates_;

    CWideString virtualWindowName_;
    CWideString name_;
    bool hasContextMenu_;
    bool wantsTab_;
    CUIRect padding_;
    POINT floatOffset_;
    int declaredWidth_;
    int declaredHeight_;
    int minWidth_;
    int minHeight_;
    int maxWidth_;
    int maxHeight_;
    bool visible_;
    bool parentGivenVisible_;
    bool enabled_;
    bool acceptsMouse_;
    bool acceptsKeyboard_;
    bool floating_;
    bool inSizeDelegates_;
    RelativePlacement relativePlacement_;
    CWideString toolTip_;
    wchar_t shortcut_;
    CWideString userData_;
    uint32_t userTag_;
    DWORD backgroundColor_;
    DWORD backgroundColor2_;
    DWORD backgroundColor3_;
    CWideString backgroundImage_;
    CWideString foreImage_;
    DWORD borderColor_;
    DWORD focusBorderColor_;
    bool colorHsl_;
    int borderSize_;
    int borderStyle_;
    int toolTipWidth_;
    SIZE borderRounding_;
    CUIRect sideBorderWidths_;
};

}  // namespace TavikUI
