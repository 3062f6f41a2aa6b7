// The child window a windowed ActiveX object lives in ("ActiveXWnd"): it
// passes focus and mouse activation on to the object as OLE verbs.
#pragma once

#include <windows.h>

#include "WindowWnd.h"

namespace TavikUI {

class CActiveXCtrl;

class CActiveXWnd : public CWindowWnd {
public:
    // The site is not owned: it owns this window.
    explicit CActiveXWnd(CActiveXCtrl* site) : site_(site) {}

    const wchar_t* WindowClassName() const override;
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CActiveXCtrl* site_;
};

}  // namespace TavikUI
