#include <cstring>

#include "PhoneConfigTestBase.h"
#include "TextFormat.h"

using namespace configtest;

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

bool AllZero(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

// One program element the way the package lists write them.
std::string ProgramElement(const std::string& fileName, const std::string& label, int start) {
    return "  <program SECTOR_SIZE_IN_BYTES=\"512\" filename=\"" + fileName + "\" label=\"" + label +
           "\" num_partition_sectors=\"8\" physical_partition_number=\"0\" start_sector=\"" + std::to_string(start) +
           "\"/>\r\n";
}

std::string ListOf(const std::string& programs) {
    return "<?xml version=\"1.0\" ?>\r\n<data>\r\n" + programs + "</data>\r\n";
}

const wchar_t kUserList[] = L"rawprogram_unsparse_for_User.xml";

}  // namespace

class QcomFilesTest : public PhoneConfigTest {
protected:
    // Copies a sample package, runs the package check on it and forgets its
    // reports.
    std::wstring LoadPackage(const std::wstring& name) {
        const std::wstring folder = Package(name);
        EXPECT_TRUE(config.LoadPhoneConfig(folder.c_str()));
        recorder.Clear();
        return folder;
    }

    // Expects exactly one failure report with the text.
    void ExpectOnlyFailure(const std::wstring& text) {
        ASSERT_FALSE(Reports().empty());
        EXPECT_EQ(Reports().back().code, 0x63);
        EXPECT_EQ(Reports().back().text, text);
        for (size_t i = 0; i + 1 < Reports().size(); ++i) {
            EXPECT_EQ(Reports()[i].code, 0x62) << Utf8(Reports()[i].text);
        }
    }
};

TEST_F(QcomFilesTest, FireHosePackageFillsTheImageTable) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    std::memset(&g_imageTable, 0x77, sizeof g_imageTable);  // cleared by the check
    ASSERT_TRUE(config.CheckQcomFiles());

    EXPECT_EQ(Texts(), (std::vector<std::wstring>{
                           L"prog_emmc_firehose_8974.mbn   0.00Mb ok",
                           L"          patch0.xml   0.00Mb ok",
                           L"rawprogram_unsparse.xml   0.00Mb ok",
                           L"       gpt_main0.bin   0.02Mb ok",
                           L"            sbl1.mbn   0.00Mb ok",
                           L"        NON-HLOS.bin   0.00Mb ok",
                           L"            boot.img   0.00Mb ok",
                           L"          system.img   0.00Mb ok",
                           L"           udisk.img   0.00Mb ok",
                           L"          usbmsc.img   0.00Mb ok",
                           L"        userdata.img   0.00Mb ok",
                           L"           cache.img   0.00Mb ok",
                           L"     gpt_backup0.bin   0.02Mb ok",
                           L"Rom size:0.05 Mb",
                       }));
    for (const CapturedReport& report : Reports()) {
        EXPECT_EQ(report.code, 0x62);
        EXPECT_EQ(report.length, report.text.size());
    }

    // The partition with an empty file name is neither looked up nor counted.
    const ImageTable& table = g_imageTable;
    EXPECT_EQ(config.qcom.imageTable, &table);
    ASSERT_EQ(table.count, 10);
    const wchar_t* const images[] = {
        L"gpt_main0.bin", L"sbl1.mbn",   L"bp_image\\NON-HLOS.bin", L"boot.img",  L"system.img",
        L"udisk.img",     L"usbmsc.img", L"userdata.img",           L"cache.img", L"gpt_backup0.bin"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(std::string(table.imagePaths[i]), WideToAnsi(folder + L"\\" + images[i]));
    }
    EXPECT_TRUE(AllZero(reinterpret_cast<const uint8_t*>(table.imagePaths[10]),
                        sizeof table.imagePaths - 10 * sizeof table.imagePaths[0]));
    EXPECT_EQ(std::string(table.rawprogramPath), WideToAnsi(folder + L"\\rawprogram_unsparse.xml"));
    EXPECT_EQ(std::string(table.patchPath), WideToAnsi(folder + L"\\patch0.xml"));
    EXPECT_STREQ(table.cdtRawprogramPath, "");
    EXPECT_STREQ(table.cdtPatchPath, "");
    EXPECT_TRUE(AllZero(table.reserved, sizeof table.reserved));
    EXPECT_EQ(table.listMode, 1);
    EXPECT_DOUBLE_EQ(config.qcom.romSizeMb, 52224.0 / 1048576.0);

    // A second check rebuilds the table rather than adding to it.
    ASSERT_TRUE(config.CheckQcomFiles());
    EXPECT_EQ(table.count, 10);
}

TEST_F(QcomFilesTest, FireHoseProgrammerMustBeConfiguredAndPresent) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    const std::wstring programmer = folder + L"\\prog_emmc_firehose_8974.mbn";

    WriteFile(programmer, "");  // 0 bytes counts as missing
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Can't Find prog_emmc_firehose_8974.mbn");
    EXPECT_EQ(Reports().size(), 1u);

    DeleteFileW(programmer.c_str());
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Can't Find prog_emmc_firehose_8974.mbn");

    // Found in bp_image.
    MakeFolders(folder + L"\\bp_image");
    WriteFiller(folder + L"\\bp_image\\prog_emmc_firehose_8974.mbn", 100);
    recorder.Clear();
    EXPECT_TRUE(config.CheckQcomFiles());

    config.qcom.fireHoseProgrammer[0] = '\0';
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Models configured incorrectly! [FireHoseMPRGFile]");
    EXPECT_EQ(Reports().size(), 1u);
}

TEST_F(QcomFilesTest, SaharaPackageChecksProgrammerAndImageAndReadsListsFromBpImage) {
    const std::wstring folder = LoadPackage(L"SampleSH8x26");
    ASSERT_TRUE(config.CheckQcomFiles());
    const std::vector<std::wstring> texts = Texts();
    ASSERT_EQ(texts.size(), 11u);
    EXPECT_EQ(texts[0], L"        MPRG8626.mbn   0.00Mb ok");
    EXPECT_EQ(texts[1], L"    8626_msimage.mbn   0.00Mb ok");
    EXPECT_EQ(texts[2], L"          patch0.xml   0.00Mb ok");
    EXPECT_EQ(texts[3], L"rawprogram_unsparse.xml   0.00Mb ok");
    EXPECT_EQ(texts[10], L"Rom size:0.04 Mb");
    EXPECT_EQ(std::string(g_imageTable.patchPath), WideToAnsi(folder + L"\\bp_image\\patch0.xml"));
    EXPECT_EQ(std::string(g_imageTable.rawprogramPath), WideToAnsi(folder + L"\\bp_image\\rawprogram_unsparse.xml"));
    EXPECT_EQ(g_imageTable.count, 6);

    DeleteFileW((folder + L"\\bp_image\\8626_msimage.mbn").c_str());
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Can't Find 8626_msimage.mbn");
    EXPECT_EQ(Reports().size(), 2u);

    config.qcom.saharaImage[0] = '\0';
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Models configured incorrectly![SaharaHexFile]");

    config.qcom.saharaProgrammer[0] = '\0';
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Models configured incorrectly![SaharaMPRGFile]");
    EXPECT_EQ(Reports().size(), 1u);

    std::strcpy(config.qcom.saharaProgrammer, "MPRG_missing.mbn");
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Can't Find MPRG_missing.mbn");
}

TEST_F(QcomFilesTest, AutomaticTypeChecksNoProgrammerButNeedsBothLists) {
    const std::wstring folder = LoadPackage(L"SampleAuto8974");
    ASSERT_TRUE(config.CheckQcomFiles());
    ASSERT_EQ(Reports().size(), 7u);
    EXPECT_EQ(Reports()[0].text, L"          patch0.xml   0.00Mb ok");
    EXPECT_EQ(Reports()[6].text, L"Rom size:0.04 Mb");

    DeleteFileW((folder + L"\\rawprogram_unsparse.xml").c_str());
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Can't Find rawprogram_unsparse.xml");
    EXPECT_EQ(g_imageTable.listMode, 1);  // what was filled before the failure stays
    EXPECT_STREQ(g_imageTable.rawprogramPath, "");

    DeleteFileW((folder + L"\\patch0.xml").c_str());
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Can't Find patch0.xml");
    EXPECT_EQ(Reports().size(), 1u);
    EXPECT_EQ(g_imageTable.listMode, 0);

    config.qcom.patchFile[0] = '\0';
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Models configured incorrectly![Patch NULL]");

    std::strcpy(config.qcom.patchFile, "patch0.xml");
    CopyTree(FixturesDir() + L"\\packages\\SampleAuto8974\\patch0.xml", folder);
    config.qcom.rawprogramFile[0] = '\0';
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Models configured incorrectly! [szRawprogramfile]");
    EXPECT_EQ(Reports().size(), 2u);
}

TEST_F(QcomFilesTest, MissingAndEmptyImagesAreNotFound) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    DeleteFileW((folder + L"\\boot.img").c_str());
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"            boot.img No Find!");
    EXPECT_EQ(g_imageTable.count, 3);  // the images before it
    EXPECT_STREQ(g_imageTable.imagePaths[3], "");

    WriteFile(folder + L"\\boot.img", "");
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"            boot.img No Find!");

    // An image that is neither in the folder nor in bp_image.
    WriteFiller(folder + L"\\boot.img", 10);
    DeleteFileW((folder + L"\\bp_image\\NON-HLOS.bin").c_str());
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"        NON-HLOS.bin No Find!");
}

TEST_F(QcomFilesTest, BrokenPartitionListIsReported) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    const std::wstring list = folder + L"\\rawprogram_unsparse.xml";
    WriteFile(list, "<data><program filename=\"boot.img\" label=\"boot\"></data");
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Open " + list + L" Fail!");

    double total = 0.0;
    recorder.Clear();
    EXPECT_FALSE(config.CheckImageList((folder + L"\\none.xml").c_str(), total));
    ExpectOnlyFailure(L"Open " + folder + L"\\none.xml Fail!");
    EXPECT_FALSE(config.CheckImageList(nullptr, total));
    EXPECT_EQ(total, 0.0);
}

TEST_F(QcomFilesTest, SelectingTheFullListNeedsNoFile) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    config.forUser = 1;
    config.mtkParams.fullPackage = 0;
    config.qcom.patchFile[0] = '\0';
    config.SelectRawProgram(1);
    EXPECT_EQ(config.forUser, 0);
    EXPECT_STREQ(config.qcom.rawprogramFile, "rawprogram_unsparse.xml");
    EXPECT_STREQ(config.qcom.patchFile, "patch0.xml");
    EXPECT_EQ(config.mtkParams.fullPackage, 1);
    EXPECT_FALSE(FileExists(folder + L"\\" + kUserList));
    EXPECT_TRUE(Reports().empty());
}

TEST_F(QcomFilesTest, KeepingUserDataWritesTheUserListWithStoragePartitionsBlanked) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    config.SelectRawProgram(0);
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(config.forUser, 1);
    EXPECT_STREQ(config.qcom.rawprogramFile, "rawprogram_unsparse_for_User.xml");
    EXPECT_STREQ(config.qcom.patchFile, "patch0.xml");

    // Only the file names of "udisk" and "usbmsc" change; "userdata" and the
    // differently cased "UDISK" keep theirs, everything else stays in place.
    std::string expected = ReadFile(folder + L"\\rawprogram_unsparse.xml");
    expected = Replaced(expected, "filename=\"udisk.img\"", "filename=\"\"");
    expected = Replaced(expected, "filename=\"usbmsc.img\"", "filename=\"\"");
    EXPECT_EQ(ReadFile(folder + L"\\" + kUserList), expected);

    ASSERT_TRUE(config.CheckQcomFiles());
    EXPECT_EQ(Reports()[2].text, L"rawprogram_unsparse_for_User.xml   0.00Mb ok");
    EXPECT_EQ(g_imageTable.count, 8);
    EXPECT_EQ(std::string(g_imageTable.rawprogramPath), WideToAnsi(folder + L"\\" + kUserList));
    EXPECT_DOUBLE_EQ(config.qcom.romSizeMb, (52224.0 - 2048.0) / 1048576.0);
}

// Sets the file's last write time to the given 100 ns count.
void SetWriteTime(const std::wstring& path, uint64_t ticks) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

TEST_F(QcomFilesTest, AUserListLeftByAnotherReleaseIsMadeAfreshThoughItIsNewer) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    const std::wstring userList = folder + L"\\" + kUserList;
    const std::wstring fullList = folder + L"\\rawprogram_unsparse.xml";
    // An earlier release's list, unpacked with its archived (later) time.
    constexpr uint64_t kSomeDay = 132000000000000000ull;
    WriteFile(userList, ListOf(ProgramElement("boot.img", "boot", 0)));
    SetWriteTime(fullList, kSomeDay);
    SetWriteTime(userList, kSomeDay + 10000000);
    EXPECT_TRUE(config.SelectRawProgram(2));  // any flag but 1 keeps the user's data
    EXPECT_EQ(config.forUser, 1);
    std::string expected = ReadFile(fullList);
    expected = Replaced(expected, "filename=\"udisk.img\"", "filename=\"\"");
    expected = Replaced(expected, "filename=\"usbmsc.img\"", "filename=\"\"");
    EXPECT_EQ(ReadFile(userList), expected);
    EXPECT_TRUE(Reports().empty());
}

TEST_F(QcomFilesTest, UserListFromBpImageIsWrittenBesideThePackageFiles) {
    const std::wstring folder = LoadPackage(L"SampleSH8x26");
    config.SelectRawProgram(0);
    EXPECT_TRUE(Reports().empty());
    EXPECT_FALSE(FileExists(folder + L"\\bp_image\\" + kUserList));
    std::string expected = ReadFile(folder + L"\\bp_image\\rawprogram_unsparse.xml");
    expected = Replaced(expected, "filename=\"udisk.img\"", "filename=\"\"");
    EXPECT_EQ(ReadFile(folder + L"\\" + kUserList), expected);
}

TEST_F(QcomFilesTest, CheckMakesTheMissingUserListWithUserDataBlankedToo) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    config.SelectRawProgram(0);
    DeleteFileW((folder + L"\\" + kUserList).c_str());
    recorder.Clear();

    ASSERT_TRUE(config.CheckQcomFiles());
    std::string expected = ReadFile(folder + L"\\rawprogram_unsparse.xml");
    expected = Replaced(expected, "filename=\"udisk.img\"", "filename=\"\"");
    expected = Replaced(expected, "filename=\"usbmsc.img\"", "filename=\"\"");
    expected = Replaced(expected, "filename=\"userdata.img\"", "filename=\"\"");
    EXPECT_EQ(ReadFile(folder + L"\\" + kUserList), expected);
    EXPECT_EQ(g_imageTable.count, 7);
    EXPECT_EQ(std::string(g_imageTable.rawprogramPath), WideToAnsi(folder + L"\\" + kUserList));
    EXPECT_EQ(Reports()[2].text, L"rawprogram_unsparse_for_User.xml   0.00Mb ok");
}

TEST_F(QcomFilesTest, UserListCannotBeMadeWithoutTheFullList) {
    const std::wstring folder = LoadPackage(L"SampleFH8974");
    DeleteFileW((folder + L"\\rawprogram_unsparse.xml").c_str());
    EXPECT_FALSE(config.SelectRawProgram(0));
    // The selection stays; making the list failed with its own report.
    EXPECT_EQ(config.forUser, 1);
    EXPECT_STREQ(config.qcom.rawprogramFile, "rawprogram_unsparse_for_User.xml");
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].code, 0x63);
    EXPECT_EQ(Reports()[0].text, L"Can't Find rawprogram_unsparse.xml");

    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ASSERT_EQ(Reports().size(), 4u);
    EXPECT_EQ(Reports()[2].text, L"Can't Find rawprogram_unsparse.xml");
    EXPECT_EQ(Reports()[3].text, L"Can't Find rawprogram_unsparse_for_User.xml");

    WriteFile(folder + L"\\rawprogram_unsparse.xml", "<data><program filename=\"a\">");
    recorder.Clear();
    EXPECT_FALSE(config.MakeUserRawProgram());
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].text, L"Open " + folder + L"\\rawprogram_unsparse.xml Fail");
    EXPECT_FALSE(FileExists(folder + L"\\" + kUserList));
}

TEST_F(QcomFilesTest, MediaTekSelectionOnlySetsTheFullPackageByte) {
    ASSERT_TRUE(config.LoadPhoneConfig(Package(L"SampleMT6582").c_str()));
    config.SelectRawProgram(0);
    EXPECT_EQ(config.mtkParams.fullPackage, 0);
    config.SelectRawProgram(7);
    EXPECT_EQ(config.mtkParams.fullPackage, 1);
    EXPECT_EQ(config.forUser, 0);
    EXPECT_STREQ(config.qcom.rawprogramFile, "");
    EXPECT_STREQ(config.qcom.patchFile, "");
    EXPECT_TRUE(Reports().empty());
}

TEST_F(QcomFilesTest, SixHundredImagesKeep512PathsAndCountAll) {
    const std::wstring folder = scratch.Child(L"SampleAuto8974", true);
    WriteInfoFile(folder, "SampleAuto8974");
    CopyTree(FixturesDir() + L"\\packages\\SampleAuto8974\\patch0.xml", folder);
    std::string programs;
    double expectedTotal = 0.0;
    for (int i = 0; i < 600; ++i) {
        const std::string name = "img" + std::to_string(i) + ".bin";
        programs += ProgramElement(name, "part" + std::to_string(i), i * 8);
        const size_t size = 1024 + static_cast<size_t>(i);
        WriteFiller(folder + L"\\" + AnsiToWide(name), size);
        expectedTotal += static_cast<double>(size) / 1048576.0;
    }
    WriteFile(folder + L"\\rawprogram_unsparse.xml", ListOf(programs));
    ASSERT_TRUE(config.LoadPhoneConfig(folder.c_str()));
    recorder.Clear();

    ASSERT_TRUE(config.CheckQcomFiles());
    EXPECT_EQ(g_imageTable.count, 600);
    EXPECT_EQ(std::string(g_imageTable.imagePaths[0]), WideToAnsi(folder + L"\\img0.bin"));
    EXPECT_EQ(std::string(g_imageTable.imagePaths[511]), WideToAnsi(folder + L"\\img511.bin"));
    EXPECT_EQ(std::string(g_imageTable.rawprogramPath), WideToAnsi(folder + L"\\rawprogram_unsparse.xml"));
    EXPECT_DOUBLE_EQ(config.qcom.romSizeMb, expectedTotal);
    ASSERT_EQ(Reports().size(), 603u);
    EXPECT_EQ(Reports()[601].text, OkLine(L"img599.bin", L"  0.00"));
    EXPECT_EQ(Reports()[602].text, FormatWide(L"Rom size:%0.2f Mb", expectedTotal));
    EXPECT_EQ(Reports()[602].text, L"Rom size:0.76 Mb");
}

TEST_F(QcomFilesTest, ImagePathsAreBoundedByTheTable) {
    // A package folder whose image paths reach 255, 256, 259 and 260
    // characters through a long sub-folder.
    const std::wstring folder = scratch.Child(L"pkg", true);
    const size_t subLength = 239 - folder.size();
    const std::wstring sub(subLength, L's');
    MakeFolders(folder + L"\\" + sub);
    const std::wstring prefix = folder + L"\\" + sub + L"\\";  // 241 characters
    ASSERT_EQ(prefix.size(), 241u);
    const std::wstring name255 = sub + L"\\" + std::wstring(14, L'a');
    const std::wstring name256 = sub + L"\\" + std::wstring(15, L'b');
    WriteFiller(folder + L"\\" + name255, 64);
    WriteFiller(folder + L"\\" + name256, 64);
    ASSERT_TRUE(FileExists(folder + L"\\" + name256));
    std::wstring(folder).copy(config.softwareFolder, folder.size());
    config.softwareFolder[folder.size()] = L'\0';

    const std::wstring list = scratch.Child(L"list.xml");
    std::memset(&g_imageTable, 0, sizeof g_imageTable);
    WriteFile(list, ListOf(ProgramElement(WideToAnsi(name255), "a", 0) + ProgramElement(WideToAnsi(name256), "b", 8)));
    double total = 0.0;
    EXPECT_FALSE(config.CheckImageList(list.c_str(), total));
    EXPECT_EQ(g_imageTable.count, 1);
    EXPECT_EQ(std::strlen(g_imageTable.imagePaths[0]), 255u);
    EXPECT_STREQ(g_imageTable.imagePaths[1], "");
    ExpectOnlyFailure(L"Path too long! " + folder + L"\\" + name256);

    // 259 characters are looked up; the place in bp_image would pass the
    // limit, so a missing file is reported as a path too long.
    const std::wstring name259 = sub + L"\\" + std::wstring(18, L'c');
    const std::wstring name260 = sub + L"\\" + std::wstring(19, L'd');
    WriteFile(list, ListOf(ProgramElement(WideToAnsi(name259), "c", 0)));
    recorder.Clear();
    EXPECT_FALSE(config.CheckImageList(list.c_str(), total));
    ExpectOnlyFailure(L"Path too long! " + folder + L"\\bp_image\\" + name259);
    WriteFiller(folder + L"\\" + name259, 64);
    recorder.Clear();
    EXPECT_FALSE(config.CheckImageList(list.c_str(), total));  // found, but not for the table
    ExpectOnlyFailure(L"Path too long! " + folder + L"\\" + name259);
    WriteFile(list, ListOf(ProgramElement(WideToAnsi(name260), "d", 0)));
    recorder.Clear();
    EXPECT_FALSE(config.CheckImageList(list.c_str(), total));
    ExpectOnlyFailure(L"Path too long! " + folder + L"\\" + name260);
}

TEST_F(QcomFilesTest, ListAndProgrammerPathsAreBounded) {
    LoadPackage(L"SampleAuto8974");
    // A folder that leaves the patch list's path at 256 characters.
    const std::wstring base = scratch.Child(L"deep", true);
    const std::wstring folder = base + L"\\" + std::wstring(256 - 11 - base.size() - 1, L'p');
    MakeFolders(folder);
    CopyTree(FixturesDir() + L"\\packages\\SampleAuto8974\\patch0.xml", folder);
    ASSERT_EQ((folder + L"\\patch0.xml").size(), 256u);
    std::wstring(folder).copy(config.softwareFolder, folder.size());
    config.softwareFolder[folder.size()] = L'\0';
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Path too long! " + folder + L"\\patch0.xml");
    EXPECT_STREQ(g_imageTable.patchPath, "");

    // The programmer's path would pass 259 characters.
    config.qcom.downLoadType = DOWNLOAD_FIREHOSE;
    recorder.Clear();
    EXPECT_FALSE(config.CheckQcomFiles());
    ExpectOnlyFailure(L"Path too long! " + folder + L"\\prog_emmc_firehose_8974.mbn");
    EXPECT_EQ(Reports().size(), 1u);
}
