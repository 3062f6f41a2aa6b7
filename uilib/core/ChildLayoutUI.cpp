#include "ChildLayoutUI.h"

#include <cwchar>

#include "SkinBuilder.h"

namespace TavikUI {

CChildLayoutUI::CChildLayoutUI() {}

const wchar_t* CChildLayoutUI::ClassName() const { return L"ChildLayoutUI"; }

void* CChildLayoutUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ChildLayout") == 0) {
        return this;
    }
    return CControlUI::InterfaceByName(name);
}

void CChildLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"xmlfile") == 0) {
        SetChildSkinFile(value);
        return;
    }
    CContainerUI::ApplyAttribute(name, value);
}

void CChildLayoutUI::RunInit() {
    if (skinFile_.IsEmpty()) {
        return;
    }
    CSkinBuilder builder;
    CControlUI* content = builder.Create(skinFile_.Text(), nullptr, nullptr, manager_, nullptr);
    if (content) {
        if (!AddChild(content)) {
            delete content;
        }
    } else {
        RemoveAllChildren();
    }
}

}  // namespace TavikUI
