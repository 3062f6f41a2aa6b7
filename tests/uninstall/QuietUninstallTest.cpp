// "/q": the uninstaller removes an installation without a window, as the
// installer runs it before installing again.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "InstallRecord.h"
#include "MessagePump.h"
#include "UnInstallDlg.h"
#include "UninstallTestSupport.h"

namespace {

using UninstallTests::Exists;
using UninstallTests::Installation;

const DWORD kProgramWaitMs = 60000;

class QuietUninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The default folder typed as a user may type it: '/' for '\\', one
        // doubled. It is registered and listed in its one form.
        wchar_t programFiles[MAX_PATH] = {};
        SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE);
        std::wstring typed = std::wstring(programFiles) + L"\\\\Quorel\\tavik_Download";
        std::replace(typed.begin(), typed.end(), L'\\', L'/');
        std::string why;
        ASSERT_TRUE(install.Install(why, typed)) << why;
    }
    // The installed uninstaller, as the installer runs it: it cannot move its
    // own running file, which the installer removes afterwards.
    void RunQuiet() {
        ASSERT_EQ(0, UninstallTests::RunAndWait(install.Folder() + L"UnInstall.exe", L"/q", kProgramWaitMs));
    }

    Installation install;
};

TEST_F(QuietUninstallTest, RemovesRegistrationDriversFilesAndShortcuts) {
    // The installed tool has run once and written its log beside itself.
    const std::wstring log = install.Folder() + InstallRecord::kToolLogName;
    HANDLE tool = UninstallTests::StartProgram(install.Folder() + InstallRecord::kToolExeName, L"");
    ASSERT_NE(nullptr, tool);
    testsupport::WaitFor([&log] { return Exists(log); }, 30000);
    TerminateProcess(tool, 0);
    WaitForSingleObject(tool, 10000);
    CloseHandle(tool);
    ASSERT_TRUE(Exists(log));

    RunQuiet();

    // Its running file stays, and with it the list, the registration and
    // the uninstaller's link: the installer that ran it removes them.
    for (const wchar_t* name : InstallRecord::kUninstallValueNames) {
        EXPECT_TRUE(UninstallTests::RegistrationValueExists(name)) << testsupport::Utf8(name);
    }

    // Each package removed with the x86 folder's installer (this build never
    // runs under WOW64), in order.
    const std::vector<std::wstring> runs = install.DriverRuns();
    ASSERT_EQ(std::size(InstallRecord::kDriverPackages), runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        const std::wstring expected = L"start|dpinst.exe|/Q /D /u \"" + install.Folder() + L"Driver\\x86\\" +
                                      InstallRecord::kDriverPackages[i] + L"\"|";
        EXPECT_EQ(expected, runs[i].substr(0, expected.size())) << testsupport::Utf8(runs[i]);
    }

    for (const std::wstring& item : install.Items()) {
        if (item == L"UnInstall.exe") {
            continue;
        }
        EXPECT_FALSE(Exists(install.Folder() + item)) << testsupport::Utf8(item);
        if (item.back() != L'/') {
            EXPECT_TRUE(install.Trash().Holds(item)) << testsupport::Utf8(item);
        }
    }
    EXPECT_TRUE(Exists(install.Folder() + InstallRecord::kFileListName));
    EXPECT_TRUE(install.Trash().Holds(L"Log/tavikLog.log"));
    EXPECT_TRUE(Exists(install.Folder() + L"UnInstall.exe"));

    EXPECT_FALSE(Exists(install.Desktop() + L"\\tavik刷机小助手.lnk"));
    EXPECT_FALSE(Exists(install.Programs() + L"\\Quorel\\tavik_Download\\tavik刷机小助手.lnk"));
    EXPECT_TRUE(Exists(install.Programs() + L"\\Quorel\\tavik_Download\\UnInstall.lnk"));
}

TEST_F(QuietUninstallTest, KeepsWhatIsNotItsOwn) {
    // The user's files: one beside the program, one alone in "Log" whose
    // name starts with ".".
    ASSERT_TRUE(testsupport::WriteBytes(install.Folder() + L"notes.txt", "mine"));
    ASSERT_TRUE(testsupport::WriteBytes(install.Folder() + L"Log\\.mine", "mine"));
    // Another program's shortcut in the shared Programs folder.
    ASSERT_TRUE(testsupport::WriteBytes(install.Programs() + L"\\Quorel\\Other.lnk", "link"));

    RunQuiet();

    EXPECT_FALSE(Exists(install.Folder() + L"tavik_Download.exe"));
    EXPECT_TRUE(Exists(install.Folder() + L"notes.txt"));
    EXPECT_TRUE(Exists(install.Folder() + L"Log\\.mine"));
    EXPECT_FALSE(install.Trash().Holds(L"Log"));
    EXPECT_FALSE(Exists(install.Programs() + L"\\Quorel\\tavik_Download\\tavik刷机小助手.lnk"));
    EXPECT_TRUE(Exists(install.Programs() + L"\\Quorel\\Other.lnk"));
}

// An installation whose folder holds a link to a folder outside it (made by
// the test's host fixture, "inst\\l" to "outside"), and a folder where the
// list names a file.
TEST(LinkedInstallationTest, ListedPathsThroughALinkAndListedFilesNowFoldersStay) {
    SetupTests::ScratchMachine machine;
    UninstallTests::ScratchTrash trash;
    ASSERT_TRUE(machine.Ready() && trash.Reset());
    const std::wstring root = testsupport::WithBackSlashes(TAVIK_LINK_FIXTURE_DIR);
    const std::wstring inst = root + L"\\inst\\";
    const std::wstring outside = root + L"\\outside\\";
    ASSERT_NE(0u, GetFileAttributesW((inst + L"l").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)
        << "the host fixture made no link";
    ASSERT_TRUE(testsupport::MakeFolders(outside) && testsupport::WriteBytes(outside + L"keep.txt", "not ours"));
    ASSERT_TRUE(testsupport::MakeFolders(inst + L"Driver\\x86") && testsupport::MakeFolders(inst + L"tavik.Data"));
    ASSERT_TRUE(CopyFileW(testsupport::WithBackSlashes(TAVIK_DPINST_EXE).c_str(),
                          (inst + L"Driver\\x86\\dpinst.exe").c_str(), FALSE));
    ASSERT_TRUE(testsupport::WriteBytes(inst + L"own.txt", "ours"));
    ASSERT_TRUE(CopyFileW(UninstallTests::UninstallerProgram().c_str(), (inst + L"UnInstall.exe").c_str(), FALSE));
    const std::vector<std::wstring> listed = {inst + L"own.txt",
                                              inst + L"l/",
                                              inst + L"l/keep.txt",
                                              inst + L"tavik.Data",
                                              inst + L"Driver/",
                                              inst + L"Driver/x86/",
                                              inst + L"Driver/x86/dpinst.exe",
                                              inst + L"UnInstall.exe"};
    ASSERT_TRUE(testsupport::WriteBytes(inst + InstallRecord::kFileListName, InstallRecord::EncodeFileList(listed)));
    ASSERT_TRUE(InstallRecord::WriteUninstallValues(inst, 1));

    ASSERT_EQ(0, UninstallTests::RunAndWait(inst + L"UnInstall.exe", L"/q", kProgramWaitMs));

    EXPECT_FALSE(Exists(inst + L"own.txt"));
    EXPECT_FALSE(Exists(inst + L"Driver"));
    EXPECT_TRUE(Exists(outside + L"keep.txt"));
    EXPECT_NE(0u, GetFileAttributesW((inst + L"l").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE(InstallRecord::IsExistingFolder(inst + L"tavik.Data"));
}

// A file that the shell reports moved to the Recycle Bin while it stays
// where it was (made immutable by the test's host fixture).
TEST(StuckFileTest, AFileThatStaysIsAFailedRemovalAndKeepsTheListAndTheUninstaller) {
    SetupTests::ScratchMachine machine;
    UninstallTests::ScratchTrash trash;
    ASSERT_TRUE(machine.Ready() && trash.Reset());
    const std::wstring inst = testsupport::WithBackSlashes(TAVIK_STUCK_FIXTURE_DIR) + L"\\inst\\";
    ASSERT_TRUE(Exists(inst + L"stuck.txt")) << "the host fixture made no file";
    ASSERT_TRUE(testsupport::WriteBytes(inst + L"own.txt", "ours") &&
                testsupport::WriteBytes(inst + L"UnInstall.exe", "the installed uninstaller"));
    const std::vector<std::wstring> listed = {inst + L"own.txt", inst + L"stuck.txt", inst + L"UnInstall.exe"};
    ASSERT_TRUE(testsupport::WriteBytes(inst + InstallRecord::kFileListName, InstallRecord::EncodeFileList(listed)));

    TavikUninstall::CUnInstallDlg uninstaller;
    uninstaller.SetInstallFolder(TavikUI::CWideString(inst.c_str()));
    EXPECT_FALSE(uninstaller.DoUninstall());
    EXPECT_EQ(TavikUninstall::kFaultFiles, uninstaller.Faults());
    EXPECT_FALSE(Exists(inst + L"own.txt"));
    EXPECT_TRUE(Exists(inst + L"stuck.txt"));
    EXPECT_TRUE(Exists(inst + L"UnInstall.exe"));
    EXPECT_TRUE(Exists(inst + InstallRecord::kFileListName));
}

}  // namespace
