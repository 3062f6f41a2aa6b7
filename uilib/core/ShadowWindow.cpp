#include "ShadowWindow.h"

#include <map>

namespace TavikUI {
namespace {

const wchar_t kShadowClassName[] = L"TesvoShadowWnd";

using UpdateLayeredWindowFunction = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                                  DWORD);

// A window followed by a shadow. The previous procedure is kept here too: a
// shadow that dies while something else has subclassed the window on top of
// it cannot take its procedure out of the chain, which then only forwards.
struct ShadowLink {
    CShadowWindow* shadow;
    WNDPROC previousProc;
};

struct ShadowProcessState {
    // Null: shadows are off.
    UpdateLayeredWindowFunction updateLayeredWindow = nullptr;
    HINSTANCE instance = nullptr;
    // Parent window -> its shadow.
    std::map<HWND, ShadowLink> shadowWindowMap;
};

ShadowProcessState& ProcessState() {
    static ShadowProcessState state;
    return state;
}

std::map<HWND, ShadowLink>& ShadowWindowMap() { return ProcessState().shadowWindowMap; }

// The parent this shadow follows, in the map.
std::map<HWND, ShadowLink>::iterator FindLinkOf(const CShadowWindow* shadow) {
    std::map<HWND, ShadowLink>& links = ShadowWindowMap();
    for (auto it = links.begin(); it != links.end(); ++it) {
        if (it->second.shadow == shadow) {
            return it;
        }
    }
    return links.end();
}

// GDI objects of one redraw, released in reverse order.
class MemoryCanvas {
public:
    explicit MemoryCanvas(HBITMAP bitmap) : bitmap_(bitmap), dc_(CreateCompatibleDC(nullptr)) {
        if (dc_ && bitmap_) {
            previous_ = SelectObject(dc_, bitmap_);
        }
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    ~MemoryCanvas() {
        if (dc_) {
            if (previous_) {
                SelectObject(dc_, previous_);
            }
            DeleteDC(dc_);
        }
        if (bitmap_) {
            DeleteObject(bitmap_);
        }
    }
    HDC Dc() const { return bitmap_ ? dc_ : nullptr; }

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// The parent's window region as row spans; every row is empty without one.
std::vector<RowSpan> ParentSpans(HWND parent, int width, int height) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool hasRegion = region && GetWindowRgn(parent, region) != ERROR;
    std::vector<RowSpan> spans = RegionRowSpans(hasRegion ? region : nullptr, width, height);
    if (region) {
        DeleteObject(region);
    }
    return spans;
}

}  // namespace

CShadowWindow::CShadowWindow()
    : shadowWindow_(nullptr),
      previousProc_(nullptr),
      status_(0),
      darkness_(150),
      sharpness_(5),
      size_(0),
      offsetX_(5),
      offsetY_(5),
      lastParentCx_(0),
      lastParentCy_(0),
      redrawPending_(0),
      color_(RGB(0, 0, 0)) {}

CShadowWindow::~CShadowWindow() {
    auto link = FindLinkOf(this);
    if (link != ShadowWindowMap().end()) {
        const HWND parent = link->first;
        const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(parent, GWLP_WNDPROC));
        if (current == &CShadowWindow::ShadowParentProc) {
            SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->second.previousProc));
            ShadowWindowMap().erase(link);
        } else {
            link->second.shadow = nullptr;
        }
    }
    if (shadowWindow_ && IsWindow(shadowWindow_)) {
        DestroyWindow(shadowWindow_);
    }
}

bool CShadowWindow::RegisterShadowWindowClass(HINSTANCE instance) {
    ShadowProcessState& state = ProcessState();
    if (state.updateLayeredWindow) {
        return false;
    }
    const HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
    state.updateLayeredWindow = user32 ? reinterpret_cast<UpdateLayeredWindowFunction>(
                                             reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")))
                                       : nullptr;
    if (!state.updateLayeredWindow) {
        return false;
    }
    state.instance = instance;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kShadowClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

ShadowParameters CShadowWindow::Parameters() const {
    ShadowParameters parameters;
    parameters.darkness = darkness_;
    parameters.sharpness = sharpness_;
    parameters.size = size_;
    parameters.offsetX = offsetX_;
    parameters.offsetY = offsetY_;
    parameters.color = color_;
    return parameters;
}

bool CShadowWindow::AttachShadow(HWND parent) {
    ShadowProcessState& state = ProcessState();
    if (!state.updateLayeredWindow || !IsWindow(parent)) {
        return false;
    }
    // A second subclassing would make the saved procedure this one, and
    // every message would loop back into it.
    if (state.shadowWindowMap.count(parent) != 0 || FindLinkOf(this) != state.shadowWindowMap.end()) {
        return false;
    }
    shadowWindow_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kShadowClassName, nullptr,
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, 0, 0, 0, parent, nullptr,
                                    state.instance, nullptr);
    if (!shadowWindow_) {
        return false;
    }
    state.shadowWindowMap[parent] = {this, nullptr};

    const LONG_PTR style = GetWindowLongPtrW(parent, GWL_STYLE);
    if (!(style & WS_VISIBLE)) {
        status_ = kEnabled;
    } else if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        status_ = kEnabled | kParentVisible;
    } else {
        status_ = kEnabled | kShadowShown | kParentVisible;
        ShowWindow(shadowWindow_, SW_SHOWNA);
        RedrawShadow(parent);
    }

    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CShadowWindow::ShadowParentProc)));
    state.shadowWindowMap[parent].previousProc = previousProc_;
    return true;
}

POINT CShadowWindow::ShadowOrigin(const RECT& parentRect) const {
    return {parentRect.left + offsetX_ - size_, parentRect.top + offsetY_ - size_};
}

void CShadowWindow::RedrawShadow(HWND parent) {
    const UpdateLayeredWindowFunction update = ProcessState().updateLayeredWindow;
    if (!update || !shadowWindow_) {
        return;
    }
    RECT parentRect = {};
    GetWindowRect(parent, &parentRect);
    const int width = parentRect.right - parentRect.left;
    const int height = parentRect.bottom - parentRect.top;
    const ShadowImage image = ComputeShadowImage(ParentSpans(parent, width, height), width, height, Parameters());
    MemoryCanvas canvas(CreateShadowBitmap(image));
    if (!canvas.Dc()) {
        return;
    }
    POINT origin = ShadowOrigin(parentRect);
    SIZE size = {image.width, image.height};
    MoveWindow(shadowWindow_, origin.x, origin.y, size.cx, size.cy, FALSE);
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    update(shadowWindow_, nullptr, &origin, &size, canvas.Dc(), &source, 0, &blend, ULW_ALPHA);
}

void CShadowWindow::ShowShadow(bool show) { ShowWindow(shadowWindow_, show ? SW_SHOWNA : SW_HIDE); }

void CShadowWindow::FollowParent(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        if (shadowWindow_ && IsWindow(shadowWindow_)) {
            DestroyWindow(shadowWindow_);
        }
        shadowWindow_ = nullptr;
        break;
    case WM_MOVE:
        if (status_ & kShadowShown) {
            RECT parentRect = {};
            GetWindowRect(parent, &parentRect);
            const POINT origin = ShadowOrigin(parentRect);
            SetWindowPos(shadowWindow_, nullptr, origin.x, origin.y, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE);
        }
        break;
    case WM_SIZE:
        if (!(status_ & kEnabled)) {
            break;
        }
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
            ShowShadow(false);
            status_ &= ~kShadowShown;
        } else if (status_ & kParentVisible) {
            const uint16_t cx = LOWORD(lParam);
            const uint16_t cy = HIWORD(lParam);
            // A parent that grew paints its new part first: the shadow waits
            // for that paint so it never shows ahead of the parent.
            if (cx > lastParentCx_ || cy > lastParentCy_) {
                redrawPending_ = 1;
            } else {
                RedrawShadow(parent);
            }
            if (!(status_ & kShadowShown)) {
                ShowShadow(true);
                status_ |= kShadowShown;
            }
        }
        lastParentCx_ = LOWORD(lParam);
        lastParentCy_ = HIWORD(lParam);
        break;
    case WM_PAINT:
        if (redrawPending_) {
            RedrawShadow(parent);
            redrawPending_ = 0;
        }
        break;
    case WM_SHOWWINDOW:
        if (!(status_ & kEnabled)) {
            break;
        }
        if (!wParam) {
            ShowShadow(false);
            status_ &= ~(kShadowShown | kParentVisible);
        } else if (!(status_ & kParentVisible)) {
            redrawPending_ = 1;
            ShowShadow(true);
            status_ |= kShadowShown | kParentVisible;
        }
        break;
    case WM_EXITSIZEMOVE:
        if (status_ & kShadowShown) {
            RedrawShadow(parent);
        }
        break;
    default:
        break;
    }
}

LRESULT CALLBACK CShadowWindow::ShadowParentProc(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    std::map<HWND, ShadowLink>& links = ShadowWindowMap();
    auto link = links.find(parent);
    if (link == links.end()) {
        return DefWindowProcW(parent, message, wParam, lParam);
    }
    const WNDPROC previous = link->second.previousProc;
    CShadowWindow* shadow = link->second.shadow;
    if (message == WM_NCDESTROY) {
        // The entry goes before the window's own procedure runs: that
        // procedure may delete the object holding the shadow.
        links.erase(link);
        if (shadow) {
            shadow->shadowWindow_ = nullptr;
            shadow->status_ = 0;
        }
    } else if (shadow) {
        shadow->FollowParent(parent, message, wParam, lParam);
    }
    // Nothing of the shadow is touched past this call, for the same reason.
    return CallWindowProcW(previous, parent, message, wParam, lParam);
}

}  // namespace TavikUI
