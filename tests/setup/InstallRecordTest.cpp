// The records the installer leaves for the uninstaller: the file list's bytes
// and the uninstall registration as both programs read it.
#include <gtest/gtest.h>

#include <windows.h>

#include "InstallRecord.h"
#include "TestFiles.h"

namespace {

using namespace InstallRecord;

std::string Utf16(const wchar_t* text, size_t count) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<char>(text[i] & 0xFF));
        bytes.push_back(static_cast<char>(text[i] >> 8));
    }
    return bytes;
}

TEST(FileListTest, BytesAreTerminatedUtf16StringsWithAnEndMarker) {
    const wchar_t expected[] = L"D:\\T\\Log/\0D:\\T\\a.txt\0";  // and the literal's own NUL
    EXPECT_EQ(Utf16(expected, sizeof(expected) / sizeof(wchar_t)), EncodeFileList({L"D:\\T\\Log/", L"D:\\T\\a.txt"}));
    EXPECT_EQ(std::string(2, '\0'), EncodeFileList({}));
}

TEST(FileListTest, OnlyAWholeListDecodes) {
    const std::string whole = EncodeFileList({L"C:\\I\\a", L"C:\\I\\\x4E2D"});
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\I\\a", L"C:\\I\\\x4E2D"}), DecodeFileList(whole));
    EXPECT_EQ(std::vector<std::wstring>{}, DecodeFileList(EncodeFileList({})));
    // Cut short, of odd size, all NUL bytes (a list not flushed at a power
    // failure), with something after the end marker, or a path past its bound.
    for (const std::string& damaged :
         {whole.substr(0, 18), whole.substr(0, 15) + "x", std::string(), std::string(64, '\0'),
          EncodeFileList({L"C:\\I\\a"}) + EncodeFileList({L"C:\\other"}),
          EncodeFileList({std::wstring(kMaxListedPathLength + 1, L'a')})}) {
        EXPECT_FALSE(DecodeFileList(damaged)) << damaged.size() << " bytes";
    }
}

TEST(FileListTest, WriterAndReaderAgreeThroughAFile) {
    testsupport::ScratchFolder folder(L"filelist");
    const std::wstring list = folder.File(kFileListName);
    CFileListWriter writer;
    ASSERT_TRUE(writer.Open(list));
    ASSERT_TRUE(writer.Append(L"C:\\I\\Log/"));
    ASSERT_TRUE(writer.Append(L"C:\\I\\a.txt"));
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(EncodeFileList({L"C:\\I\\Log/", L"C:\\I\\a.txt"}), testsupport::ReadBytes(list).value_or(""));
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\I\\Log/", L"C:\\I\\a.txt"}), ReadFileList(list).value());
    EXPECT_FALSE(ReadFileList(folder.File(L"missing.Dat")).has_value());
    EXPECT_FALSE(CFileListWriter().Append(L"C:\\x"));
}

TEST(FolderTest, OnlyTheSelfEntriesLeaveAFolderEmpty) {
    testsupport::ScratchFolder folder(L"empty");
    const std::wstring path = folder.Path() + L"\\";
    EXPECT_TRUE(IsFolderEmpty(path));
    EXPECT_TRUE(IsFolderEmpty(path + L"missing\\"));
    ASSERT_TRUE(testsupport::WriteBytes(folder.File(L".keep"), "mine"));
    EXPECT_FALSE(IsFolderEmpty(path));
}

TEST(DriverTest, FolderAndCommandLines) {
    EXPECT_STREQ(L"Driver\\x64\\", DriverFolderFor(true));
    EXPECT_STREQ(L"Driver\\x86\\", DriverFolderFor(false));
    EXPECT_EQ(L" /Q /D /u \"C:\\I\\Driver\\x86\\Qxadb.inf\"", DpinstRemoveParameters(L"C:\\I\\Driver\\x86\\Qxadb.inf"));
    // The tests run the 64-bit build: native, never under WOW64.
    EXPECT_EQ(std::optional<bool>(false), QueryRunsUnderWow64());
}

// Writes the real key of the test prefix: the CTest lock keeps other
// installer tests out, and the key is removed at the end.
class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKeyPath); }
    void TearDown() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKeyPath); }

    static void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, nullptr, 0, KEY_WRITE,
                                                 nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    static DWORD QueryType(const wchar_t* name, DWORD& size) {
        DWORD type = 0;
        size = 0;
        RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size);
        return type;
    }
};

TEST_F(RegistrationTest, EightValuesWithTheirTypesAndSizes) {
    EXPECT_EQ(0u, ReadInstalledVersion());
    EXPECT_EQ(L"", ReadUninstallString());
    // 200 characters of folder: well past the 129 a half-sized buffer holds.
    const std::wstring folder = L"C:\\" + std::wstring(196, L'x') + L"\\";
    ASSERT_TRUE(WriteUninstallValues(folder, 1234));

    const std::wstring texts[] = {L"tavik_Download", folder + L"tavik_Download.exe", folder + L"Uninstall.exe"};
    for (int i = kDisplayName; i <= kUninstallString; ++i) {
        DWORD size = 0;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), QueryType(kUninstallValueNames[i], size)) << i;
        EXPECT_EQ((texts[i].size() + 1) * sizeof(wchar_t), size) << i;
        EXPECT_EQ(texts[i], ReadUninstallText(kUninstallValueNames[i]));
    }
    EXPECT_EQ(L"V1.2.0.1.beta", ReadUninstallText(L"DisplayVersion"));
    for (int i = kHelpLink; i <= kPublisher; ++i) {
        DWORD size = 0;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), QueryType(kUninstallValueNames[i], size)) << i;
        EXPECT_EQ((ReadUninstallText(kUninstallValueNames[i]).size() + 1) * sizeof(wchar_t), size) << i;
        EXPECT_GT(size, 2u);
    }
    for (int i = kEstimatedSize; i <= kVersion; ++i) {
        DWORD size = 0;
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), QueryType(kUninstallValueNames[i], size)) << i;
        EXPECT_EQ(4u, size);
    }
    DWORD kib = 0;
    DWORD size = sizeof(kib);
    RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kib, &size);
    EXPECT_EQ(1234u, kib);
    EXPECT_EQ(9u, ReadInstalledVersion());
    EXPECT_EQ(folder, ReadRegisteredInstallFolder());
}

TEST_F(RegistrationTest, StringsReadBackAreTerminatedAndOfStringType) {
    // Stored without its terminator, then followed in the buffer by nothing.
    const wchar_t bare[] = {L'C', L':', L'\\', L'I', L'\\', L'U'};
    SetRaw(L"UninstallString", REG_SZ, bare, sizeof(bare));
    EXPECT_EQ(L"C:\\I\\U", ReadUninstallString());
    EXPECT_EQ(L"C:\\I\\", ReadRegisteredInstallFolder());

    const DWORD number = 0x005C0043;  // "C\" as UTF-16
    SetRaw(L"UninstallString", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(L"", ReadUninstallString());
    const wchar_t expandable[] = L"%TEMP%\\Uninstall.exe";
    SetRaw(L"UninstallString", REG_EXPAND_SZ, expandable, sizeof(expandable));
    EXPECT_EQ(L"", ReadUninstallString());

    // Longer than a reader's buffer: refused whole, never cut.
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'y') + L"\\Uninstall.exe";
    SetRaw(L"UninstallString", REG_SZ, tooLong.c_str(), static_cast<DWORD>((tooLong.size() + 1) * 2));
    EXPECT_EQ(L"", ReadUninstallString());
    EXPECT_EQ(L"", ReadRegisteredInstallFolder());

    const wchar_t noFolder[] = L"Uninstall.exe";
    SetRaw(L"UninstallString", REG_SZ, noFolder, sizeof(noFolder));
    EXPECT_EQ(L"", ReadRegisteredInstallFolder());

    SetRaw(L"Version", REG_SZ, L"9", 4);
    EXPECT_EQ(0u, ReadInstalledVersion());
}

}  // namespace
