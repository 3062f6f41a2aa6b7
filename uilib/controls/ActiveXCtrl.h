// The container side of one hosted OLE object: the client site, the
// (windowless) in-place site, the control site, the object-with-site and the
// container interfaces, sharing one reference count. The site keeps the
// object's view and in-place interfaces and, for a windowed object, the
// CActiveXWnd it lives in.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include "ActiveXWnd.h"

namespace TavikUI {

class CActiveXUI;

class CActiveXCtrl final : public IOleClientSite,
                           public IOleInPlaceSiteWindowless,
                           public IOleControlSite,
                           public IObjectWithSite,
                           public IOleContainer {
public:
    // The reference count starts at 1: the owner's reference.
    CActiveXCtrl();
    CActiveXCtrl(const CActiveXCtrl&) = delete;
    CActiveXCtrl& operator=(const CActiveXCtrl&) = delete;

    // The owner is not owned; null detaches the site from a control that
    // goes away (site methods then answer E_UNEXPECTED).
    void SetOwner(CActiveXUI* owner) { owner_ = owner; }
    CActiveXUI* Owner() const { return owner_; }
    // Keeps the object's view interface (with a reference of its own). Hit
    // tests need IViewObjectEx, which is asked for separately: only an
    // interface the object really gave is ever called.
    void SetViewObject(IViewObject* view);
    IViewObject* ViewObject() const { return viewObject_; }
    IViewObjectEx* ViewObjectEx() const { return viewObjectEx_; }
    IOleInPlaceObject* InPlaceObject() const { return inPlaceObject_; }
    // Only set for a windowless activation.
    IOleInPlaceObjectWindowless* WindowlessObject() const { return windowlessObject_; }
    CActiveXWnd* Window() const { return window_; }
    bool IsInPlaceActive() const { return inPlaceActive_; }
    bool IsUIActive() const { return uiActive_; }
    bool IsWindowless() const { return windowless_; }
    bool HoldsCapture() const { return captured_; }
    bool IsFocused() const { return focused_; }
    void SetFocused(bool focused) { focused_ = focused; }
    bool IsContainerLocked() const { return locked_; }

    // Lets go of everything the site holds of the object (view, in-place
    // interfaces, running lock, window) so that no cycle keeps either alive.
    void ForgetObject();
    // Ends the running lock the in-place activation took on the owner's
    // object, if any (a lock left behind would keep the object alive).
    void ReleaseRunningLock();
    // Runs a verb of the owner's object inside the site's own window.
    HRESULT RunVerbInWindow(LONG verb);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

    // IOleInPlaceSiteEx
    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL noRedraw) override;
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override;

    // IOleInPlaceSiteWindowless
    HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override;
    HRESULT STDMETHODCALLTYPE GetCapture() override;
    HRESULT STDMETHODCALLTYPE SetCapture(BOOL capture) override;
    HRESULT STDMETHODCALLTYPE GetFocus() override;
    HRESULT STDMETHODCALLTYPE SetFocus(BOOL focus) override;
    HRESULT STDMETHODCALLTYPE GetDC(LPCRECT rect, DWORD flags, HDC* dc) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override;
    HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT rect, BOOL erase) override;
    HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN region, BOOL erase) override;
    HRESULT STDMETHODCALLTYPE ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT rect) override;
    HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override;
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL lock) override;
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** dispatch) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message, DWORD modifiers) override;
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL focus) override;
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override;

    // IObjectWithSite
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
    HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** site) override;

    // IParseDisplayName, IOleContainer
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx* context, LPOLESTR name, ULONG* eaten,
                                               IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE EnumObjects(DWORD flags, IEnumUnknown** enumerator) override;
    HRESULT STDMETHODCALLTYPE LockContainer(BOOL lock) override;

private:
    // Destroys the window and releases what the site holds.
    ~CActiveXCtrl();
    // Creates the CActiveXWnd once, as a child of the manager's window.
    HRESULT CreateActiveXWnd();
    void DestroyActiveXWnd();
    void ReleaseInPlaceObjects();

    LONG references_;
    CActiveXUI* owner_;
    CActiveXWnd* window_;
    IUnknown* outerSite_;
    IViewObject* viewObject_;
    IViewObjectEx* viewObjectEx_;
    IOleInPlaceObject* inPlaceObject_;
    IOleInPlaceObjectWindowless* windowlessObject_;
    // The empty accelerator table handed out with the window context; one
    // per site, however often the object asks.
    HACCEL accelerators_;
    bool locked_;
    bool runningLocked_;
    bool focused_;
    bool captured_;
    bool uiActive_;
    bool inPlaceActive_;
    bool windowless_;
};

}  // namespace TavikUI
