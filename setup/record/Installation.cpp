#include "Installation.h"

#include <windows.h>

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
    for (const std::wstring& path : *paths) {
        // A ".." step could lead out of the folder it is written below.
        const std::wstring item = Comparable(path);
        if (!IsBelow(item, folder) || item.find(L"\\..") != std::wstring::npos) {
            return;
        }
        namesUninstaller = namesUninstaller || IsSamePath(item, Uninstaller());
    }
    if (namesUninstaller) {
        list_ = ListState::kIntact;
        listed_ = std::move(*paths);
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

bool CInstallation::HoldsOnlyItself() const {
    if (!IsIntact()) {
        return false;
    }
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool onlyItself = true;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        // What lies below a listed folder is looked at by whoever removes
        // it: the uninstaller keeps a folder that holds something of the
        // user's.
        const std::wstring path = folder_ + name;
        if (!IsSamePath(path, ListPath()) && !NamesOrHolds(path)) {
            onlyItself = false;
        }
    } while (onlyItself && FindNextFileW(search, &entry));
    FindClose(search);
    return onlyItself;
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
