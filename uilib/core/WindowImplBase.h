// The base of every skinned top-level window: a native window without a
// system caption whose client area the embedded window manager draws. At
// WM_CREATE it loads its skin (from a folder, a zip file, an "xml" resource or
// a "ZIP_RES" resource holding a zip), builds and attaches the control tree and
// calls WindowReady. It emulates the caption and the sizing border by
// hit-testing against the skin's "caption" and "sizebox" rectangles, keeps a
// maximised window inside the work area, rounds the window's corners and
// handles the standard buttons and the Escape key.
#pragma once

#include <windows.h>

#include "NotifyPump.h"
#include "SkinBuilder.h"
#include "UIInterfaces.h"
#include "WindowManager.h"
#include "WindowWnd.h"

namespace TavikUI {

// Where WM_CREATE (and LoadSkin) read the skin from.
enum SkinSource : UINT {
    // The skin file from the resource folder, or from the skin archive when
    // one is set.
    kSkinFromFolder = 1,
    // The zip file SkinZipName (relative to the resource folder), cached.
    kSkinFromZipFile = 2,
    // A module resource of type "xml" whose id is the number SkinFileName.
    kSkinFromXmlResource = 3,
    // A module resource of type "ZIP_RES" named SkinResourceId, held in memory.
    kSkinFromZipResource = 4,
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase();
    ~WindowImplBase() override;

    UINT ClassStyle() const override;
    // Routes through RouteWindowMessage, the operation windows override.
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) final;
    virtual LRESULT RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Detaches the window from its manager.
    void FinalMessage(HWND window) override;

    // Called at the end of WM_CREATE once the tree is attached.
    virtual void WindowReady();
    // The standard buttons: "closebtn"/"CancelorExitBtn" close with code 1,
    // "minbtn", "maxbtn" and "restorebtn" post the system command.
    virtual void HandleClick(NotifyMessage& message);
    // Switches to another skin archive (not cached) and builds the skin again.
    virtual void LoadSkin(const wchar_t* archiveName);
    virtual CWideString SkinFolderName() const = 0;
    virtual CWideString SkinFileName() const = 0;
    // Keys the modal loop offers first (Return and Escape); true consumes it.
    virtual bool HandleFilteredKey(WPARAM virtualKey);
    virtual UINT SkinSourceKind() const;
    virtual CWideString SkinZipName() const;
    // A resource name, or a numeric id written as "#n".
    virtual const wchar_t* SkinResourceId() const;

    // Handlers of the routed messages. One that does not handle its message
    // sets `handled` false and answers 0.
    virtual LRESULT HandleClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The window's style without WS_CAPTION.
    virtual LONG WindowStyle() const;

    // INotifyUI: the notification goes to this window's notify map.
    void ReceiveNotification(NotifyMessage& message) override;
    // IMessageFilterUI (registered as the manager's pre-translate filter).
    LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // IDialogBuilderCallback: the tags only skin windows know.
    CControlUI* CreateControlForTag(const wchar_t* tag) override;

    const TavikUI::NotifyMap* NotifyMap() const override;
    static const TavikUI::NotifyMap* WindowImplBaseNotifyMap();

    CWindowManager& Manager() { return manager_; }

private:
    enum class SkinLoad {
        kBuilt,
        // No root came out of the builder.
        kNotBuilt,
        // The "ZIP_RES" resource is missing or empty: nothing was built.
        kNoResource,
    };
    // Steps shared by WM_CREATE and LoadSkin: the resource folder, the skin
    // archive of the source kind, then the builder. `root` gets the tree.
    SkinLoad BuildSkin(CControlUI*& root);
    bool UseZipResourceAsArchive();
    // The failure every skinned program ends with.
    [[noreturn]] static void EndForUnloadableSkin();

    CWindowManager manager_;
};

}  // namespace TavikUI
