// A layout whose content comes from another skin file, built when the layout
// is initialised in its window.
#pragma once

#include <windows.h>

#include "ContainerUI.h"
#include "WideString.h"

namespace TavikUI {

class CChildLayoutUI : public CContainerUI {
public:
    CChildLayoutUI();

    const wchar_t* ClassName() const override;
    // "ChildLayout" answers the layout; other names go to the control query,
    // so a child layout offers no "IContainer" to the skin builder.
    void* InterfaceByName(const wchar_t* name) override;
    // Builds the skin file into the layout, or empties the layout when the
    // file cannot be built. The init hook and delegates do not run.
    void RunInit() override;
    // "xmlfile"; the rest goes to the container.
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    const CWideString& ChildSkinFile() const { return skinFile_; }
    void SetChildSkinFile(const wchar_t* fileName) { skinFile_.AssignText(fileName); }

private:
    CWideString skinFile_;
};

}  // namespace TavikUI
