#include <cstring>

#include "PhoneConfigTestBase.h"
#include "TextFormat.h"

using namespace configtest;

namespace {

std::wstring Repeat(const wchar_t* unit, size_t count) {
    std::wstring text;
    for (size_t i = 0; i < count; ++i) {
        text += unit;
    }
    return text;
}

}  // namespace

TEST_F(PhoneConfigTest, InitGivesTheFirstState) {
    CPhoneConfig fresh;
    std::memset(&fresh, 0x5A, sizeof fresh);
    fresh.Init();
    EXPECT_EQ(std::wstring(fresh.exeFolder), ProgramFolder());
    EXPECT_NE(fresh.exeFolder[std::wcslen(fresh.exeFolder) - 1], L'\\');
    EXPECT_EQ(fresh.platform, PLATFORM_QCOM);
    EXPECT_EQ(fresh.forUser, 0);
    EXPECT_EQ(fresh.qcom.timeOut, 60);
    EXPECT_EQ(fresh.qcom.imageTable, &g_imageTable);
    EXPECT_EQ(fresh.qcom.downLoadType, 0);
    EXPECT_EQ(fresh.qcom.romSizeMb, 0.0);
    EXPECT_STREQ(fresh.qcom.rawprogramFile, "");
    EXPECT_EQ(fresh.mtkParams.daPath, fresh.daPath);
    EXPECT_EQ(fresh.mtkParams.scatterPath, fresh.scatterPath);
    EXPECT_EQ(fresh.mtkParams.fullPackage, 1);
    EXPECT_EQ(fresh.mtkParams.attributesRead, 0);
    EXPECT_EQ(fresh.mtkParams.connectTimeout, 0u);
    EXPECT_EQ(fresh.mtkParams.reportCallback, nullptr);
    EXPECT_EQ(fresh.versionName[0], L'\0');
    EXPECT_EQ(fresh.reportCallback, nullptr);
}

TEST_F(PhoneConfigTest, ReportsCarryCodeLengthAndText) {
    config.SendMessage(L"Rom size:1.00 Mb", MSG_PROGRESS_LINE);
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].code, 0x62);
    EXPECT_EQ(Reports()[0].text, L"Rom size:1.00 Mb");
    EXPECT_EQ(Reports()[0].length, 16);
    EXPECT_EQ(config.message.code, 0x62);
    EXPECT_EQ(config.message.value, 0);

    // Without a callback nothing is sent and nothing breaks.
    config.reportCallback = nullptr;
    config.SendMessage(L"dropped", MSG_FAILURE);
    EXPECT_FALSE(config.LoadPhoneConfig(L""));
    EXPECT_EQ(Reports().size(), 1u);
}

TEST_F(PhoneConfigTest, RejectsAMissingFolderName) {
    EXPECT_FALSE(config.LoadPhoneConfig(nullptr));
    EXPECT_FALSE(config.LoadPhoneConfig(L""));
    ASSERT_EQ(Reports().size(), 2u);
    for (const CapturedReport& report : Reports()) {
        EXPECT_EQ(report.code, 0x43);
        EXPECT_EQ(report.text, L"Please select the software path!");
    }
}

TEST_F(PhoneConfigTest, SelectsTheFireHoseRowAndFillsTheQualcommBlock) {
    const std::wstring folder = Package(L"SampleFH8974");
    ASSERT_TRUE(config.LoadPhoneConfig(folder.c_str()));
    EXPECT_TRUE(Reports().empty());

    EXPECT_EQ(std::wstring(config.versionName), L"SampleFH8974");
    EXPECT_EQ(std::wstring(config.softwareFolder), folder);
    // The first of two rows with this MachineType wins (matched ignoring case).
    EXPECT_EQ(std::wstring(config.externalType), L"样机 FH8974");
    EXPECT_EQ(std::wstring(config.picName), L"sample_fh8974.png");
    EXPECT_EQ(config.checkSw, 1);
    EXPECT_EQ(config.checkPhoneVar, 0);
    EXPECT_EQ(config.platform, PLATFORM_QCOM);

    const QcomConfigBlock& qcom = config.qcom;
    EXPECT_EQ(qcom.downLoadType, DOWNLOAD_FIREHOSE);
    EXPECT_EQ(std::string(qcom.softwarePath), WideToAnsi(folder));
    EXPECT_STREQ(qcom.rawprogramFile, "rawprogram_unsparse.xml");
    EXPECT_STREQ(qcom.patchFile, "patch0.xml");
    EXPECT_STREQ(qcom.fireHoseProgrammer, "prog_emmc_firehose_8974.mbn");
    EXPECT_STREQ(qcom.saharaProgrammer, "MPRG8974.mbn");
    EXPECT_STREQ(qcom.saharaImage, "8974_msimage.mbn");
    EXPECT_STREQ(qcom.fireHose.maxPayloadSize, "49152");
    EXPECT_STREQ(qcom.fireHose.memoryName, "eMMC");
    EXPECT_STREQ(qcom.fireHose.targetName, "8974");
    EXPECT_STREQ(qcom.fireHose.ackRawDataEveryNumPackets, "100");
    for (uint8_t flag : qcom.fireHose.flags) {
        EXPECT_EQ(flag, 0);
    }
    EXPECT_EQ(qcom.cdtFlag, 0);
    EXPECT_STREQ(qcom.cdtRawprogramFile, "");
    EXPECT_EQ(qcom.timeOut, 60);
    EXPECT_EQ(config.forUser, 0);
    EXPECT_EQ(config.mtkParams.fullPackage, 1);
}

TEST_F(PhoneConfigTest, MixedCaseAttributesSelectSaharaAnd8x26) {
    config.forUser = 1;
    config.mtkParams.fullPackage = 0;
    ASSERT_TRUE(config.LoadPhoneConfig(Package(L"SampleSH8x26").c_str()));
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(std::wstring(config.versionName), L"SampleSH8x26");
    EXPECT_EQ(config.platform, PLATFORM_QCOM);
    EXPECT_EQ(config.qcom.downLoadType, DOWNLOAD_SAHARA);
    EXPECT_STREQ(config.qcom.fireHoseProgrammer, "prog_emmc_firehose_8x26.mbn");
    EXPECT_STREQ(config.qcom.fireHose.targetName, "8x26");
    EXPECT_STREQ(config.qcom.saharaProgrammer, "MPRG8626.mbn");
    EXPECT_STREQ(config.qcom.saharaImage, "8626_msimage.mbn");
    EXPECT_EQ(config.checkSw, 1);  // missing means on
    EXPECT_EQ(config.checkPhoneVar, 1);
    EXPECT_EQ(config.forUser, 0);
    EXPECT_EQ(config.mtkParams.fullPackage, 1);
}

TEST_F(PhoneConfigTest, AnyOtherDownLoadTypeIsAutomatic) {
    ASSERT_TRUE(config.LoadPhoneConfig(Package(L"SampleAuto8974").c_str()));
    EXPECT_EQ(config.qcom.downLoadType, DOWNLOAD_AUTO);
    EXPECT_EQ(config.checkSw, 0);  // "FALSE"
    EXPECT_STREQ(config.qcom.fireHose.targetName, "8974");
}

TEST_F(PhoneConfigTest, WithoutInformationFileTheFolderNameIsTheModelKey) {
    const std::wstring folder = scratch.Child(L"Parent\\SampleAuto8974", true);
    ASSERT_TRUE(config.LoadPhoneConfig(folder.c_str()));
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].code, 0x43);
    EXPECT_EQ(Reports()[0].text, L"Please select the correct software path!");
    EXPECT_EQ(std::wstring(config.versionName), L"SampleAuto8974");
    EXPECT_EQ(config.qcom.downLoadType, DOWNLOAD_AUTO);
}

TEST_F(PhoneConfigTest, AnEmptyVersionIsRefused) {
    // An information file without the section gives an empty version.
    const std::wstring folder = scratch.Child(L"NoSection", true);
    WriteFile(folder + L"\\Quorel_info.ini", "[other]\r\nVER=SampleFH8974\r\n");
    EXPECT_FALSE(config.LoadPhoneConfig(folder.c_str()));
    // A folder name that ends in a back slash has no last component.
    EXPECT_FALSE(config.LoadPhoneConfig((scratch.Child(L"missing") + L"\\").c_str()));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"Please select the correct software path!",
                                                  L"Please select the correct software path!",
                                                  L"Please select the correct software path!"}));
    for (const CapturedReport& report : Reports()) {
        EXPECT_EQ(report.code, 0x43);
    }
}

TEST_F(PhoneConfigTest, AnUnknownModelIsNotSupported) {
    const std::wstring folder = scratch.Child(L"Unknown", true);
    WriteInfoFile(folder, "AP:PLAINMODEL9 V1");
    EXPECT_FALSE(config.LoadPhoneConfig(folder.c_str()));
    EXPECT_EQ(std::wstring(config.versionName), L"PLAINMODEL9");
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].code, 0x63);
    EXPECT_EQ(Reports()[0].text, L"Does not support the phone model!");
    // Only elements named Phone are rows.
    WriteInfoFile(folder, "SampleNotAPhone");
    EXPECT_FALSE(config.LoadPhoneConfig(folder.c_str()));
    EXPECT_EQ(Reports().back().text, L"Does not support the phone model!");
    EXPECT_EQ(config.softwareFolder[0], L'\0');
}

TEST_F(PhoneConfigTest, AMissingOrBrokenPhoneListIsReportedMissing) {
    const std::wstring package = Package(L"SampleFH8974");
    UseExeFolder(scratch.Child(L"empty_program", true));
    EXPECT_FALSE(config.LoadPhoneConfig(package.c_str()));

    const std::wstring broken = scratch.Child(L"broken_program", true);
    WriteFile(broken + L"\\PhoneList.Xml", "<PhoneInfo><Phone MachineType=\"SampleFH8974\" Platform=\"Qcom\"/>");
    UseExeFolder(broken);
    EXPECT_FALSE(config.LoadPhoneConfig(package.c_str()));
    WriteFile(broken + L"\\PhoneList.Xml", "<PhoneInfo/><PhoneInfo/>");
    EXPECT_FALSE(config.LoadPhoneConfig(package.c_str()));
    WriteFile(broken + L"\\PhoneList.Xml", "");
    EXPECT_FALSE(config.LoadPhoneConfig(package.c_str()));

    ASSERT_EQ(Reports().size(), 4u);
    for (const CapturedReport& report : Reports()) {
        EXPECT_EQ(report.code, 0x43);
        EXPECT_EQ(report.text, L"Phone configuration file is missing!");
    }
}

TEST_F(PhoneConfigTest, ReadsTheMediaTekRow) {
    const std::wstring folder = Package(L"SampleMT6582");
    ASSERT_TRUE(config.LoadPhoneConfig(folder.c_str()));
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(std::wstring(config.versionName), L"SampleMT6582");
    EXPECT_EQ(config.platform, PLATFORM_MTK);
    EXPECT_EQ(config.checkPhoneVar, 0);
    EXPECT_EQ(std::string(config.daPath), WideToAnsi(exeFolder + L"\\SAMPLE_MTK_DA.bin"));
    EXPECT_TRUE(FileExists(AnsiToWide(config.daPath)));
    EXPECT_EQ(std::string(config.scatterPath), WideToAnsi(folder + L"\\MT6582_Android_scatter.txt"));
    EXPECT_TRUE(FileExists(AnsiToWide(config.scatterPath)));
    const MtkInitParams& mtk = config.mtkParams;
    EXPECT_EQ(mtk.attributesRead, 1);
    EXPECT_EQ(mtk.attributesReadByte, 1u);
    EXPECT_EQ(mtk.reserved8, 0);
    EXPECT_EQ(mtk.connectTimeout, 30000u);
    EXPECT_EQ(mtk.daPath, config.daPath);
    EXPECT_EQ(mtk.scatterPath, config.scatterPath);
    EXPECT_EQ(mtk.reserved28, 0);
    EXPECT_EQ(mtk.reserved30, 0);
}

TEST_F(PhoneConfigTest, AMediaTekRowWithoutItsFilesFailsAndForgetsTheEarlierModel) {
    ASSERT_TRUE(config.LoadPhoneConfig(Package(L"SampleMT6582").c_str()));

    const std::wstring noDa = scratch.Child(L"NoDA", true);
    WriteInfoFile(noDa, "SampleMT6582NoDA");
    EXPECT_FALSE(config.LoadPhoneConfig(noDa.c_str()));
    EXPECT_EQ(config.platform, PLATFORM_MTK);
    EXPECT_STREQ(config.daPath, "");
    EXPECT_STREQ(config.scatterPath, "");
    EXPECT_EQ(config.mtkParams.attributesRead, 0);
    EXPECT_EQ(config.mtkParams.attributesReadByte, 0u);
    EXPECT_EQ(config.mtkParams.connectTimeout, 100u);

    ASSERT_TRUE(config.LoadPhoneConfig(Package(L"SampleMT6582").c_str()));
    const std::wstring noScatter = scratch.Child(L"NoScatter", true);
    WriteInfoFile(noScatter, "SampleMT6582NoScatter");
    EXPECT_FALSE(config.LoadPhoneConfig(noScatter.c_str()));
    EXPECT_STREQ(config.scatterPath, "");
    EXPECT_EQ(config.mtkParams.attributesRead, 0);
    EXPECT_EQ(config.mtkParams.connectTimeout, 0u);  // missing gives 0

    ASSERT_EQ(Reports().size(), 2u);
    EXPECT_EQ(Reports()[0].code, 0x63);
    EXPECT_EQ(Reports()[0].text, L"DA Not configured!");
    EXPECT_EQ(Reports()[1].code, 0x63);
    EXPECT_EQ(Reports()[1].text, L"Scatter Not configured!");
}

TEST_F(PhoneConfigTest, AnotherPlatformReadsNothingMore) {
    const std::wstring folder = scratch.Child(L"Other", true);
    WriteInfoFile(folder, "SampleOther");
    ASSERT_TRUE(config.LoadPhoneConfig(folder.c_str()));
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(config.platform, PLATFORM_NONE);
    EXPECT_EQ(std::wstring(config.externalType), L"Sample of another platform");
    EXPECT_STREQ(config.qcom.rawprogramFile, "");
}

TEST_F(PhoneConfigTest, FolderPathsAreBoundedByTheirFields) {
    // 259 characters fit the wide field and, in ASCII, the narrow one.
    const std::wstring tail = L"\\SampleFH8974";
    std::wstring fits = L"C:\\" + std::wstring(259 - 3 - tail.size(), L'd') + tail;
    ASSERT_EQ(fits.size(), 259u);
    ASSERT_TRUE(config.LoadPhoneConfig(fits.c_str()));
    EXPECT_EQ(std::wstring(config.softwareFolder), fits);
    EXPECT_EQ(std::string(config.qcom.softwarePath), WideToAnsi(fits));

    const std::wstring tooLong = L"C:\\" + std::wstring(260 - 3 - tail.size(), L'd') + tail;
    recorder.Clear();
    EXPECT_FALSE(config.LoadPhoneConfig(tooLong.c_str()));
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].code, 0x43);
    EXPECT_EQ(Reports()[0].text, L"Path too long! " + tooLong);
    EXPECT_EQ(std::wstring(config.softwareFolder), fits);

    // Short in characters, too long in the ANSI code page (two bytes each).
    const std::wstring chinese = L"C:\\" + Repeat(L"样", 130) + tail;
    ASSERT_LT(chinese.size(), 260u);
    recorder.Clear();
    EXPECT_FALSE(config.LoadPhoneConfig(chinese.c_str()));
    ASSERT_EQ(Reports().size(), 2u);
    EXPECT_EQ(Reports()[0].text, L"Please select the correct software path!");
    EXPECT_EQ(Reports()[1].code, 0x63);
    EXPECT_EQ(Reports()[1].text, L"Path too long! " + chinese);
    EXPECT_STREQ(config.qcom.softwarePath, "");
}

TEST_F(PhoneConfigTest, AnOverlongDownloadAgentPathIsRefused) {
    const std::wstring program = scratch.Child(L"long_program", true);
    const std::string daName(250, 'a');
    WriteFile(program + L"\\PhoneList.Xml", "<PhoneInfo><Phone MachineType=\"LongDA\" Platform=\"MTK\" DAPath=\"" +
                                                daName + "\" Scatter=\"s.txt\"/></PhoneInfo>");
    UseExeFolder(program);
    const std::wstring folder = scratch.Child(L"LongDA", true);
    EXPECT_FALSE(config.LoadPhoneConfig(folder.c_str()));
    ASSERT_EQ(Reports().size(), 2u);
    EXPECT_EQ(Reports()[1].code, 0x63);
    EXPECT_EQ(Reports()[1].text, L"Path too long! " + program + L"\\" + std::wstring(daName.begin(), daName.end()));
    EXPECT_STREQ(config.daPath, "");
    EXPECT_EQ(config.mtkParams.attributesRead, 0);
}

TEST_F(PhoneConfigTest, LongRowTextsAreCut) {
    const std::wstring program = scratch.Child(L"long_row", true);
    WriteFile(program + L"\\PhoneList.Xml",
              "<PhoneInfo><Phone MachineType=\"LongRow\" Platform=\"none\" ExternalType=\"" + std::string(300, 'e') +
                  "\" PicName=\"" + std::string(270, 'p') + "\"/></PhoneInfo>");
    UseExeFolder(program);
    const std::wstring folder = scratch.Child(L"LongRow", true);
    WriteInfoFile(folder, "AP:LongRow" + std::string(300, 'x'));
    // The version text is read cut to 259 characters, so the row does not
    // match; the name is what is left after "AP:".
    EXPECT_FALSE(config.LoadPhoneConfig(folder.c_str()));
    EXPECT_EQ(std::wstring(config.versionName), L"LongRow" + std::wstring(249, L'x'));
    EXPECT_EQ(Reports().back().text, L"Does not support the phone model!");

    WriteInfoFile(folder, "LongRow");
    ASSERT_TRUE(config.LoadPhoneConfig(folder.c_str()));
    EXPECT_EQ(std::wstring(config.externalType), std::wstring(259, L'e'));
    EXPECT_EQ(std::wstring(config.picName), std::wstring(259, L'p'));
}

TEST_F(PhoneConfigTest, GetExternalTypeFindsTheModelName) {
    wchar_t name[128];
    EXPECT_TRUE(config.GetExternalType(L"samplefh8974", name));
    EXPECT_EQ(std::wstring(name), L"样机 FH8974");
    EXPECT_TRUE(config.GetExternalType(L"SampleMT6582", name));
    EXPECT_EQ(std::wstring(name), L"Sample MT6582");
}

TEST_F(PhoneConfigTest, GetExternalTypeFallsBackToTheKey) {
    wchar_t name[128];
    EXPECT_FALSE(config.GetExternalType(L"NOSUCHMODEL", name));
    EXPECT_EQ(std::wstring(name), L"NOSUCHMODEL");
    EXPECT_FALSE(config.GetExternalType(L"", name));
    EXPECT_EQ(std::wstring(name), L"");
    EXPECT_FALSE(config.GetExternalType(nullptr, name));
    EXPECT_EQ(std::wstring(name), L"");
    EXPECT_FALSE(config.GetExternalType(L"SampleNotAPhone", name));

    UseExeFolder(scratch.Child(L"no_list", true));
    EXPECT_FALSE(config.GetExternalType(L"SampleFH8974", name));
    EXPECT_EQ(std::wstring(name), L"SampleFH8974");
    EXPECT_TRUE(Reports().empty());
}

TEST_F(PhoneConfigTest, GetExternalTypeWritesAtMost64Characters) {
    wchar_t name[128];
    std::wmemset(name, L'#', 128);
    const std::wstring longKey(100, L'k');
    EXPECT_FALSE(config.GetExternalType(longKey.c_str(), name));
    EXPECT_EQ(std::wstring(name), std::wstring(63, L'k'));
    EXPECT_EQ(name[64], L'#');
    EXPECT_EQ(name[127], L'#');

    const std::wstring program = scratch.Child(L"long_name", true);
    WriteFile(program + L"\\PhoneList.Xml",
              "<PhoneInfo><Phone MachineType=\"Long\" ExternalType=\"" + std::string(90, 'n') + "\"/></PhoneInfo>");
    UseExeFolder(program);
    std::wmemset(name, L'#', 128);
    EXPECT_TRUE(config.GetExternalType(L"LONG", name));
    EXPECT_EQ(std::wstring(name), std::wstring(63, L'n'));
    EXPECT_EQ(name[64], L'#');
}

// The list is read from the running program's own folder.
class PhoneListBesideProgram {
public:
    PhoneListBesideProgram() {
        CopyTree(ProductDataDir() + L"\\PhoneList.Xml", ProgramFolder());
        CopyTree(ProductDataDir() + L"\\SAMPLE_MTK_DA.bin", ProgramFolder());
    }
    ~PhoneListBesideProgram() {
        DeleteFileW((ProgramFolder() + L"\\PhoneList.Xml").c_str());
        DeleteFileW((ProgramFolder() + L"\\SAMPLE_MTK_DA.bin").c_str());
    }
};

TEST_F(PhoneConfigTest, ReadsThePhoneListBesideTheProgram) {
    PhoneListBesideProgram list;
    CPhoneConfig fresh;
    fresh.Init();
    fresh.reportCallback = &ReportRecorder::Callback;
    ASSERT_TRUE(fresh.LoadPhoneConfig(Package(L"SampleMT6582").c_str()));
    EXPECT_EQ(std::string(fresh.daPath), WideToAnsi(ProgramFolder() + L"\\SAMPLE_MTK_DA.bin"));
    EXPECT_TRUE(FileExists(AnsiToWide(fresh.daPath)));
    wchar_t name[64];
    EXPECT_TRUE(fresh.GetExternalType(L"SampleSH8x26", name));
    EXPECT_EQ(std::wstring(name), L"Sample SH8x26");
    EXPECT_TRUE(Reports().empty());
}

TEST(PhoneConfigFileSize, MeasuresInMegabytes) {
    ScratchFolder scratch;
    const std::wstring big = scratch.Child(L"三兆.bin");
    WriteFiller(big, 3 * 1048576 + 524288);
    WriteFiller(scratch.Child(L"small.bin"), 512);
    WriteFile(scratch.Child(L"empty.bin"), "");
    EXPECT_DOUBLE_EQ(CPhoneConfig::GetFileSizeMbW(big.c_str()), 3.5);
    EXPECT_DOUBLE_EQ(CPhoneConfig::GetFileSizeMb(WideToAnsi(big).c_str()), 3.5);
    EXPECT_DOUBLE_EQ(CPhoneConfig::GetFileSizeMbW(scratch.Child(L"small.bin").c_str()), 512.0 / 1048576.0);
    EXPECT_EQ(CPhoneConfig::GetFileSizeMbW(scratch.Child(L"empty.bin").c_str()), 0.0);
    EXPECT_EQ(CPhoneConfig::GetFileSizeMbW(scratch.Child(L"missing.bin").c_str()), 0.0);
    EXPECT_EQ(CPhoneConfig::GetFileSizeMbW(scratch.Path().c_str()), 0.0);
    EXPECT_EQ(CPhoneConfig::GetFileSizeMb(nullptr), 0.0);
}
