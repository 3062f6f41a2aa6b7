#include "Installation.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "InstallPaths.h"
#include "InstallRecord.h"
#include "Shortcut.h"

namespace InstallRecord {

namespace {

// Compared as the list writes them: the install folder, then the item's
// name with '/' separators.
std::wstring Comparable(const std::wstring& path) { return WithoutFinalSeparators(WithBackSlashes(path)); }

bool IsBelow(const std::wstring& path, const std::wstring& folder) {
    return path.size() > folder.size() && path[folder.size()] == L'\\' &&
           _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0;
}

// "C:\" or "\\server\share\" of a full path; empty for any other.
std::wstring PathRoot(const std::wstring& path) {
    const std::wstring text = WithBackSlashes(path);
    if (text.size() >= 3 && text[1] == L':' && text[2] == L'\\') {
        return text.substr(0, 3);
    }
    if (text.compare(0, 2, L"\\\\") == 0) {
        const size_t server = text.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : text.find(L'\\', server + 1);
        return server == std::wstring::npos ? std::wstring() : WithFinalBackSlash(text.substr(0, share));
    }
    return std::wstring();
}

}  // namespace

bool IsPathRootReachable(const std::wstring& path) {
    const std::wstring root = PathRoot(path);
    return !root.empty() && GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsGoneForGood(const std::wstring& path) { return !PathExists(path) && IsPathRootReachable(path); }

CInstallation::CInstallation(const std::wstring& folder) : folder_(NormalisedFolder(folder)) { ReadList(); }

CInstallation CInstallation::Registered() {
    const std::wstring folder = ReadRegisteredInstallFolder();
    return folder.empty() ? CInstallation() : CInstallation(folder);
}

std::wstring CInstallation::ListPath() const { return folder_ + kFileListName; }

std::wstring CInstallation::Uninstaller() const { return folder_ + kUninstallerExeName; }

void CInstallation::ReadList() {
    listed_.clear();
    createdAbove_.clear();
    list_ = PathExists(ListPath()) ? ListState::kDamaged : ListState::kMissing;
    if (list_ == ListState::kMissing || IsRootOrEmptyPath(folder_.c_str())) {
        return;
    }
    std::optional<std::vector<std::wstring>> paths = ReadFileList(ListPath());
    if (!paths) {
        return;
    }
    const std::wstring folder = Comparable(folder_);
    bool namesUninstaller = false;
    std::vector<std::wstring> inside;
    std::vector<std::wstring> above;
    for (const std::wstring& path : *paths) {
        // A ".." step could lead out of the folder it is written below.
        const std::wstring item = Comparable(path);
        if (item.find(L"\\..") != std::wstring::npos) {
            return;
        }
        if (IsFolderItem(path) && IsBelow(folder, item) && !IsRootOrEmptyPath(item.c_str())) {
            above.push_back(path);
            continue;
        }
        if (!IsBelow(item, folder)) {
            return;
        }
        namesUninstaller = namesUninstaller || IsSamePath(item, Uninstaller());
        inside.push_back(path);
    }
    if (namesUninstaller) {
        list_ = ListState::kIntact;
        listed_ = std::move(inside);
        createdAbove_ = std::move(above);
    }
}

bool CInstallation::Names(const std::wstring& path) const {
    const std::wstring wanted = Comparable(path);
    for (const std::wstring& listed : listed_) {
        if (_wcsicmp(Comparable(listed).c_str(), wanted.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

bool CInstallation::NamesOrHolds(const std::wstring& path) const {
    const std::wstring wanted = Comparable(path);
    for (const std::wstring& listed : listed_) {
        const std::wstring item = Comparable(listed);
        if (_wcsicmp(item.c_str(), wanted.c_str()) == 0 || IsBelow(item, wanted)) {
            return true;
        }
    }
    return false;
}

bool CInstallation::IsProductFolder() const {
    return IsIntact() || (Registration() == RegistrationState::kOwn && PathExists(Uninstaller()));
}

bool CInstallation::HoldsOnlyItsUninstaller() const {
    for (const std::wstring& path : listed_) {
        const std::wstring item = Comparable(path);
        if (!IsFolderItem(path) && !IsSamePath(item, Uninstaller()) && PathExists(item)) {
            return false;
        }
    }
    return IsIntact();
}

void CInstallation::RemoveEmptyFoldersAbove() const {
    std::vector<std::wstring> folders = createdAbove_;
    // Deeper folders first: a sub-folder's path is longer than its parent's.
    std::sort(folders.begin(), folders.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : folders) {
        const std::wstring path = Comparable(folder);
        if (!IsRootOrEmptyPath(path.c_str()) && IsExistingFolder(path) && IsFolderEmpty(path + L"\\")) {
            RemoveDirectoryW(path.c_str());
        }
    }
}

CInstallation::RegistrationState CInstallation::Registration() const {
    const std::wstring registered = ReadUninstallString();
    if (registered.empty()) {
        return RegistrationState::kNone;
    }
    if (IsGoneForGood(registered)) {
        return RegistrationState::kStale;
    }
    return !folder_.empty() && IsSamePath(registered, Uninstaller()) ? RegistrationState::kOwn
                                                                     : RegistrationState::kAnothers;
}

bool CInstallation::IsOwnLink(const std::wstring& linkPath) const {
    const std::optional<std::wstring> target = ReadShortcutTarget(linkPath);
    if (!target || target->empty() || folder_.empty()) {
        return false;
    }
    return IsBelow(Comparable(NormalisedPath(*target)), Comparable(folder_)) || IsGoneForGood(*target);
}

}  // namespace InstallRecord
