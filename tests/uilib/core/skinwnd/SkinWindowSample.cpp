// A skinned window as the programs build theirs: a CXMLWnd with a drop
// shadow, its skin read from the archive beside the program or from the
// "ZIP_RES" resource inside it. Used to look at the window under Xvfb and,
// by the tests, as a child process whose skin fails to load.
#include <windows.h>

#include <cwchar>
#include <cstdlib>

#include "ControlUI.h"
#include "ShadowWindow.h"
#include "SkinWindowSample.h"
#include "WindowManager.h"
#include "XMLWnd.h"

namespace {

using TavikUI::CControlUI;
using TavikUI::CShadowWindow;
using TavikUI::CWideString;
using TavikUI::CWindowManager;
using TavikUI::CXMLWnd;

class SampleWindow : public CXMLWnd {
public:
    SampleWindow(UINT sourceKind, const wchar_t* skinFile, const wchar_t* resourceId, const wchar_t* sourceText)
        : CXMLWnd(skinFile), sourceKind_(sourceKind), resourceId_(resourceId), sourceText_(sourceText) {}

    UINT SkinSourceKind() const override { return sourceKind_; }
    CWideString SkinZipName() const override { return CWideString(SkinWindowSample::kZipName); }
    const wchar_t* SkinResourceId() const override { return resourceId_; }

    void WindowReady() override {
        if (CControlUI* message = Manager().FindControlByName(L"message")) {
            message->SetText(sourceText_);
        }
        // The shadow set-up the programs use: spread 4, no offset.
        shadow_.AttachShadow(Handle());
        shadow_.SetSize(4);
        shadow_.SetOffset(0, 0);
        if (shadow_.IsShown()) {
            shadow_.RedrawShadow(Handle());
        }
    }

private:
    UINT sourceKind_;
    const wchar_t* resourceId_;
    const wchar_t* sourceText_;
    CShadowWindow shadow_;
};

HWND g_closeTarget = nullptr;

void CALLBACK CloseSample(HWND, UINT, UINT_PTR, DWORD) { PostMessageW(g_closeTarget, WM_CLOSE, 0, 0); }

HWND CreateSample(SampleWindow& window) {
    return window.CreateNativeWindow(nullptr, SkinWindowSample::kWindowTitle,
                                     WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 0, 0, 420, 280);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace SkinWindowSample;
    CShadowWindow::RegisterShadowWindowClass(instance);
    CWindowManager::SetModuleInstance(instance);
    CWindowManager::SetResourceFolder(CWindowManager::ModuleFolder().Text());

    const wchar_t* mode = __argc > 1 ? __wargv[1] : kFromArchiveFile;
    const UINT closeAfter = __argc > 2 ? static_cast<UINT>(_wtoi(__wargv[2])) : 0;

    if (wcscmp(mode, kMissingResource) == 0) {
        SampleWindow window(TavikUI::kSkinFromZipResource, L"main.xml", L"NO_SUCH_SKIN", L"");
        const HWND handle = CreateSample(window);
        const bool emptyWindow = handle && IsWindow(handle) && window.Manager().Root() == nullptr;
        if (handle) {
            DestroyWindow(handle);
        }
        return emptyWindow ? kEmptyWindowExit : kUnexpectedExit;
    }

    UINT kind = 0;
    const wchar_t* skinFile = L"main.xml";
    const wchar_t* sourceText = L"";
    if (wcscmp(mode, kFromArchiveFile) == 0) {
        kind = TavikUI::kSkinFromZipFile;
        sourceText = L"皮肤来源：程序旁的压缩包 skinwnd_skin.zip";
    } else if (wcscmp(mode, kFromZipResource) == 0) {
        kind = TavikUI::kSkinFromZipResource;
        sourceText = L"皮肤来源：程序内的 ZIP_RES 资源";
    } else if (wcscmp(mode, kMissingSkin) == 0) {
        kind = TavikUI::kSkinFromZipFile;
        skinFile = L"missing.xml";
    } else if (wcscmp(mode, kReloadMissing) == 0) {
        // The skin file from the archive, opened per use (a zip-file source
        // would set its own archive again on every reload).
        CWindowManager::SetSkinArchive(kZipName, false);
        kind = TavikUI::kSkinFromFolder;
    } else {
        return kUsageExit;
    }
    SampleWindow window(kind, skinFile, kResourceName, sourceText);
    if (!CreateSample(window)) {
        return kUnexpectedExit;
    }
    if (wcscmp(mode, kReloadMissing) == 0) {
        window.LoadSkin(L"no_such_skin.zip");
        return kUnexpectedExit;
    }
    window.CenterOnOwner();
    if (closeAfter > 0) {
        g_closeTarget = window.Handle();
        SetTimer(nullptr, 0, closeAfter, CloseSample);
    }
    return static_cast<int>(window.RunModal());
}
