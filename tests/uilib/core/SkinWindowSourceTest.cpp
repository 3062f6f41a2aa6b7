// Where a skin window reads its skin: the resource folder, a zip file beside
// the program, an "xml" resource, a "ZIP_RES" resource held in memory; the
// reload from another archive; and the tags only skin windows know.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "AnnulusProgressUI.h"
#include "ButtonGifUI.h"
#include "ButtonUrlUI.h"
#include "SkinWindowTestSupport.h"
#include "skinwnd/SkinWindowSample.h"

namespace {

using SkinWindowTests::ProgramFolder;
using SkinWindowTests::SkinWindowFixture;
using SkinWindowTests::TestSkinWindow;
using TavikUI::CControlUI;
using TavikUI::CWindowManager;

class SkinSourceTest : public SkinWindowFixture {
protected:
    // The main fixture skin was built: its named controls, its window
    // attributes, and WindowReady once.
    static void ExpectMainSkin(TestSkinWindow& window) {
        ASSERT_NE(window.Manager().Root(), nullptr);
        EXPECT_NE(window.Control(L"closebtn"), nullptr);
        EXPECT_NE(window.Control(L"minbtn"), nullptr);
        EXPECT_EQ(window.Manager().CaptionRect().bottom, 36);
        EXPECT_EQ(window.Manager().SizeBox().left, 4);
        EXPECT_EQ(window.Manager().RoundCorner().cx, 6);
        EXPECT_EQ(window.readyCalls, 1);
    }
};

TEST_F(SkinSourceTest, SkinFileFromTheResourceFolder) {
    TestSkinWindow window(L"main.xml");
    ASSERT_NE(window.Create(), nullptr);
    ExpectMainSkin(window);
}

TEST_F(SkinSourceTest, ZipFileBesideTheProgram) {
    CWindowManager::SetResourceFolder(ProgramFolder().c_str());
    TestSkinWindow window(L"main.xml", TavikUI::kSkinFromZipFile);
    window.zipName = SkinWindowSample::kZipName;
    ASSERT_NE(window.Create(), nullptr);
    ExpectMainSkin(window);
    EXPECT_STREQ(CWindowManager::SkinArchiveName().Text(), SkinWindowSample::kZipName);
    EXPECT_TRUE(CWindowManager::SkinArchiveCached());
    EXPECT_NE(CWindowManager::CachedSkinArchive(), nullptr);
}

TEST_F(SkinSourceTest, EmptyResourceFolderBecomesTheProgramFolder) {
    CWindowManager::SetResourceFolder(L"");
    TestSkinWindow window(L"main.xml", TavikUI::kSkinFromZipFile);
    window.zipName = SkinWindowSample::kZipName;
    ASSERT_NE(window.Create(), nullptr);
    EXPECT_STREQ(CWindowManager::ResourceFolder().Text(), ProgramFolder().c_str());
    ExpectMainSkin(window);
}

TEST_F(SkinSourceTest, XmlResourceNamedByNumber) {
    TestSkinWindow window(L"311", TavikUI::kSkinFromXmlResource);
    ASSERT_NE(window.Create(), nullptr);
    ExpectMainSkin(window);
}

TEST_F(SkinSourceTest, ZipResourceByNameAndByNumber) {
    TestSkinWindow named(L"main.xml", TavikUI::kSkinFromZipResource);
    named.resourceId = SkinWindowSample::kResourceName;
    ASSERT_NE(named.Create(), nullptr);
    ExpectMainSkin(named);
    EXPECT_STREQ(CWindowManager::SkinArchiveName().Text(), L"membuffer");

    // A second window while the first holds the in-memory archive.
    TestSkinWindow numbered(L"main.xml", TavikUI::kSkinFromZipResource);
    numbered.resourceId = L"#202";
    ASSERT_NE(numbered.Create(), nullptr);
    ExpectMainSkin(numbered);
    // The first window's tree is untouched.
    EXPECT_NE(named.Control(L"closebtn"), nullptr);
}

TEST_F(SkinSourceTest, ZipResourceAgainAfterAnotherArchiveWasUsed) {
    {
        TestSkinWindow first(L"main.xml", TavikUI::kSkinFromZipResource);
        first.resourceId = SkinWindowSample::kResourceName;
        ASSERT_NE(first.Create(), nullptr);
    }
    CWindowManager::SetSkinArchive(L"", false);
    TestSkinWindow again(L"main.xml", TavikUI::kSkinFromZipResource);
    again.resourceId = SkinWindowSample::kResourceName;
    ASSERT_NE(again.Create(), nullptr);
    ExpectMainSkin(again);
}

TEST_F(SkinSourceTest, MissingZipResourceLeavesAnEmptyWindow) {
    TestSkinWindow window(L"main.xml", TavikUI::kSkinFromZipResource);
    window.resourceId = L"NO_SUCH_SKIN";
    ASSERT_NE(window.Create(), nullptr);
    EXPECT_TRUE(IsWindow(window.Handle()));
    EXPECT_EQ(window.Manager().Root(), nullptr);
    EXPECT_EQ(window.readyCalls, 0);
}

class TemporaryFolder {
public:
    TemporaryFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"tavik-skinwnd-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TemporaryFolder() {
        for (const std::wstring& file : files_) {
            DeleteFileW((path_ + file).c_str());
        }
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& Path() const { return path_; }
    bool Write(const wchar_t* name, const char* text) {
        files_.push_back(name);
        const HANDLE file = CreateFileW((path_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        DWORD written = 0;
        const bool ok = WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr) != FALSE;
        CloseHandle(file);
        return ok;
    }
    bool CopyIn(const std::wstring& source, const wchar_t* name) {
        files_.push_back(name);
        return CopyFileW(source.c_str(), (path_ + name).c_str(), FALSE) != FALSE;
    }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

TEST_F(SkinSourceTest, LoadSkinRebuildsFromAnotherArchiveWithoutANewReady) {
    TemporaryFolder folder;
    ASSERT_TRUE(folder.Write(L"main.xml", "<Window><Control name=\"fromfolder\"/></Window>"));
    ASSERT_TRUE(folder.CopyIn(ProgramFolder() + SkinWindowSample::kZipName, L"other.zip"));
    CWindowManager::SetResourceFolder(folder.Path().c_str());

    TestSkinWindow window(L"main.xml");
    ASSERT_NE(window.Create(), nullptr);
    ASSERT_NE(window.Control(L"fromfolder"), nullptr);

    window.LoadSkin(L"other.zip");
    EXPECT_STREQ(CWindowManager::SkinArchiveName().Text(), L"other.zip");
    EXPECT_FALSE(CWindowManager::SkinArchiveCached());
    EXPECT_EQ(window.Control(L"fromfolder"), nullptr);
    ASSERT_NE(window.Control(L"closebtn"), nullptr);
    EXPECT_EQ(window.readyCalls, 1);

    // The notify receiver was registered once: one click, one call.
    window.Manager().SendNotification(window.Control(L"closebtn"), L"click");
    EXPECT_EQ(window.clicks.size(), 1u);
    CWindowManager::SetSkinArchive(L"", false);
}

TEST_F(SkinSourceTest, CallbackMakesTheSkinWindowTags) {
    TestSkinWindow window(L"");
    std::unique_ptr<CControlUI> gif(window.WindowImplBase::CreateControlForTag(L"ControlGif"));
    std::unique_ptr<CControlUI> ring(window.WindowImplBase::CreateControlForTag(L"AnnulusProgress"));
    std::unique_ptr<CControlUI> url(window.WindowImplBase::CreateControlForTag(L"ButtonURL"));
    EXPECT_NE(dynamic_cast<TavikUI::CButtonGifUI*>(gif.get()), nullptr);
    EXPECT_NE(dynamic_cast<TavikUI::CAnnulusProgressUI*>(ring.get()), nullptr);
    EXPECT_NE(dynamic_cast<TavikUI::CButtonUrlUI*>(url.get()), nullptr);
    // Exact names only; library tags are not the callback's.
    EXPECT_EQ(window.WindowImplBase::CreateControlForTag(L"buttonurl"), nullptr);
    EXPECT_EQ(window.WindowImplBase::CreateControlForTag(L"Button"), nullptr);
    EXPECT_EQ(window.WindowImplBase::CreateControlForTag(L"ControlGif "), nullptr);
}

TEST_F(SkinSourceTest, SkinsUseTheCallbackTags) {
    TestSkinWindow window(
        L"<Window><VerticalLayout><ButtonURL name=\"url\"/><ControlGif name=\"gif\"/>"
        L"<AnnulusProgress name=\"ring\"/></VerticalLayout></Window>");
    ASSERT_NE(window.Create(), nullptr);
    EXPECT_NE(dynamic_cast<TavikUI::CButtonUrlUI*>(window.Control(L"url")), nullptr);
    EXPECT_NE(dynamic_cast<TavikUI::CButtonGifUI*>(window.Control(L"gif")), nullptr);
    EXPECT_NE(dynamic_cast<TavikUI::CAnnulusProgressUI*>(window.Control(L"ring")), nullptr);
}

}  // namespace
