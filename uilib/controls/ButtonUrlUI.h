// A button that opens its address ("PopURL") through the shell when
// activated, instead of sending "click".
#pragma once

#include <windows.h>

#include "ButtonUI.h"
#include "WideString.h"

namespace TavikUI {

// The shell call the URL button opens its address with; ShellExecuteW unless
// a test puts its own in place.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                                LPCWSTR folder, INT show);

class CButtonUrlUI : public CButtonUI {
public:
    CButtonUrlUI();

    // Answers the button's class name: code that tells buttons apart by
    // class name treats it as a button.
    const wchar_t* ClassName() const override;
    // "ButtonURL" answers the URL button; anything else goes to the button.
    void* InterfaceByName(const wchar_t* name) override;
    // Opens the address; false when there is none or the shell could not
    // open it.
    bool IsActivatable() override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    // Null is ignored.
    void SetUrl(const wchar_t* url);
    const CWideString& Url() const { return url_; }
    void SetShellExecute(ShellExecuteFunction shellExecute) { shellExecute_ = shellExecute; }

private:
    CWideString url_;
    ShellExecuteFunction shellExecute_;
};

}  // namespace TavikUI
