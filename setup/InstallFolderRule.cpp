#include "InstallFolderRule.h"

#include "InstallPaths.h"
#include "InstallRecord.h"
#include "Installation.h"
#include "ZipTargetPath.h"

namespace InstallFolderRule {

namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool IsUsableInstallFolder(const std::wstring& folder) {
    const std::wstring full = InstallRecord::WithFinalBackSlash(folder);
    if (full.size() > kMaxFolderLength || TavikUI::ZipPathHoldsParentStep(full)) {
        return false;
    }
    std::wstring below;  // what lies below the drive's root or the share
    if (full.size() > 3 && IsDriveLetter(full[0]) && full[1] == L':' && full[2] == L'\\') {
        below = full.substr(3);
    } else if (full.compare(0, 2, L"\\\\") == 0) {
        const size_t server = full.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : full.find(L'\\', server + 1);
        if (server == 2 || share == std::wstring::npos || share == server + 1) {
            return false;
        }
        below = full.substr(share + 1);
    } else {
        return false;
    }
    if (below.empty() || below.find(L':') != std::wstring::npos) {
        return false;
    }
    // "C:\.\" or "C:\\\" still name the root.
    return below.find_first_not_of(L"\\/. ") != std::wstring::npos;
}

std::wstring FolderForChoice(const std::wstring& chosen, bool holdsEntries) {
    if (!holdsEntries && !InstallRecord::IsDriveLetterRoot(chosen)) {
        return chosen;
    }
    return InstallRecord::WithFinalBackSlash(chosen) + L"tavik_Download\\";
}

bool IsFolderInUse(const std::wstring& folder) {
    const std::wstring full = InstallRecord::NormalisedFolder(folder);
    return !InstallRecord::IsFolderEmpty(full) && !InstallRecord::CInstallation(full).IsProductFolder();
}

bool IsItemNameInsideFolder(const std::wstring& name) {
    return !name.empty() && name[0] != L'/' && name[0] != L'\\' && name.find(L':') == std::wstring::npos &&
           !TavikUI::ZipPathHoldsParentStep(name);
}

}  // namespace InstallFolderRule
