// Helpers of the skin builder tests: a callback that records the tags it is
// asked for and makes plain controls for chosen ones, access to built trees
// by child index, and a fixture with skin files in a temporary folder or an
// in-memory archive.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ContainerUI.h"
#include "ControlUI.h"
#include "ImageTestSupport.h"
#include "SkinBuilder.h"
#include "WindowManager.h"

namespace SkinBuilderTests {

using TavikUI::CControlUI;
using TavikUI::CSkinBuilder;
using TavikUI::CWindowManager;
using TavikUI::IContainerUI;

// Makes a control named after the tag for each tag it knows; records every
// tag it is asked for.
class RecordingCallback : public TavikUI::IDialogBuilderCallback {
public:
    explicit RecordingCallback(std::set<std::wstring> known = {}) : known_(std::move(known)) {}
    CControlUI* CreateControlForTag(const wchar_t* tag) override {
        asked.push_back(tag);
        if (known_.count(tag) == 0) {
            return nullptr;
        }
        auto* control = new CControlUI();
        control->SetUserData(tag);
        return control;
    }
    std::vector<std::wstring> asked;

private:
    std::set<std::wstring> known_;
};

inline IContainerUI* ContainerOf(CControlUI* control) {
    return control ? static_cast<IContainerUI*>(control->InterfaceByName(L"IContainer")) : nullptr;
}

inline int ChildCountOf(CControlUI* control) {
    IContainerUI* container = ContainerOf(control);
    return container ? container->ChildCount() : -1;
}

inline CControlUI* ChildOf(CControlUI* control, int index) {
    IContainerUI* container = ContainerOf(control);
    return container ? container->ChildAt(index) : nullptr;
}

inline std::wstring NameOf(const CControlUI* control) { return control ? control->Name().Text() : L"<null>"; }

// The names of a container's children in order.
inline std::vector<std::wstring> ChildNames(CControlUI* control) {
    std::vector<std::wstring> names;
    for (int i = 0; i < ChildCountOf(control); ++i) {
        names.push_back(NameOf(ChildOf(control, i)));
    }
    return names;
}

inline std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

// Skin files in a temporary resource folder (or an in-memory archive), and a
// builder call that owns what it built.
class SkinBuilderFixture : public ImageTests::SkinSourceTest {
protected:
    void WriteSkin(const std::wstring& name, const std::wstring& text) { Write(name, Utf8(text)); }

    std::unique_ptr<CControlUI> Build(const wchar_t* skin, CWindowManager* manager = nullptr,
                                      TavikUI::IDialogBuilderCallback* callback = nullptr,
                                      CControlUI* parent = nullptr) {
        return std::unique_ptr<CControlUI>(builder_.Create(skin, nullptr, callback, manager, parent));
    }

    CSkinBuilder builder_;
};

}  // namespace SkinBuilderTests
