// A control that embeds an OLE control (an ActiveX object): it creates the
// object from a CLSID, through a named module's class factory when one is
// given, acts as its container through a CActiveXCtrl site and activates it
// in place, windowless (drawn into the manager's paint DC and fed window
// messages through the manager's message filter) or windowed (inside a
// CActiveXWnd child window).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "ControlUI.h"
#include "UIInterfaces.h"
#include "WideString.h"

namespace TavikUI {

class CActiveXCtrl;

class CActiveXUI : public CControlUI, public IMessageFilterUI {
public:
    CActiveXUI();
    // Releases the hosted object and the site.
    ~CActiveXUI() override;

    const wchar_t* ClassName() const override;
    // "ActiveX" answers the host; anything else goes to the control query.
    void* InterfaceByName(const wchar_t* name) override;
    // Creates a delayed object on the first placement, then sizes it.
    void Place(const RECT& rect) override;
    // A windowless object's message filter moves with the control.
    void AttachToManager(CWindowManager* manager, CControlUI* parent, bool init = true) override;
    // A windowed object's window follows the control's visibility.
    void ShowOrHide(bool show = true) override;
    void SetParentGivenVisibility(bool visible) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // A windowless object draws itself through its view object; the base
    // control's background, images and border are not painted.
    void Paint(HDC dc, const RECT& area) override;

    // Closes and releases the object, frees the site and drops the message
    // filter.
    virtual void ReleaseControl();
    // Creates, sets up and activates the object for the stored CLSID; false
    // leaves the control without an object.
    virtual bool CreateActiveXControl();

    // Mouse, keyboard and a few other messages for a windowless object.
    LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // A GUID in braces, else a ProgID; only the first 99 characters count.
    void SetClsidText(const wchar_t* text);
    // GUID_NULL is refused. A new CLSID is created on the next placement, or
    // at once when delayed creation is off.
    bool SetClsid(const CLSID& clsid);
    const CLSID& Clsid() const { return clsid_; }
    // The DLL whose class factory serves the CLSID (used by the next creation).
    void SetModuleName(const wchar_t* name);
    const CWideString& ModuleName() const { return moduleName_; }
    // Turning it off creates a pending object at once.
    void SetDelayCreate(bool delay);
    bool DelayCreate() const { return delayCreate_; }

    // E_POINTER for a null out pointer, E_PENDING without an object, else
    // the object's answer.
    HRESULT QueryControl(REFIID iid, void** object);

    // The window the object lives in: the manager's window when windowless,
    // the CActiveXWnd when windowed; null without an active object.
    HWND HostWindow() const { return hostWindow_; }
    void SetHostWindow(HWND window) { hostWindow_ = window; }
    IOleObject* HostedObject() const { return object_; }
    CActiveXCtrl* Site() const { return site_; }

protected:
    // The next placement creates the object again.
    void ResetCreated() { created_ = false; }

private:
    // Makes the object through the module's class factory; null when the
    // module, its export or the factory cannot make it.
    IOleObject* CreateThroughModule();
    // Hands the object its client site, initial state and host names and
    // activates it in place; false when a step fails.
    bool SetUpObject();
    // The control rectangle, moved to the origin when the object lives in
    // its own window.
    RECT ObjectRect() const;
    bool IsWindowedObject() const;
    // Whether a mouse message (or the cursor, for WM_SETCURSOR) belongs to
    // the object: it holds the capture or its hit test says so.
    bool HitsObject(UINT message, LPARAM lParam) const;
    void ShowHostWindow();

    CLSID clsid_;
    CWideString moduleName_;
    bool created_;
    bool delayCreate_;
    IOleObject* object_;
    CActiveXCtrl* site_;
    HWND hostWindow_;
};

}  // namespace TavikUI
