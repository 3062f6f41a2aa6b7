// What both programs know about an installation in a folder: its list (and
// whether it can be trusted), whose the uninstall registration is, and which
// shell links are its own. The installer and the uninstaller ask this class
// before they keep, replace or remove anything.
#pragma once

#include <string>
#include <vector>

namespace InstallRecord {

class CInstallation {
public:
    enum class ListState {
        // Within the size bounds, decodes whole, names the installed
        // uninstaller and only paths inside the folder.
        kIntact,
        // There but not to be trusted: nothing it names is touched.
        kDamaged,
        kMissing,
    };
    enum class RegistrationState {
        kNone,
        kOwn,
        // Another folder's, or this folder's uninstaller on a drive or share
        // that is not connected now.
        kAnothers,
        // Its uninstaller is gone from a drive or share that is there.
        kStale,
    };

    // Reads the folder's list now; the folder is kept in its one form.
    explicit CInstallation(const std::wstring& folder);
    // The registered installation; an empty folder when none is registered.
    static CInstallation Registered();

    const std::wstring& Folder() const { return folder_; }
    std::wstring ListPath() const;
    std::wstring Uninstaller() const;
    ListState List() const { return list_; }
    bool IsIntact() const { return list_ == ListState::kIntact; }
    // The listed paths inside the folder; empty unless the list is intact.
    const std::vector<std::wstring>& Listed() const { return listed_; }
    // True when the intact list names the path (any separators, any case).
    bool Names(const std::wstring& path) const;
    // True as well for a folder that a listed path lies below.
    bool NamesOrHolds(const std::wstring& path) const;
    // The folders above the install folder that the installer created for
    // it (its list names them as folder items), deepest last as listed.
    const std::vector<std::wstring>& CreatedAbove() const { return createdAbove_; }
    // True when the folder is this product's: its list is intact, or the
    // registration names its uninstaller, which is there. An install into
    // it replaces that installation, whatever else the user keeps there.
    bool IsProductFolder() const;
    // True when no file the intact list names is there any more but the
    // uninstaller: what a "/q" run leaves, unable to remove its own file.
    bool HoldsOnlyItsUninstaller() const;
    // Removes the folders the installer created above the install folder,
    // deepest first, each only when it is empty.
    void RemoveEmptyFoldersAbove() const;

    // Whose the uninstall registration is, read now.
    RegistrationState Registration() const;
    // True when the link at `linkPath` points into this folder, or at a file
    // that is gone from a drive or share that is there.
    bool IsOwnLink(const std::wstring& linkPath) const;

private:
    CInstallation() = default;
    void ReadList();

    std::wstring folder_;
    ListState list_ = ListState::kMissing;
    std::vector<std::wstring> listed_;
    std::vector<std::wstring> createdAbove_;
};

// True when the drive or share the path lies on is connected now.
bool IsPathRootReachable(const std::wstring& path);

// True when the file is gone from a drive or share that is there: a
// registration or a link naming it names nothing.
bool IsGoneForGood(const std::wstring& path);

}  // namespace InstallRecord
