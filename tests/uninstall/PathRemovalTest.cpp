// The rules that keep the uninstaller to what it installed, whatever the
// file list and the registration say.
#include <gtest/gtest.h>

#include "InstallPaths.h"
#include "PathRemoval.h"

namespace {

using InstallRecord::IsRootOrEmptyPath;
using TavikUninstall::IsInsideFolder;

TEST(PathRemovalTest, OnlyPathsBelowTheInstallFolderCount) {
    const wchar_t folder[] = L"C:\\Apps\\tavik_Download\\";
    EXPECT_TRUE(IsInsideFolder(L"C:\\Apps\\tavik_Download\\Log/", folder));
    EXPECT_TRUE(IsInsideFolder(L"c:/apps/TAVIK_DOWNLOAD/Driver/x86/dpinst.exe", folder));
    EXPECT_TRUE(IsInsideFolder(L"C:\\Apps\\tavik_Download\\..name", folder));
    EXPECT_FALSE(IsInsideFolder(L"C:\\Apps\\tavik_Download\\", folder));
    EXPECT_FALSE(IsInsideFolder(L"C:\\Apps\\tavik_Download", folder));
    EXPECT_FALSE(IsInsideFolder(L"C:\\Apps\\tavik_DownloadOther\\a.txt", folder));
    EXPECT_FALSE(IsInsideFolder(L"C:\\Apps\\tavik_Download\\..\\a.txt", folder));
    EXPECT_FALSE(IsInsideFolder(L"C:\\Apps\\tavik_Download\\Log\\..", folder));
    EXPECT_FALSE(IsInsideFolder(L"D:\\other.txt", folder));
    // A root is no install folder: nothing counts as inside it.
    EXPECT_FALSE(IsInsideFolder(L"C:\\Windows", L"C:\\"));
    EXPECT_FALSE(IsInsideFolder(L"C:\\Windows", L""));
}

TEST(PathRemovalTest, RootsAreRecognised) {
    for (const wchar_t* root : {L"", L"C:", L"C:\\", L"c:/", L"\\", L"\\\\server\\share\\", L"\\\\server"}) {
        EXPECT_TRUE(IsRootOrEmptyPath(root));
    }
    for (const wchar_t* folder : {L"C:\\Apps\\", L"\\\\server\\share\\tools", L"C:\\a"}) {
        EXPECT_FALSE(IsRootOrEmptyPath(folder));
    }
}

}  // namespace
