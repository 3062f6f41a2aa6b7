#include "SkinMenu.h"

#include <shellapi.h>

#include "ButtonUrlUI.h"
#include "ControlUI.h"
#include "TavikDownloadDlg.h"

namespace {

constexpr DWORD kMenuStyle = 0x10CF0000;  // WS_VISIBLE | WS_OVERLAPPEDWINDOW
constexpr DWORD kMenuExtendedStyle = WS_EX_WINDOWEDGE;

}  // namespace

CSkinMenu::CSkinMenu() : CXMLWnd(L"tavik/Menu.xml") {}

CSkinMenu::~CSkinMenu() = default;

const wchar_t* CSkinMenu::WindowClassName() const { return L"CSkinMenu "; }

bool CSkinMenu::Open(POINT point, HWND owner) {
    auto* menu = new CSkinMenu();
    bool deleted = false;
    menu->deletedFlag_ = &deleted;
    const HWND window = menu->CreateAt(point, owner);
    if (deleted) {
        return false;
    }
    menu->deletedFlag_ = nullptr;
    if (window == nullptr) {
        // No window, so no FinalMessage: the menu is freed here.
        delete menu;
        return false;
    }
    menu->ShowNative(true, true);
    return true;
}

HWND CSkinMenu::CreateAt(POINT point, HWND owner) {
    owner_ = owner;
    HWND window = CreateNativeWindow(owner, L"MenuWnd", kMenuStyle, kMenuExtendedStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT);
    if (window == nullptr) {
        return nullptr;
    }
    ClientToScreen(owner, &point);
    SetWindowPos(window, nullptr, point.x, point.y, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
    return window;
}

LRESULT CSkinMenu::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KILLFOCUS) {
        bool handled = false;
        HandleKillFocus(message, wParam, lParam, handled);
    }
    LRESULT result = 0;
    if (Manager().HandleWindowMessage(message, wParam, lParam, result)) {
        return result;
    }
    return CXMLWnd::RouteWindowMessage(message, wParam, lParam);
}

LRESULT CSkinMenu::HandleKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
    // The base routing offers the message here once more: close only once.
    if (!closing_) {
        closing_ = true;
        CloseWithCode(1);
    }
    handled = false;
    return 0;
}

void CSkinMenu::FinalMessage(HWND window) {
    if (deletedFlag_ != nullptr) {
        *deletedFlag_ = true;
    }
    CXMLWnd::FinalMessage(window);
    delete this;
}

void CSkinMenu::OpenAddress(const wchar_t* address) {
    ShellExecuteW(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
}

void CSkinMenu::ReceiveNotification(TavikUI::NotifyMessage& message) {
    if (message.type.Equals(L"click") && message.sender != nullptr) {
        const TavikUI::CWideString name = message.sender->Name();
        // The skin's link items are URL buttons, which open their own address
        // and send no click; plain buttons of an older skin come here.
        if (name.Equals(L"SoftwareInfoBtn")) {
            OpenAddress(kSoftwareInfoUrl);
        } else if (name.Equals(L"BBSBtn")) {
            OpenAddress(kForumUrl);
        } else if (name.Equals(L"AboutBtn")) {
            PostMessageW(owner_, kShowAboutMessage, 0, 0);
        }
    }
    CXMLWnd::ReceiveNotification(message);
}
