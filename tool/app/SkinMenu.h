// The help menu of the main window: a small skinned popup that owns itself.
// It closes as soon as it loses the focus and deletes itself when its native
// window is gone, so nobody keeps or deletes it.
#pragma once

#include <windows.h>

#include "XMLWnd.h"

// The addresses the menu's two link items open; the skin's URL buttons carry
// them as "PopURL".
constexpr wchar_t kSoftwareInfoUrl[] = L"https://www.tavik.example/help";
constexpr wchar_t kForumUrl[] = L"https://bbs.tavik.example/";

class CSkinMenu : public TavikUI::CXMLWnd {
public:
    CSkinMenu();

    const wchar_t* WindowClassName() const override;
    LRESULT RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FinalMessage(HWND window) override;
    LRESULT HandleKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void ReceiveNotification(TavikUI::NotifyMessage& message) override;

    // A new menu at the point (the owner's client coordinates), shown; the
    // skin gives its size. False, with nothing left behind, when its window
    // cannot be created.
    static bool Open(POINT point, HWND owner);

private:
    ~CSkinMenu() override;
    // Creates the menu window at the point without activating or resizing
    // it.
    HWND CreateAt(POINT point, HWND owner);
    // Opens an address through the shell; a failure is not the menu's to
    // report.
    void OpenAddress(const wchar_t* address);

    HWND owner_ = nullptr;
    bool closing_ = false;
    // Set by FinalMessage while Open creates the window: the menu has
    // already deleted itself.
    bool* deletedFlag_ = nullptr;
};
