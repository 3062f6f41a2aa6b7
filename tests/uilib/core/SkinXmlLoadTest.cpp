#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>

#include "ImageTestSupport.h"
#include "SkinXml.h"
#include "WindowManager.h"
#include "ZipTestArchive.h"

using TavikUI::CSkinXml;
using TavikUI::CSkinXmlNode;
using TavikUI::CWideString;
using TavikUI::CWindowManager;

namespace {

const char kSkinUtf8[] = "<Window size=\"400,300\"><Label text=\"下载\"/></Window>";

std::wstring TextAttribute(const CSkinXml& document) {
    wchar_t value[64] = {};
    const CSkinXmlNode label = document.Root().FirstChild();
    return label.GetAttributeValue(L"text", value, 63) ? value : L"<absent>";
}

// A fresh folder under the temporary folder for one test's files, set as the
// resource folder; the process-wide skin settings are put back afterwards.
using SkinFolderTest = ImageTests::SkinSourceTest;

std::string SkinArchive(std::vector<ZipTest::Item> extra = {}) {
    std::vector<ZipTest::Item> items = {
        ZipTest::FolderItem("skin/"),
        ZipTest::FileItem("skin/main.xml", kSkinUtf8, true),
        ZipTest::FileItem("Stored.XML", "\xEF\xBB\xBF<Window><Label text=\"stored\"/></Window>", false),
        ZipTest::FileItem("empty.xml", "", false),
    };
    items.insert(items.end(), extra.begin(), extra.end());
    return ZipTest::BuildArchive(items);
}

}  // namespace

TEST(WindowManagerSettings, ModuleInstanceAndFolder) {
    CWindowManager::SetModuleInstance(nullptr);
    EXPECT_EQ(CWindowManager::ModuleInstance(), nullptr);
    EXPECT_STREQ(CWindowManager::ModuleFolder().Text(), L"");

    HINSTANCE self = GetModuleHandleW(nullptr);
    CWindowManager::SetModuleInstance(self);
    EXPECT_EQ(CWindowManager::ModuleInstance(), self);
    EXPECT_EQ(CWindowManager::ResourceInstance(), self);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring expected = path;
    expected.resize(expected.rfind(L'\\') + 1);
    EXPECT_EQ(CWindowManager::ModuleFolder().Text(), expected);
    CWindowManager::SetModuleInstance(nullptr);
}

TEST(WindowManagerSettings, ResourceFolderEndsInASeparator) {
    CWindowManager::SetResourceFolder(L"C:\\skins");
    EXPECT_STREQ(CWindowManager::ResourceFolder().Text(), L"C:\\skins\\");
    CWindowManager::SetResourceFolder(L"C:\\skins\\");
    EXPECT_STREQ(CWindowManager::ResourceFolder().Text(), L"C:\\skins\\");
    CWindowManager::SetResourceFolder(L"C:/skins/");
    EXPECT_STREQ(CWindowManager::ResourceFolder().Text(), L"C:/skins/");
    CWindowManager::SetResourceFolder(L"");
    EXPECT_STREQ(CWindowManager::ResourceFolder().Text(), L"");
    CWindowManager::SetResourceFolder(nullptr);
    EXPECT_STREQ(CWindowManager::ResourceFolder().Text(), L"");
}

TEST_F(SkinFolderTest, SkinArchiveSettingsOpenCachedArchivesOnce) {
    Write(L"skin.zip", SkinArchive());
    CWindowManager::SetSkinArchive(L"skin.zip", false);
    EXPECT_STREQ(CWindowManager::SkinArchiveName().Text(), L"skin.zip");
    EXPECT_FALSE(CWindowManager::SkinArchiveCached());
    EXPECT_EQ(CWindowManager::CachedSkinArchive(), nullptr);

    CWindowManager::SetSkinArchive(L"skin.zip", true);
    TavikUI::HZIPARCHIVE first = CWindowManager::CachedSkinArchive();
    ASSERT_NE(first, nullptr);
    // The same name and flag again: nothing is reopened, even though the
    // archive could no longer be found from the folder now set.
    CWindowManager::SetResourceFolder(L"Z:\\no\\such\\folder");
    CWindowManager::SetSkinArchive(L"skin.zip", true);
    EXPECT_EQ(CWindowManager::CachedSkinArchive(), first);
    CWindowManager::SetResourceFolder(folder_.c_str());

    // A memory archive replaces it, once.
    static const std::string memory = SkinArchive();
    CWindowManager::SetSkinArchiveInMemory(memory.data(), static_cast<uint32_t>(memory.size()));
    EXPECT_STREQ(CWindowManager::SkinArchiveName().Text(), L"membuffer");
    EXPECT_TRUE(CWindowManager::SkinArchiveCached());
    TavikUI::HZIPARCHIVE inMemory = CWindowManager::CachedSkinArchive();
    ASSERT_NE(inMemory, nullptr);
    CWindowManager::SetSkinArchiveInMemory(nullptr, 0);
    EXPECT_EQ(CWindowManager::CachedSkinArchive(), inMemory);

    CWindowManager::SetSkinArchive(L"", false);
    EXPECT_EQ(CWindowManager::CachedSkinArchive(), nullptr);
    EXPECT_TRUE(CWindowManager::SkinArchiveName().IsEmpty());
}

TEST_F(SkinFolderTest, LoadsFromTheResourceFolder) {
    Write(L"main.xml", kSkinUtf8);
    CSkinXml document;
    ASSERT_TRUE(document.LoadFromFile(L"main.xml", TavikUI::SKIN_ENCODING_UTF8)) << document.ErrorMessage();
    EXPECT_STREQ(document.Root().Name(), L"Window");
    EXPECT_EQ(TextAttribute(document), L"下载");

    // The encoding given is the one used.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("<Window><Label text=\"w\"/></Window>")) {
        utf16 += c;
        utf16 += '\0';
    }
    Write(L"wide.xml", utf16);
    ASSERT_TRUE(document.LoadFromFile(L"wide.xml", TavikUI::SKIN_ENCODING_UTF16)) << document.ErrorMessage();
    EXPECT_EQ(TextAttribute(document), L"w");
    EXPECT_FALSE(document.LoadFromFile(L"main.xml", TavikUI::SKIN_ENCODING_UTF16));
}

TEST_F(SkinFolderTest, FolderErrors) {
    CSkinXml document;
    Write(L"ok.xml", "<Window/>");
    ASSERT_TRUE(document.LoadFromFile(L"ok.xml", TavikUI::SKIN_ENCODING_UTF8));

    EXPECT_FALSE(document.LoadFromFile(L"missing.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"Error opening file");
    EXPECT_FALSE(document.Root().IsValid());  // the earlier document is gone

    Write(L"empty.xml", "");
    EXPECT_FALSE(document.LoadFromFile(L"empty.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"File is empty");

    // 4 MiB is the limit: one byte more is too large.
    std::string largest = "<Window/>";
    largest.resize(4194304, ' ');
    Write(L"largest.xml", largest);
    EXPECT_TRUE(document.LoadFromFile(L"largest.xml", TavikUI::SKIN_ENCODING_UTF8)) << document.ErrorMessage();
    largest += ' ';
    Write(L"large.xml", largest);
    EXPECT_FALSE(document.LoadFromFile(L"large.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"File too large");

    Write(L"bad.xml", "<Window><A><B>");
    EXPECT_FALSE(document.LoadFromFile(L"bad.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"Expected end-tag start");
}

TEST_F(SkinFolderTest, LoadsFromTheSkinArchiveCachedOrNot) {
    Write(L"skin.zip", SkinArchive());
    for (bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "opened per load");
        CWindowManager::SetSkinArchive(L"skin.zip", cached);
        CSkinXml document;
        ASSERT_TRUE(document.LoadFromFile(L"skin/main.xml", TavikUI::SKIN_ENCODING_UTF8)) << document.ErrorMessage();
        EXPECT_EQ(TextAttribute(document), L"下载");
        // Names match without regard to ASCII case, and back slashes match '/'.
        ASSERT_TRUE(document.LoadFromFile(L"SKIN\\Main.xml", TavikUI::SKIN_ENCODING_UTF8)) << document.ErrorMessage();
        EXPECT_EQ(TextAttribute(document), L"下载");
        ASSERT_TRUE(document.LoadFromFile(L"stored.xml", TavikUI::SKIN_ENCODING_UTF8)) << document.ErrorMessage();
        EXPECT_EQ(TextAttribute(document), L"stored");
        // The same item twice in a row reads it whole again.
        ASSERT_TRUE(document.LoadFromFile(L"stored.xml", TavikUI::SKIN_ENCODING_UTF8)) << document.ErrorMessage();
        EXPECT_EQ(TextAttribute(document), L"stored");

        EXPECT_FALSE(document.LoadFromFile(L"skin/other.xml", TavikUI::SKIN_ENCODING_UTF8));
        EXPECT_STREQ(document.ErrorMessage(), L"Could not find ziped file");
        EXPECT_FALSE(document.LoadFromFile(L"empty.xml", TavikUI::SKIN_ENCODING_UTF8));
        EXPECT_STREQ(document.ErrorMessage(), L"File is empty");
        // A file in the folder is not looked for while an archive is set.
        Write(L"loose.xml", "<Window/>");
        EXPECT_FALSE(document.LoadFromFile(L"loose.xml", TavikUI::SKIN_ENCODING_UTF8));
        EXPECT_STREQ(document.ErrorMessage(), L"Could not find ziped file");
    }
    CWindowManager::SetSkinArchive(L"", false);
    // The per-load opening released the archive file: it can be replaced.
    EXPECT_TRUE(DeleteFileW((folder_ + L"skin.zip").c_str()));
    written_.erase(L"skin.zip");
}

TEST_F(SkinFolderTest, LoadsFromAnArchiveInMemory) {
    static const std::string memory = SkinArchive();
    CWindowManager::SetSkinArchiveInMemory(memory.data(), static_cast<uint32_t>(memory.size()));
    CSkinXml document;
    ASSERT_TRUE(document.LoadFromFile(L"skin/main.xml", TavikUI::SKIN_ENCODING_UTF8)) << document.ErrorMessage();
    EXPECT_EQ(TextAttribute(document), L"下载");
    ASSERT_TRUE(document.LoadFromFile(L"Stored.XML", TavikUI::SKIN_ENCODING_UTF8)) << document.ErrorMessage();
    EXPECT_EQ(TextAttribute(document), L"stored");
}

TEST_F(SkinFolderTest, ArchiveErrors) {
    CSkinXml document;
    CWindowManager::SetSkinArchive(L"missing.zip", false);
    EXPECT_FALSE(document.LoadFromFile(L"main.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"Error opening zip file");
    CWindowManager::SetSkinArchive(L"missing.zip", true);
    EXPECT_FALSE(document.LoadFromFile(L"main.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"Error opening zip file");
    CWindowManager::SetSkinArchive(L"", false);

    // Too large, and items whose bytes are damaged.
    std::string large = "<Window/>";
    large.resize(4194305, ' ');
    ZipTest::Layout layout;
    std::string archive = ZipTest::BuildArchive(
        {ZipTest::FileItem("large.xml", large, false), ZipTest::FileItem("crc.xml", "<Window/>", false),
         ZipTest::FileItem("inflate.xml", std::string(3000, 'x'), true)},
        std::string(), std::string(), &layout);
    // A wrong CRC-32 in both headers, and a deflate stream with its first
    // block made invalid (block type 3).
    ZipTest::SetLe32(&archive, layout.localHeaders[1] + ZipTest::Field::kLocalCrc, 0x12345678);
    ZipTest::SetLe32(&archive, layout.centralEntries[1] + ZipTest::Field::kCentralCrc, 0x12345678);
    archive[layout.itemData[2]] = static_cast<char>(0x07);
    Write(L"damaged.zip", archive);
    CWindowManager::SetSkinArchive(L"damaged.zip", false);
    EXPECT_FALSE(document.LoadFromFile(L"large.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"File too large");
    EXPECT_FALSE(document.LoadFromFile(L"crc.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"Could not unzip file");
    EXPECT_FALSE(document.LoadFromFile(L"inflate.xml", TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_STREQ(document.ErrorMessage(), L"Could not unzip file");
}

TEST_F(SkinFolderTest, DamagedArchivesNeverCrashTheLoader) {
    // Fixed-seed damage to a whole skin archive held in memory: every load
    // succeeds or fails with one of the loader's texts.
    const std::set<std::wstring> texts = {
        L"Expected start tag",
        L"Error parsing element name",
        L"Expected start-tag closing",
        L"Expected end-tag start",
        L"Unmatched closing tag",
        L"Error while parsing attributes",
        L"Expected attribute value",
        L"Error while parsing attribute string",
        L"File is empty",
        L"File too large",
        L"Error opening zip file",
        L"Could not find ziped file",
        L"Could not unzip file",
    };
    const std::string original = SkinArchive();
    std::mt19937 random(7301u);
    for (int round = 0; round < 1500; ++round) {
        std::string damaged = original;
        const int edits = 1 + static_cast<int>(random() % 3);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % damaged.size();
            switch (random() % 3) {
            case 0:
                damaged[at] = static_cast<char>(random() & 0xFF);
                break;
            case 1:
                damaged[at] ^= static_cast<char>(1u << (random() % 8));
                break;
            default:
                damaged[at] = static_cast<char>(0xFF);
                break;
            }
        }
        CWindowManager::SetSkinArchive(L"", false);
        CWindowManager::SetSkinArchiveInMemory(damaged.data(), static_cast<uint32_t>(damaged.size()));
        CSkinXml document;
        for (const wchar_t* name : {L"skin/main.xml", L"stored.xml", L"empty.xml"}) {
            if (!document.LoadFromFile(name, TavikUI::SKIN_ENCODING_UTF8)) {
                ASSERT_EQ(texts.count(document.ErrorMessage()), 1u) << round;
            }
        }
        CWindowManager::SetSkinArchive(L"", false);  // closes it before the bytes go
    }
}
