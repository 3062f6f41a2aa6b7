#include "Shortcut.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

bool CreateShortcut(const std::wstring& target, const std::wstring& linkPath) {
    // Balanced below whatever the thread had: the install thread owns no
    // apartment of its own.
    const HRESULT initialised = CoInitialize(nullptr);
    bool saved = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->SetPath(target.c_str())) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised)) {
        CoUninitialize();
    }
    return saved;
}
