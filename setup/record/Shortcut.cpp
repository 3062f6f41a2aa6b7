#include "Shortcut.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace InstallRecord {

namespace {

// A shell link object with its file interface, in an apartment balanced
// below whatever the calling thread had: the install and uninstall threads
// own none of their own.
class ShellLinkFile {
public:
    ShellLinkFile() : initialised_(CoInitialize(nullptr)) {
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(&link_)))) {
            link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file_));
        }
    }
    ~ShellLinkFile() {
        if (file_) {
            file_->Release();
        }
        if (link_) {
            link_->Release();
        }
        if (SUCCEEDED(initialised_)) {
            CoUninitialize();
        }
    }
    ShellLinkFile(const ShellLinkFile&) = delete;
    ShellLinkFile& operator=(const ShellLinkFile&) = delete;

    IShellLinkW* Link() const { return file_ ? link_ : nullptr; }
    IPersistFile* File() const { return file_; }

private:
    HRESULT initialised_;
    IShellLinkW* link_ = nullptr;
    IPersistFile* file_ = nullptr;
};

}  // namespace

bool CreateShortcut(const std::wstring& target, const std::wstring& linkPath) {
    ShellLinkFile shortcut;
    return shortcut.Link() && SUCCEEDED(shortcut.Link()->SetPath(target.c_str())) &&
           SUCCEEDED(shortcut.File()->Save(linkPath.c_str(), TRUE));
}

std::optional<std::wstring> ReadShortcutTarget(const std::wstring& linkPath) {
    ShellLinkFile shortcut;
    wchar_t target[MAX_PATH + 1] = {};
    if (!shortcut.Link() || FAILED(shortcut.File()->Load(linkPath.c_str(), STGM_READ)) ||
        FAILED(shortcut.Link()->GetPath(target, MAX_PATH + 1, nullptr, 0))) {
        return std::nullopt;
    }
    return std::wstring(target);
}

}  // namespace InstallRecord
