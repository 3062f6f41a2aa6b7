// The uninstaller in every state an installation can be found in: after
// each run nothing outside the installation's intact list is touched, the
// finish page comes only when everything is gone, and what is kept for a
// retry keeps its list, uninstaller, registration and Start-menu link. The
// states a reinstall or a cut leaves follow; from each of them, and after a
// finished uninstall, the next install and uninstall find their way.
#include <gtest/gtest.h>

#include <windows.h>

#include "InstallRecord.h"
#include "UnInstallDlg.h"
#include "UninstallTestSupport.h"

namespace {

using UninstallTests::Exists;

enum class List { kIntact, kNulBytes, kOversized, kNamesOutside, kMissing, kGoneAfterQuiet };
enum class Registration { kOwn, kAnothers, kUnreachable, kStale, kNone, kQuoted };
// From kReinstall on the row reinstalls (or, kNothing, leaves the state as
// arranged) instead of uninstalling.
enum class Start {
    kWindow,
    kWindowWithFolder,
    kQuiet,
    kKeptAfterQuiet,
    kFromFolder,
    kReinstall,
    kReinstallHeld,
    kReinstallClosed,
    kNothing
};

struct State {
    const char* name;
    List list;
    Registration registration;
    bool folderMoved;
    bool driversFail;
    bool fileStays;
    Start start;
    uint32_t faults;
};

const State kStates[] = {
    {"intact", List::kIntact, Registration::kOwn, false, false, false, Start::kWindow, 0},
    {"nul bytes", List::kNulBytes, Registration::kOwn, false, false, false, Start::kWindow,
     TavikUninstall::kFaultDamagedList},
    {"oversized", List::kOversized, Registration::kOwn, false, false, false, Start::kWindowWithFolder,
     TavikUninstall::kFaultDamagedList},
    {"names outside", List::kNamesOutside, Registration::kOwn, false, false, false, Start::kWindow,
     TavikUninstall::kFaultDamagedList},
    {"no list", List::kMissing, Registration::kOwn, false, false, false, Start::kWindow,
     TavikUninstall::kFaultNoInstallation},
    {"folder moved", List::kIntact, Registration::kOwn, true, false, false, Start::kWindow,
     TavikUninstall::kFaultNoInstallation},
    {"another's", List::kIntact, Registration::kAnothers, false, false, false, Start::kWindowWithFolder, 0},
    {"unreachable", List::kIntact, Registration::kUnreachable, false, false, false, Start::kWindowWithFolder, 0},
    {"stale", List::kIntact, Registration::kStale, false, false, false, Start::kWindowWithFolder, 0},
    {"none, quiet", List::kIntact, Registration::kNone, false, false, false, Start::kQuiet, 0},
    {"drivers fail", List::kIntact, Registration::kOwn, false, true, false, Start::kWindow,
     TavikUninstall::kFaultDrivers},
    {"file stays, quiet", List::kIntact, Registration::kOwn, false, false, true, Start::kQuiet,
     TavikUninstall::kFaultFiles},
    {"kept after quiet", List::kIntact, Registration::kOwn, false, false, false, Start::kKeptAfterQuiet,
     TavikUninstall::kFaultNoInstallation},
    {"/u from the folder", List::kIntact, Registration::kOwn, false, false, false, Start::kFromFolder, 0},
    {"reinstall beside the user's", List::kIntact, Registration::kOwn, false, false, false, Start::kReinstall, 0},
    {"uninstaller held", List::kIntact, Registration::kOwn, false, false, false, Start::kReinstallHeld, 0},
    {"closed after quiet", List::kIntact, Registration::kOwn, false, false, false, Start::kReinstallClosed, 0},
    {"quiet cut after the list", List::kGoneAfterQuiet, Registration::kOwn, false, false, false, Start::kNothing, 0},
    {"quoted", List::kIntact, Registration::kQuoted, false, false, false, Start::kNothing, 0},
};

// Puts the state in place after a real install; the folder the list is in.
std::wstring Arrange(const State& state, UninstallTests::Installation& install) {
    const std::wstring folder = install.Folder();
    const std::wstring list = folder + InstallRecord::kFileListName;
    std::vector<std::wstring> listed = InstallRecord::ReadFileList(list).value_or(std::vector<std::wstring>());
    if (state.list == List::kNulBytes) {
        testsupport::WriteBytes(list, std::string(InstallRecord::EncodeFileList(listed).size(), '\0'));
    } else if (state.list == List::kOversized) {
        // Whole, and one round of the paths beyond the bound.
        std::vector<std::wstring> many;
        const size_t roundBytes = InstallRecord::EncodeFileList(listed).size() - 2;
        for (size_t bytes = 0; bytes <= InstallRecord::kMaxFileListBytes; bytes += roundBytes) {
            many.insert(many.end(), listed.begin(), listed.end());
        }
        testsupport::WriteBytes(list, InstallRecord::EncodeFileList(many));
    } else if (state.list == List::kNamesOutside) {
        listed.push_back(install.Scratch() + L"\\outside.txt");
        testsupport::WriteBytes(listed.back(), "not the installation's");
        testsupport::WriteBytes(list, InstallRecord::EncodeFileList(listed));
    } else if (state.list == List::kMissing) {
        DeleteFileW(list.c_str());
    } else if (state.list == List::kGoneAfterQuiet) {
        // As an earlier version's "/q" left it: everything but its running
        // file and the list gone, then cut before the registration.
        UninstallTests::RunAndWait(folder + L"UnInstall.exe", L"/q", 60000);
        DeleteFileW(list.c_str());
    }
    const std::wstring other = install.Scratch() + L"\\Other\\";
    switch (state.registration) {
    case Registration::kAnothers:
        testsupport::MakeFolders(other);
        testsupport::WriteBytes(other + L"Uninstall.exe", "another installation's");
        InstallRecord::WriteUninstallValues(other, 1);
        break;
    case Registration::kUnreachable:
        InstallRecord::WriteUninstallValues(L"Q:\\tavik_Download\\", 1);
        break;
    case Registration::kStale:
        InstallRecord::WriteUninstallValues(install.Scratch() + L"\\Removed\\", 1);
        break;
    case Registration::kNone:
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath);
        break;
    case Registration::kQuoted: {
        const std::wstring quoted = L"\"" + folder + L"Uninstall.exe\"";
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath, L"UninstallString", REG_SZ,
                        quoted.c_str(), static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t)));
        break;
    }
    case Registration::kOwn:
        break;
    }
    if (state.driversFail) {
        testsupport::WriteBytes(folder + L"Driver\\x86\\dpinst.exe", "damaged");
    }
    if (state.folderMoved) {
        const std::wstring moved = install.Scratch() + L"\\Moved";
        MoveFileW(folder.c_str(), moved.c_str());
        return moved + L"\\";
    }
    return folder;
}

// Runs the uninstaller as the state starts it; its faults ("/q": none when
// it exits with 0, else the expected ones).
uint32_t RunUninstaller(const State& state, UninstallTests::Installation& install) {
    std::wstring uninstaller = install.Folder() + L"UnInstall.exe";
    if (state.start == Start::kKeptAfterQuiet) {
        // An earlier installation went with its "/q" and its running
        // uninstaller stayed; this one was registered since.
        const std::wstring earlier = install.Scratch() + L"\\Earlier\\UnInstall.exe";
        testsupport::MakeFolders(install.Scratch() + L"\\Earlier");
        CopyFileW(uninstaller.c_str(), earlier.c_str(), FALSE);
        uninstaller = earlier;
    }
    if (state.start == Start::kQuiet || state.start == Start::kKeptAfterQuiet) {
        return UninstallTests::RunAndWait(uninstaller, L"/q", 60000) == 0 ? 0 : state.faults;
    }
    if (state.start == Start::kFromFolder) {
        // Its temporary copy removes the whole installation, this file too.
        UninstallTests::UninstallInItsWindow(uninstaller, L"/u", uninstaller);
        return 0;
    }
    TavikUninstall::CUnInstallDlg window;
    if (state.start == Start::kWindowWithFolder) {
        window.SetInstallFolder(TavikUI::CWideString(install.Folder().c_str()));
    }
    // The window's worker shows the finish page exactly when this is true.
    return window.DoUninstall() ? 0 : window.Faults();
}

// Reinstalls into the default folder, which holds the installation and the
// user's files: it completes there, also with the earlier uninstaller held a
// moment after its run; closed in the pause after that run, it still clears
// the earlier folder.
void Reinstall(const State& state, UninstallTests::Installation& install) {
    const std::wstring uninstaller = install.Folder() + L"UnInstall.exe";
    std::string why;
    if (state.start == Start::kReinstallClosed) {
        EXPECT_FALSE(install.Reinstall(why, L"/close-after-earlier"));
        EXPECT_FALSE(Exists(uninstaller));
        EXPECT_FALSE(Exists(install.Folder() + InstallRecord::kFileListName));
        return;
    }
    HANDLE holder = nullptr;
    if (state.start == Start::kReinstallHeld) {
        holder = UninstallTests::StartProgram(UninstallTests::InstallDriverProgram(), L"/hold " + uninstaller);
        // Held once it can no longer be opened for removal.
        ASSERT_TRUE(testsupport::WaitFor(
            [&uninstaller] {
                HANDLE file = CreateFileW(uninstaller.c_str(), DELETE, 7, nullptr, OPEN_EXISTING, 0, nullptr);
                return file == INVALID_HANDLE_VALUE || !CloseHandle(file);
            },
            10000));
    }
    EXPECT_TRUE(state.start == Start::kNothing || install.Reinstall(why)) << why;
    if (holder) {
        DWORD held = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder, 60000));
        EXPECT_TRUE(GetExitCodeProcess(holder, &held) && held == 0) << "the holder saw no run";
        CloseHandle(holder);
    }
}

// The way forward: the user's files as they were; then (those put aside) one
// more install completes in the same folder, and its uninstall finishes and
// removes everything, the folders the installer made above included while
// an installation kept them known.
void ExpectWayForward(UninstallTests::Installation& install) {
    const std::wstring folder = install.Folder();
    EXPECT_EQ("the user's", testsupport::ReadBytes(folder + L"notes.txt").value_or(""));
    EXPECT_EQ("theirs", testsupport::ReadBytes(folder + L"Backup\\old.txt").value_or(""));
    const bool known = Exists(folder + InstallRecord::kFileListName);
    DeleteFileW((folder + L"notes.txt").c_str());
    testsupport::RemoveFolderTree(folder + L"Backup");
    std::string why;
    ASSERT_TRUE(install.Reinstall(why)) << why;
    TavikUninstall::CUnInstallDlg uninstaller;
    EXPECT_TRUE(uninstaller.DoUninstall())
        << testsupport::Utf8(TavikUninstall::UninstallFaultLines(uninstaller.Faults()));
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(UninstallTests::RegistrationValueExists(L"UninstallString"));
    EXPECT_FALSE(Exists(install.Programs() + L"\\Quorel"));
    EXPECT_FALSE(known && !install.MadeParent().empty() && Exists(install.MadeParent()));
}

TEST(InstallationStatesTest, NothingElseIsTouchedTheFinishPageIsTheTruthAndARetryKeepsItsWay) {
    for (const State& state : kStates) {
        SCOPED_TRACE(state.name);
        UninstallTests::Installation install;
        std::string why;
        ASSERT_TRUE(install.Install(why)) << why;
        ASSERT_TRUE(testsupport::WriteBytes(install.Folder() + L"notes.txt", "the user's"));
        ASSERT_TRUE(testsupport::MakeFolders(install.Folder() + L"Backup") &&
                    testsupport::WriteBytes(install.Folder() + L"Backup\\old.txt", "theirs"));
        const std::wstring folder = Arrange(state, install);
        if (state.start >= Start::kReinstall) {
            Reinstall(state, install);
            ExpectWayForward(install);
            continue;
        }
        const std::wstring registered = InstallRecord::ReadUninstallString();
        const std::wstring desktopLink = install.Desktop() + L"\\tavik刷机小助手.lnk";
        const std::wstring uninstallLink = install.Programs() + L"\\Quorel\\tavik_Download\\UnInstall.lnk";
        const std::wstring tool = install.Folder() + InstallRecord::kToolExeName;
        HANDLE held = state.fileStays ? CreateFileW(tool.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE;

        const uint32_t faults = RunUninstaller(state, install);
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(held);
        }

        EXPECT_EQ(state.faults, faults) << testsupport::Utf8(TavikUninstall::UninstallFaultLines(faults));
        const bool finished = faults == 0;
        EXPECT_TRUE(Exists(folder + L"notes.txt"));
        EXPECT_EQ(state.list == List::kNamesOutside, Exists(install.Scratch() + L"\\outside.txt"));
        const bool keepsRegistration =
            state.registration == Registration::kAnothers || state.registration == Registration::kUnreachable;
        if (keepsRegistration) {
            EXPECT_EQ(registered, InstallRecord::ReadUninstallString());
            EXPECT_TRUE(install.DriverRuns().empty());
        }
        const bool nothingRemoved =
            state.faults == TavikUninstall::kFaultNoInstallation || state.faults == TavikUninstall::kFaultDamagedList;
        const bool keptForRetry = !finished && !nothingRemoved;
        for (const std::wstring& item : install.Items()) {
            // "/q" cannot remove its own running file: its installer does.
            const bool running = state.start == Start::kQuiet && item == L"UnInstall.exe";
            if (finished && !running) {
                EXPECT_FALSE(Exists(folder + item)) << testsupport::Utf8(item);
            } else if (nothingRemoved || (keptForRetry && item == L"UnInstall.exe")) {
                EXPECT_TRUE(Exists(folder + item)) << testsupport::Utf8(item);
            }
        }
        if (nothingRemoved || keptForRetry) {
            EXPECT_EQ(registered, InstallRecord::ReadUninstallString());
            EXPECT_EQ(state.list != List::kMissing, Exists(folder + InstallRecord::kFileListName));
            EXPECT_TRUE(Exists(uninstallLink));
        }
        if (finished) {
            // "/q" keeps the list naming its running file, and the way to
            // it, for the installer that ran it.
            EXPECT_EQ(state.start == Start::kQuiet, Exists(folder + InstallRecord::kFileListName));
            EXPECT_EQ(keepsRegistration, UninstallTests::RegistrationValueExists(L"UninstallString"));
            EXPECT_FALSE(Exists(desktopLink));
            EXPECT_EQ(state.start == Start::kQuiet, Exists(uninstallLink));
        }
        if (finished && state.registration == Registration::kOwn) {
            ExpectWayForward(install);
        }
    }
}

}  // namespace
