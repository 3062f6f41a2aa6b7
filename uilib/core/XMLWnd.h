// The concrete skin window the applications derive from: a skin window whose
// skin file name is given at construction.
#pragma once

#include "WideString.h"
#include "WindowImplBase.h"

namespace TavikUI {

class CXMLWnd : public WindowImplBase {
public:
    explicit CXMLWnd(const wchar_t* skinFileName);
    ~CXMLWnd() override;

    const wchar_t* WindowClassName() const override;
    // No folder of its own: the skin is read from the resource folder.
    CWideString SkinFolderName() const override;
    CWideString SkinFileName() const override;

private:
    CWideString skinFileName_;
};

}  // namespace TavikUI
