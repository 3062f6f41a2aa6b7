#include "FolderDialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <thread>
#include <vector>

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

// The text of a tree item (the tree is of this process).
std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = L"";
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = MAX_PATH;
    if (!item || !TreeView_GetItem(tree, &data)) {
        return std::wstring();
    }
    return text;
}

std::wstring SelectedItemText(HWND tree) { return tree ? ItemText(tree, TreeView_GetSelection(tree)) : std::wstring(); }

// The folder's path levels below its drive: "C:\a\b" gives "a", "b".
std::vector<std::wstring> LevelNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (size_t start = folder.find(L'\\') + 1; start != 0 && start < folder.size();) {
        const size_t end = folder.find(L'\\', start);
        names.push_back(folder.substr(start, end - start));
        start = end == std::wstring::npos ? folder.size() : end + 1;
    }
    return names;
}

bool SameName(const std::wstring& one, const std::wstring& other) { return _wcsicmp(one.c_str(), other.c_str()) == 0; }

// Whether the item and its parents name the folder's first `level` levels.
bool IsItemAtLevel(HWND tree, HTREEITEM item, const std::vector<std::wstring>& names, size_t level) {
    for (; level > 0; --level, item = TreeView_GetParent(tree, item)) {
        if (!item || !SameName(ItemText(tree, item), names[level - 1])) {
            return false;
        }
    }
    return true;
}

// Opens the tree below the selected item by the levels' names, as a user
// clicks through it. The dialog's own path look-up compares item ids that
// carry a folder's time, so a level whose contents another program changed
// since the dialog listed it (the shared temporary folder, for one) is not
// found that way; its name still is.
void OpenLevelsByName(HWND tree, const std::vector<std::wstring>& names) {
    HTREEITEM item = TreeView_GetSelection(tree);
    size_t level = names.size();
    while (level > 0 && !IsItemAtLevel(tree, item, names, level)) {
        --level;
    }
    for (; item && level < names.size(); ++level) {
        TreeView_Expand(tree, item, TVE_EXPAND);
        HTREEITEM child = TreeView_GetChild(tree, item);
        while (child && !SameName(ItemText(tree, child), names[level])) {
            child = TreeView_GetNextSibling(tree, child);
        }
        if (child) {
            TreeView_SelectItem(tree, child);
        }
        item = child;
    }
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
    const std::vector<std::wstring> levels = LevelNames(folder);
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
        OpenLevelsByName(tree, levels);
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
