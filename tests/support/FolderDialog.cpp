#include "FolderDialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <thread>

#include "MessagePump.h"
#include "WindowSearch.h"

namespace testsupport {
namespace {

const DWORD kOpenWaitMs = 20000;
const DWORD kCloseWaitMs = 5000;
const DWORD kSelectionSettleMs = 300;
const int kSelectionTries = 15;
const int kOpenTries = 3;

BOOL CALLBACK TakeTree(HWND child, LPARAM found) {
    wchar_t className[32] = L"";
    GetClassNameW(child, className, 32);
    if (wcscmp(className, WC_TREEVIEWW) != 0) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// The text of the tree's selected item (the tree is of this process).
std::wstring SelectedItemText(HWND tree) {
    wchar_t text[MAX_PATH] = L"";
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = tree ? TreeView_GetSelection(tree) : nullptr;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    if (!item.hItem || !TreeView_GetItem(tree, &item)) {
        return std::wstring();
    }
    return text;
}

}  // namespace

HWND FindFolderDialog(DWORD processId) {
    return FindTopLevelWindow(processId, [](HWND window) { return IsShownWithClass(window, L"#32770"); });
}

HWND WaitForFolderDialog(DWORD processId, DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindFolderDialog(processId)) != nullptr; }, timeoutMs);
    return dialog;
}

bool SelectInFolderDialog(HWND dialog, const std::wstring& folder) {
    HWND tree = nullptr;
    EnumChildWindows(dialog, &TakeTree, reinterpret_cast<LPARAM>(&tree));
    const std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
    // A folder made a moment ago may not be listed yet: walk again.
    for (int attempt = 0; attempt < kSelectionTries && IsWindow(dialog); ++attempt) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        for (size_t at = folder.find(L'\\', 3);; at = folder.find(L'\\', at + 1)) {
            const std::wstring level = folder.substr(0, at);
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(level.c_str()));
            if (at == std::wstring::npos) {
                break;
            }
        }
        // The selection must hold: the dialog may still turn it back.
        Sleep(kSelectionSettleMs);
        if (SelectedItemText(tree) == leaf) {
            return true;
        }
    }
    return false;
}

bool CloseFolderDialog(HWND dialog, bool confirm) {
    SendMessageTimeoutW(dialog, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0, SMTO_NORMAL, kCloseWaitMs, nullptr);
    const bool closed = WaitFor([dialog] { return !IsWindow(dialog); }, kCloseWaitMs);
    for (int tries = 0; tries < 50 && IsWindow(dialog); ++tries) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        Sleep(200);
    }
    return closed;
}

bool ChooseInFolderDialog(const std::function<void()>& open, const std::wstring& folder) {
    const bool confirm = !folder.empty();
    for (int attempt = 0; attempt < kOpenTries; ++attempt) {
        bool done = false;
        std::thread user([&] {
            const HWND dialog = WaitForFolderDialog(GetCurrentProcessId(), kOpenWaitMs);
            if (!dialog) {
                return;
            }
            const bool chosen = !confirm || SelectInFolderDialog(dialog, folder);
            done = CloseFolderDialog(dialog, confirm && chosen) && chosen;
        });
        open();
        user.join();
        if (done) {
            return true;
        }
    }
    return false;
}

}  // namespace testsupport
