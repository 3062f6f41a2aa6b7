// What the uninstaller's tests share: an installation to remove (laid out in
// a scratch folder with the installer's record writer), the shell's Desktop
// and Programs folders and the Recycle Bin pointed at scratch folders, the
// driver installer's journal, and starting the uninstaller program.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace UninstallTests {

// The built programs, Windows form.
std::wstring UninstallerProgram();
std::wstring DpinstProgram();

// The Recycle Bin the shell uses in these tests: $XDG_DATA_HOME/Trash, made
// empty and ready by Reset.
class ScratchTrash {
public:
    // False when XDG_DATA_HOME is not set (the test then cannot check).
    bool Reset();
    // The Unix paths the moved items had ("Path=" of each .trashinfo).
    std::vector<std::string> MovedPaths() const;
    // True when an item whose Unix path ended with `tail` ('/' separated)
    // was moved there.
    bool Holds(const std::wstring& tail) const;

private:
    std::wstring trash_;
};

// Points the current user's Desktop and Programs folders at scratch folders
// and puts the earlier values back when it goes.
class ShellFolderRedirect {
public:
    ShellFolderRedirect(const std::wstring& desktop, const std::wstring& programs);
    ~ShellFolderRedirect();
    ShellFolderRedirect(const ShellFolderRedirect&) = delete;
    ShellFolderRedirect& operator=(const ShellFolderRedirect&) = delete;

private:
    struct Saved {
        std::wstring name;
        bool existed = false;
        DWORD type = REG_EXPAND_SZ;
        std::wstring value;
    };
    void Redirect(const wchar_t* name, const std::wstring& folder);
    std::vector<Saved> saved_;
};

// One installation in a scratch folder: the payload's tree, its file list,
// the registration and the three shortcuts, as the installer leaves them.
class Installation {
public:
    Installation();
    ~Installation();

    // Lays the installation out; false (with `why`) when a step failed.
    bool Install(std::string& why);

    // The install folder, ending with a back slash.
    const std::wstring& Folder() const { return folder_; }
    std::wstring Desktop() const { return root_.Path() + L"\\Desktop"; }
    std::wstring Programs() const { return root_.Path() + L"\\Programs"; }
    std::wstring Journal() const { return root_.File(L"dpinst-journal.txt"); }
    // The installed items, relative, as listed ("Log/" for a folder).
    const std::vector<std::wstring>& Items() const { return items_; }
    const ScratchTrash& Trash() const { return trash_; }
    // The driver installer's journal: one line per run.
    std::vector<std::string> JournalLines() const;

private:
    testsupport::ScratchFolder root_;
    std::wstring folder_;
    std::vector<std::wstring> items_;
    ScratchTrash trash_;
    std::unique_ptr<ShellFolderRedirect> shellFolders_;
};

// Starts a program with the arguments and waits for it (at most `waitMs`);
// its exit code, or -1 when it did not start or did not end.
int RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD waitMs);

bool Exists(const std::wstring& path);
bool RegistrationValueExists(const wchar_t* name);
bool RegistrationKeyExists();

}  // namespace UninstallTests
