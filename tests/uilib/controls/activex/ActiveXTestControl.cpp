// The test control's module (see ActiveXTestControl.h).
#include "ActiveXTestControl.h"

#include <ocidl.h>
#include <ole2.h>

using ActiveXTests::TestControlState;

namespace {

TestControlState g_state = {};
HINSTANCE g_module = nullptr;
const wchar_t kWindowClass[] = L"TavikActiveXTestControl";

enum class Kind { Windowless, Windowed, NoHitTest, Refusing };

LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(ActiveXTests::kDrawColor);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

template <class Interface>
void Drop(Interface*& held) {
    if (held) {
        held->Release();
        held = nullptr;
        InterlockedDecrement(&g_state.hostReferences);
    }
}

class TestObject final : public IOleObject,
                         public IOleInPlaceObjectWindowless,
                         public IViewObjectEx,
                         public IRunnableObject {
public:
    explicit TestObject(Kind kind) : kind_(kind) { InterlockedIncrement(&g_state.liveObjects); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        const bool windowless = kind_ != Kind::Windowed;
        if (iid == IID_IUnknown || iid == IID_IOleObject) {
            *object = static_cast<IOleObject*>(this);
        } else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow ||
                   (iid == IID_IOleInPlaceObjectWindowless && windowless)) {
            *object = static_cast<IOleInPlaceObjectWindowless*>(this);
        } else if (iid == IID_IViewObject || iid == IID_IViewObject2 ||
                   (iid == IID_IViewObjectEx && kind_ != Kind::NoHitTest)) {
            *object = static_cast<IViewObjectEx*>(this);
        } else if (iid == IID_IRunnableObject) {
            *object = static_cast<IRunnableObject*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        InterlockedIncrement(&g_state.references);
        return InterlockedIncrement(&references_);
    }
    ULONG STDMETHODCALLTYPE Release() override {
        InterlockedDecrement(&g_state.references);
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            Deactivate();
            Drop(clientSite_);
            InterlockedDecrement(&g_state.liveObjects);
            delete this;
        }
        return left;
    }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        Drop(clientSite_);
        if (site) {
            site->AddRef();
            InterlockedIncrement(&g_state.hostReferences);
            clientSite_ = site;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
        *site = clientSite_;
        if (clientSite_) {
            clientSite_->AddRef();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        Deactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
        InterlockedIncrement(&g_state.verbs);
        if (kind_ == Kind::Refusing) {
            return E_FAIL;
        }
        return verb == OLEIVERB_INPLACEACTIVATE || verb == OLEIVERB_UIACTIVATE ? Activate() : S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject(Windowless)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = ownWindow_;
        return ownWindow_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        Deactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
        if (ownWindow_) {
            MoveWindow(ownWindow_, position->left, position->top, position->right - position->left,
                       position->bottom - position->top, TRUE);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT message, WPARAM, LPARAM lParam, LRESULT* result) override {
        InterlockedIncrement(&g_state.windowMessages);
        g_state.lastMessage = message;
        g_state.lastLParam = lParam;
        *result = ActiveXTests::kMessageAnswer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }

    // IViewObject, IViewObject2, IViewObjectEx
    HRESULT STDMETHODCALLTYPE Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                   BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
        if (!dc || !bounds) {
            return E_INVALIDARG;
        }
        const RECT area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
        HBRUSH brush = CreateSolidBrush(ActiveXTests::kDrawColor);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetViewStatus(DWORD* status) override {
        *status = VIEWSTATUS_OPAQUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryHitPoint(DWORD, LPCRECT bounds, POINT point, LONG, DWORD* hit) override {
        const LONG middle = bounds->left + (bounds->right - bounds->left) / 2;
        const bool inLeftHalf =
            point.x >= bounds->left && point.x < middle && point.y >= bounds->top && point.y < bounds->bottom;
        *hit = inLeftHalf ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryHitRect(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override {
        return E_NOTIMPL;
    }

    // IRunnableObject
    HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(LPBINDCTX) override { return S_OK; }
    BOOL STDMETHODCALLTYPE IsRunning() override { return TRUE; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL lock, BOOL) override {
        if (lock) {
            InterlockedIncrement(&g_state.runningLocks);
        } else {
            InterlockedDecrement(&g_state.runningLocks);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) override { return S_OK; }

private:
    ~TestObject() = default;

    // The in-place activation a container expects: site checks, the window
    // context, and (windowed) a window inside the host's window.
    HRESULT Activate() {
        if (inPlaceSite_) {
            return S_OK;
        }
        if (!clientSite_) {
            return E_UNEXPECTED;
        }
        IOleInPlaceSiteWindowless* site = nullptr;
        if (FAILED(clientSite_->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site)))) {
            return E_NOINTERFACE;
        }
        InterlockedIncrement(&g_state.hostReferences);
        inPlaceSite_ = site;
        HRESULT result = E_FAIL;
        if (kind_ == Kind::Windowed) {
            result = site->OnInPlaceActivate();
        } else if (site->CanWindowlessActivate() == S_OK) {
            BOOL noRedraw = FALSE;
            result = site->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
        }
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = nullptr;
        RECT position = {};
        RECT clip = {};
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof(info);
        if (SUCCEEDED(result)) {
            result = site->GetWindowContext(&frame, &document, &position, &clip, &info);
        }
        if (frame) {
            frame->Release();
        }
        if (document) {
            document->Release();
        }
        HWND parent = nullptr;
        if (SUCCEEDED(result) && kind_ == Kind::Windowed && SUCCEEDED(site->GetWindow(&parent))) {
            ownWindow_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, position.left, position.top,
                                         position.right - position.left, position.bottom - position.top, parent,
                                         nullptr, g_module, nullptr);
            g_state.ownWindow = ownWindow_;
            result = ownWindow_ ? S_OK : E_FAIL;
        }
        if (FAILED(result)) {
            Deactivate();
        }
        return result;
    }
    void Deactivate() {
        if (ownWindow_) {
            DestroyWindow(ownWindow_);
            ownWindow_ = nullptr;
            g_state.ownWindow = nullptr;
        }
        if (inPlaceSite_) {
            inPlaceSite_->OnInPlaceDeactivate();
            Drop(inPlaceSite_);
        }
    }

    LONG references_ = 0;
    Kind kind_;
    IOleClientSite* clientSite_ = nullptr;
    IOleInPlaceSiteWindowless* inPlaceSite_ = nullptr;
    HWND ownWindow_ = nullptr;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(Kind kind) : kind_(kind) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // One static factory per class: only the module's count moves.
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&g_state.references); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&g_state.references); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        TestObject* made = new TestObject(kind_);
        made->AddRef();
        const HRESULT result = made->QueryInterface(iid, object);
        made->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override { return lock ? (AddRef(), S_OK) : (Release(), S_OK); }

private:
    Kind kind_;
};

Factory g_windowlessFactory(Kind::Windowless);
Factory g_windowedFactory(Kind::Windowed);
Factory g_noHitTestFactory(Kind::NoHitTest);
Factory g_refusingFactory(Kind::Refusing);

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = OwnWindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kWindowClass;
        RegisterClassW(&windowClass);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    Factory* factory = nullptr;
    if (clsid == ActiveXTests::kWindowlessClsid) {
        factory = &g_windowlessFactory;
    } else if (clsid == ActiveXTests::kWindowedClsid) {
        factory = &g_windowedFactory;
    } else if (clsid == ActiveXTests::kNoHitTestClsid) {
        factory = &g_noHitTestFactory;
    } else if (clsid == ActiveXTests::kRefusingClsid) {
        factory = &g_refusingFactory;
    }
    if (!factory) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return factory->QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) TestControlState* ActiveXTestState() { return &g_state; }
