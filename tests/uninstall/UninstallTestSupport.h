// What the uninstaller's tests share: an installation made by the real
// installer, the Recycle Bin in a scratch folder, and starting programs.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "SetupTestSupport.h"
#include "TestFiles.h"

namespace UninstallTests {

// The built uninstaller, Windows form.
std::wstring UninstallerProgram();

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

// One installation made by the real installer (InstallDriver.cpp) into its
// default folder, with the shell folders and the driver installer's journal
// of a scratch machine (SetupTestSupport.h). Everything goes when it does.
class Installation {
public:
    Installation();
    ~Installation();

    // Installs; false (with `why`) when the install did not complete or its
    // list names a path outside the registered folder. With `typedFolder`
    // the user types that folder instead of keeping the default one.
    bool Install(std::string& why, const std::wstring& typedFolder = std::wstring());
    // Installs again over what is there, into the default folder (the
    // earlier installation's "/q" first), the install driver given
    // `driverArguments` (InstallDriver.cpp). False (with `why`) unless it
    // completed into the same folder.
    bool Reinstall(std::string& why, const std::wstring& driverArguments = std::wstring());
    // Installs with a damaged driver installer held open where the payload's
    // goes: the install fails at the drivers and does not register itself.
    // False (with `why`) when it ended otherwise.
    bool InstallWithDamagedDriverInstaller(std::string& why);

    // The install folder, ending with a back slash.
    const std::wstring& Folder() const { return folder_; }
    std::wstring Desktop() const { return machine_.Desktop(); }
    std::wstring Programs() const { return machine_.Programs(); }
    // A scratch folder of the machine's own, gone with it.
    const std::wstring& Scratch() const { return machine_.Root(); }
    // The folder above the install folder that the first install made;
    // empty when it was there before.
    const std::wstring& MadeParent() const { return madeParent_; }
    // The installed items as listed, relative to the install folder ("Log/"
    // for a folder).
    const std::vector<std::wstring>& Items() const { return items_; }
    const ScratchTrash& Trash() const { return trash_; }
    // The driver installer's runs since the install ended, in order.
    std::vector<std::wstring> DriverRuns() const { return machine_.Journal(); }

private:
    // Runs the installer into the default folder (or the typed one), with a
    // damaged driver installer put there first when asked. The installer's
    // exit code, or -1.
    int RunInstaller(std::string& why, bool damagedDriverInstaller, const std::wstring& typedFolder);
    // Whether the installer with that exit code completed into the folder.
    bool Completed(int exitCode, std::string& why);
    bool ReadItems(std::string& why);

    SetupTests::ScratchMachine machine_;
    ScratchTrash trash_;
    std::wstring folder_;
    std::vector<std::wstring> items_;
    // The folder above the install folder, when the install made it.
    std::wstring madeParent_;
};

// The install driver (InstallDriver.cpp), Windows form.
std::wstring InstallDriverProgram();

// Starts the uninstaller with the arguments as a user does and checks that
// its copy in the temporary folder shows the window; clicks its start
// button, waits until `gone` is gone and leaves through the finish page's
// button.
void UninstallInItsWindow(const std::wstring& uninstaller, const std::wstring& arguments, const std::wstring& gone);

// Starts a program with the arguments; its process handle, null when it did
// not start.
HANDLE StartProgram(const std::wstring& program, const std::wstring& arguments);

// Starts a program with the arguments and waits for it (at most `waitMs`);
// its exit code, or -1 when it did not start or did not end.
int RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD waitMs);

bool Exists(const std::wstring& path);
bool RegistrationValueExists(const wchar_t* name);
bool RegistrationKeyExists();

}  // namespace UninstallTests
