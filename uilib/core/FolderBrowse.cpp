#include "FolderBrowse.h"

#include <shlobj.h>

namespace TavikUI {

namespace {

// Set once the dialog's first selection change has been answered; the
// dialog is modal, so one process-wide flag serves.
bool g_selectionRepeated = false;

}  // namespace

int CALLBACK BrowseFolderCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
        g_selectionRepeated = false;
    } else if (message == BFFM_SELCHANGED && !g_selectionRepeated) {
        g_selectionRepeated = true;
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

std::wstring BrowseForFolder(HWND owner, const wchar_t* title, UINT flags, const std::wstring& startFolder) {
    wchar_t buffer[MAX_PATH] = {};
    startFolder.copy(buffer, MAX_PATH - 1);

    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = flags;
    info.lpfn = BrowseFolderCallback;
    info.lParam = reinterpret_cast<LPARAM>(buffer);

    std::wstring chosen;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (item) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(item, path)) {
            chosen = path;
        }
    }
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        if (item) {
            allocator->Free(item);
        }
        allocator->Release();
    }
    return chosen;
}

}  // namespace TavikUI
