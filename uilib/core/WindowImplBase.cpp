#include "WindowImplBase.h"

#include <windowsx.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

#include "AnnulusProgressUI.h"
#include "ButtonGifUI.h"
#include "ButtonUrlUI.h"
#include "ControlUI.h"

namespace TavikUI {
namespace {

// The message and caption of a skin that cannot be built.
const wchar_t kSkinFailedText[] = L"加载资源文件失败";
const wchar_t kSkinFailedCaption[] = L"TavikUI";
const wchar_t kZipResourceType[] = L"ZIP_RES";

const NotifyMapEntry* WindowImplBaseRows() {
    static const NotifyMapEntry rows[] = {
        NotifyRow(L"click", L"closebtn", &WindowImplBase::HandleClick),
        NotifyRow(L"click", L"minbtn", &WindowImplBase::HandleClick),
        NotifyRow(L"click", L"maxbtn", &WindowImplBase::HandleClick),
        NotifyRow(L"click", L"restorebtn", &WindowImplBase::HandleClick),
        NotifyRowEnd(),
    };
    return rows;
}

// The process's copy of the "ZIP_RES" skin archive. The in-memory archive
// reads from it for as long as it stays open, so it lives until the program
// ends.
struct ZipResourceBlock {
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size = 0;
};

ZipResourceBlock& SkinResourceBlock() {
    static ZipResourceBlock block;
    return block;
}

bool IsMemoryArchiveOpen() { return CWindowManager::SkinArchiveName().Equals(L"membuffer"); }

// Classes whose controls stay clickable inside the caption rectangle (the
// check box answers "ButtonUI" too).
bool IsClickableInCaption(const wchar_t* className) {
    return className && (_wcsicmp(className, L"ButtonUI") == 0 || _wcsicmp(className, L"OptionUI") == 0 ||
                         _wcsicmp(className, L"TextUI") == 0);
}

// The work area of the monitor nearest to the window.
MONITORINFO NearestMonitor(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor;
}

}  // namespace

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() = default;

UINT WindowImplBase::ClassStyle() const { return CS_DBLCLKS; }

const TavikUI::NotifyMap* WindowImplBase::WindowImplBaseNotifyMap() {
    static const TavikUI::NotifyMap map = {&CNotifyPump::NotifyPumpNotifyMap, WindowImplBaseRows()};
    return &map;
}

const TavikUI::NotifyMap* WindowImplBase::NotifyMap() const { return WindowImplBaseNotifyMap(); }

LRESULT WindowImplBase::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteWindowMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    using Handler = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);
    Handler handler = nullptr;
    switch (message) {
    case WM_CREATE:
        handler = &WindowImplBase::HandleCreate;
        break;
    case WM_DESTROY:
        handler = &WindowImplBase::HandleDestroy;
        break;
    case WM_SIZE:
        handler = &WindowImplBase::HandleSize;
        break;
    case WM_SETFOCUS:
        handler = &WindowImplBase::HandleSetFocus;
        break;
    case WM_KILLFOCUS:
        handler = &WindowImplBase::HandleKillFocus;
        break;
    case WM_CLOSE:
        handler = &WindowImplBase::HandleClose;
        break;
    case WM_GETMINMAXINFO:
        handler = &WindowImplBase::HandleGetMinMaxInfo;
        break;
    case WM_NCCALCSIZE:
        handler = &WindowImplBase::HandleNcCalcSize;
        break;
    case WM_NCHITTEST:
        handler = &WindowImplBase::HandleNcHitTest;
        break;
    case WM_NCPAINT:
        handler = &WindowImplBase::HandleNcPaint;
        break;
    case WM_NCACTIVATE:
        handler = &WindowImplBase::HandleNcActivate;
        break;
    case WM_KEYDOWN:
        handler = &WindowImplBase::HandleKeyDown;
        break;
    case WM_CHAR:
        handler = &WindowImplBase::HandleChar;
        break;
    case WM_SYSCOMMAND:
        handler = &WindowImplBase::HandleSysCommand;
        break;
    case WM_MOUSEMOVE:
        handler = &WindowImplBase::HandleMouseMove;
        break;
    case WM_LBUTTONDOWN:
        handler = &WindowImplBase::HandleLButtonDown;
        break;
    case WM_LBUTTONUP:
        handler = &WindowImplBase::HandleLButtonUp;
        break;
    case WM_MOUSEWHEEL:
        handler = &WindowImplBase::HandleMouseWheel;
        break;
    case WM_MOUSEHOVER:
        handler = &WindowImplBase::HandleMouseHover;
        break;
    default:
        break;
    }
    bool handled = handler != nullptr;
    if (handler) {
        const LRESULT result = (this->*handler)(message, wParam, lParam, handled);
        if (handled) {
            return result;
        }
    }
    handled = false;
    const LRESULT other = HandleOtherMessage(message, wParam, lParam, handled);
    if (handled) {
        return other;
    }
    LRESULT managerResult = 0;
    if (manager_.HandleWindowMessage(message, wParam, lParam, managerResult)) {
        return managerResult;
    }
    return CallSavedProc(message, wParam, lParam);
}

void WindowImplBase::FinalMessage(HWND /*window*/) {
    manager_.UnregisterPreTranslateFilter(this);
    manager_.UnregisterNotifyReceiver(this);
    manager_.ForgetControl(manager_.Root());
}

void WindowImplBase::WindowReady() {}

void WindowImplBase::HandleClick(NotifyMessage& message) {
    if (!message.sender) {
        return;
    }
    const CWideString name = message.sender->Name();
    if (name.Equals(L"closebtn") || name.Equals(L"CancelorExitBtn")) {
        CloseWithCode(1);
    } else if (name.Equals(L"minbtn")) {
        PostToWindow(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name.Equals(L"maxbtn")) {
        PostToWindow(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name.Equals(L"restorebtn")) {
        PostToWindow(WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

bool WindowImplBase::HandleFilteredKey(WPARAM virtualKey) {
    if (virtualKey == VK_ESCAPE) {
        CloseWithCode(1);
        return true;
    }
    return false;
}

UINT WindowImplBase::SkinSourceKind() const { return kSkinFromFolder; }

CWideString WindowImplBase::SkinZipName() const { return CWideString(); }

const wchar_t* WindowImplBase::SkinResourceId() const { return L""; }

LONG WindowImplBase::WindowStyle() const {
    return GetWindowLongW(Handle(), GWL_STYLE) & ~static_cast<LONG>(WS_CAPTION);
}

// --- Interfaces ------------------------------------------------------------------

void WindowImplBase::ReceiveNotification(NotifyMessage& message) { DispatchNotification(message); }

LRESULT WindowImplBase::FilterMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, bool& handled) {
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        handled = HandleFilteredKey(wParam);
    }
    return 0;
}

CControlUI* WindowImplBase::CreateControlForTag(const wchar_t* tag) {
    if (!tag) {
        return nullptr;
    }
    if (wcscmp(tag, L"ControlGif") == 0) {
        return new CButtonGifUI();
    }
    if (wcscmp(tag, L"AnnulusProgress") == 0) {
        return new CAnnulusProgressUI();
    }
    if (wcscmp(tag, L"ButtonURL") == 0) {
        return new CButtonUrlUI();
    }
    return nullptr;
}

// --- Skin loading ----------------------------------------------------------------

bool WindowImplBase::UseZipResourceAsArchive() {
    const HINSTANCE instance = CWindowManager::ResourceInstance();
    const HRSRC resource = FindResourceW(instance, SkinResourceId(), kZipResourceType);
    const HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const DWORD size = resource ? SizeofResource(instance, resource) : 0;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) {
        return false;
    }
    // While the in-memory archive is open it keeps reading the block it was
    // opened on, and setting another block changes nothing: the copy is
    // replaced only when no archive uses it.
    ZipResourceBlock& block = SkinResourceBlock();
    if (!block.bytes || !IsMemoryArchiveOpen()) {
        block.bytes.reset(new uint8_t[size]);
        std::memcpy(block.bytes.get(), bytes, size);
        block.size = size;
    }
    CWindowManager::SetSkinArchiveInMemory(block.bytes.get(), block.size);
    return true;
}

WindowImplBase::SkinLoad WindowImplBase::BuildSkin(CControlUI*& root) {
    root = nullptr;
    if (CWindowManager::ResourceFolder().IsEmpty()) {
        const CWideString folder = CWindowManager::ModuleFolder().ConcatText(SkinFolderName().Text());
        CWindowManager::SetResourceFolder(folder.Text());
    }
    const UINT kind = SkinSourceKind();
    if (kind == kSkinFromZipFile) {
        CWindowManager::SetSkinArchive(SkinZipName().Text(), true);
    } else if (kind == kSkinFromZipResource && !UseZipResourceAsArchive()) {
        return SkinLoad::kNoResource;
    }
    CSkinBuilder builder;
    const CWideString skin = SkinFileName();
    if (kind == kSkinFromXmlResource) {
        const long id = _wtol(skin.Text());
        root = builder.Create(MAKEINTRESOURCEW(id), L"xml", this, &manager_, nullptr);
    } else {
        root = builder.Create(skin.Text(), nullptr, this, &manager_, nullptr);
    }
    return root ? SkinLoad::kBuilt : SkinLoad::kNotBuilt;
}

void WindowImplBase::EndForUnloadableSkin() {
    MessageBoxW(nullptr, kSkinFailedText, kSkinFailedCaption, MB_ICONERROR);
    ExitProcess(1);
}

void WindowImplBase::LoadSkin(const wchar_t* archiveName) {
    CWindowManager::SetSkinArchive(archiveName, false);
    CControlUI* root = nullptr;
    switch (BuildSkin(root)) {
    case SkinLoad::kBuilt:
        manager_.AttachRoot(root);
        break;
    case SkinLoad::kNoResource:
        break;
    case SkinLoad::kNotBuilt:
        EndForUnloadableSkin();
    }
}

// --- Message handlers ------------------------------------------------------------

LRESULT WindowImplBase::HandleCreate(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& /*handled*/) {
    const HWND window = Handle();
    SetWindowLongW(window, GWL_STYLE, WindowStyle() | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT client = {};
    GetClientRect(window, &client);
    SetWindowPos(window, nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                 SWP_FRAMECHANGED);

    manager_.Attach(window);
    manager_.RegisterPreTranslateFilter(this);

    CControlUI* root = nullptr;
    switch (BuildSkin(root)) {
    case SkinLoad::kBuilt:
        manager_.AttachRoot(root);
        manager_.RegisterNotifyReceiver(this);
        manager_.SetBackgroundTransparent(true);
        WindowReady();
        return 0;
    case SkinLoad::kNoResource:
        return 0;
    case SkinLoad::kNotBuilt:
        break;
    }
    EndForUnloadableSkin();
}

LRESULT WindowImplBase::HandleClose(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleNcActivate(UINT /*message*/, WPARAM wParam, LPARAM /*lParam*/, bool& handled) {
    if (IsIconic(Handle())) {
        handled = false;
        return 0;
    }
    return wParam == 0 ? 1 : 0;
}

LRESULT WindowImplBase::HandleNcCalcSize(UINT /*message*/, WPARAM /*wParam*/, LPARAM lParam, bool& /*handled*/) {
    if (!IsZoomed(Handle())) {
        return 0;
    }
    // With wParam true or false the first rectangle sits at the start of
    // the parameters.
    auto* first = reinterpret_cast<RECT*>(lParam);
    const RECT work = NearestMonitor(Handle()).rcWork;
    first->right = first->left + (work.right - work.left);
    first->bottom = first->top + (work.bottom - work.top);
    return WVR_REDRAW;
}

LRESULT WindowImplBase::HandleNcPaint(UINT, WPARAM, LPARAM, bool& /*handled*/) { return 0; }

LRESULT WindowImplBase::HandleNcHitTest(UINT /*message*/, WPARAM /*wParam*/, LPARAM lParam, bool& /*handled*/) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(Handle(), &point);
    RECT client = {};
    GetClientRect(Handle(), &client);
    const CUIRect sizeBox = manager_.SizeBox();
    const CUIRect caption = manager_.CaptionRect();

    if (!IsZoomed(Handle())) {
        const bool left = point.x < client.left + sizeBox.left;
        const bool right = point.x > client.right - sizeBox.right;
        if (point.y < client.top + sizeBox.top) {
            return left ? HTTOPLEFT : (right ? HTTOPRIGHT : HTTOP);
        }
        if (point.y > client.bottom - sizeBox.bottom) {
            return left ? HTBOTTOMLEFT : (right ? HTBOTTOMRIGHT : HTBOTTOM);
        }
        if (left) {
            return HTLEFT;
        }
        if (right) {
            return HTRIGHT;
        }
    }

    if (point.x >= client.left + caption.left && point.x < client.right - caption.right && point.y >= caption.top &&
        point.y < caption.bottom) {
        const CControlUI* control = manager_.FindControlAt(point);
        if (control && !IsClickableInCaption(control->ClassName())) {
            return HTCAPTION;
        }
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::HandleGetMinMaxInfo(UINT /*message*/, WPARAM /*wParam*/, LPARAM lParam, bool& handled) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    const MONITORINFO monitor = NearestMonitor(Handle());
    RECT work = monitor.rcWork;
    OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
    info->ptMaxPosition = {work.left, work.top};
    info->ptMaxTrackSize = {work.right - work.left, work.bottom - work.top};
    const SIZE minimum = manager_.MinInfo();
    info->ptMinTrackSize = {minimum.cx, minimum.cy};
    // The manager ("maxinfo") and the default procedure see it too.
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMouseWheel(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMouseHover(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleSize(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& handled) {
    handled = false;
    const SIZE corner = manager_.RoundCorner();
    if (IsIconic(Handle()) || (corner.cx == 0 && corner.cy == 0)) {
        return 0;
    }
    RECT window = {};
    GetWindowRect(Handle(), &window);
    OffsetRect(&window, -window.left, -window.top);
    // The region's right and bottom edges are exclusive: one more pixel keeps
    // the window's last column and row inside it.
    HRGN region =
        CreateRoundRectRgn(window.left, window.top, window.right + 1, window.bottom + 1, corner.cx, corner.cy);
    // The window owns the region from here on.
    SetWindowRgn(Handle(), region, TRUE);
    return 0;
}

LRESULT WindowImplBase::HandleChar(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& /*handled*/) {
    // The low four bits of the command are the system's own.
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendToWindow(WM_CLOSE);
        return 0;
    }
    return CallSavedProc(message, wParam, lParam);
}

LRESULT WindowImplBase::HandleKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleLButtonDown(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleOtherMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

}  // namespace TavikUI
