#include "ButtonUrlUI.h"

#include <shellapi.h>

#include <cwchar>

namespace TavikUI {
namespace {

// ShellExecuteW answers a value above 32 when it started something.
const INT_PTR kShellExecuteFailureLimit = 32;

}  // namespace

CButtonUrlUI::CButtonUrlUI() : shellExecute_(ShellExecuteW) {}

const wchar_t* CButtonUrlUI::ClassName() const { return L"ButtonUI"; }

void* CButtonUrlUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ButtonURL") == 0) {
        return this;
    }
    return CButtonUI::InterfaceByName(name);
}

bool CButtonUrlUI::IsActivatable() {
    if (url_.IsEmpty() || !shellExecute_) {
        return false;
    }
    HINSTANCE result = shellExecute_(nullptr, nullptr, url_.Text(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > kShellExecuteFailureLimit;
}

void CButtonUrlUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"PopURL") == 0) {
        SetUrl(value);
        return;
    }
    CButtonUI::ApplyAttribute(name, value);
}

void CButtonUrlUI::SetUrl(const wchar_t* url) {
    if (url) {
        url_.AssignText(url);
    }
}

}  // namespace TavikUI
