// The QMSL stand-in against the simulated phone: the contract the engine and
// its download flows rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "EngineTestSupport.h"
#include "QmslLibrary.h"

namespace {

constexpr uint32_t kDiagnosticsCom = 5;
constexpr uint32_t kLoaderCom = 7;

struct HeardText {
    int32_t handle;
    std::string text;
    bool terminatedAtLength;
};
std::vector<HeardText> g_heard;

void Listen(void* handle, const char* text, uint16_t length) {
    g_heard.push_back(
        {static_cast<int32_t>(reinterpret_cast<intptr_t>(handle)), std::string(text, length), text[length] == '\0'});
}

class QmslStandInTest : public SimPhoneTest {
protected:
    void SetUp() override {
        SimPhoneTest::SetUp();
        g_heard.clear();
    }

    QmslHandle ConnectSahara() {
        uint32_t version = 0;
        uint32_t mode = 0;
        return QLIB_QPHONEMS_ConnectServer_Sahara(kLoaderCom, &version, &mode, 0, 0, 200, &Listen);
    }

    // EDL with the programmer running, as after the Sahara stage.
    QmslHandle ConnectFireHose() {
        EXPECT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));
        const QmslHandle sahara = ConnectSahara();
        EXPECT_NE(0, sahara);
        const std::wstring programmer = package_.File(L"prog_emmc_firehose_8974.mbn");
        EXPECT_TRUE(WriteBytes(programmer, "programmer"));
        EXPECT_EQ(1, QLIB_QPHONEMS_Sahara_FlashProgrammer(sahara, NarrowPath(programmer).c_str()));
        QLIB_DisconnectServer_Sahara(sahara);
        return QLIB_QPHONEMS_ConnectServer_FireHose(kLoaderCom, &Listen);
    }

    // A package of two images: a.img at sector 2 and b.img at the last 8
    // sectors, with one element without a file.
    std::wstring WritePackage() {
        EXPECT_TRUE(WriteBytes(package_.File(L"a.img"), std::string(1500, 'A')));
        EXPECT_TRUE(WriteBytes(package_.File(L"b.img"), std::string(4096, 'B')));
        const std::wstring rawprogram = package_.File(L"rawprogram_unsparse.xml");
        EXPECT_TRUE(WriteBytes(rawprogram,
                               "<?xml version=\"1.0\" ?>\n<data>\n"
                               "  <!-- <program filename=\"commented.img\" start_sector=\"0\" /> -->\n"
                               "  <program filename=\"a.img\" label=\"boot\" start_sector=\"2\" />\n"
                               "  <program filename=\"\" label=\"userdata\" start_sector=\"100\" />\n"
                               "  <program label=\"gpt\" start_sector=\"NUM_DISK_SECTORS-8.\" filename=\"b.img\"/>\n"
                               "</data>\n"));
        EXPECT_TRUE(WriteBytes(package_.File(L"patch0.xml"), "<patches />"));
        return rawprogram;
    }

    std::string StorageAt(uint64_t offset, size_t size) {
        std::string bytes(size, '\0');
        EXPECT_TRUE(Phone().ReadStorage(offset, &bytes[0], size));
        return bytes;
    }

    TempFolder package_;
};

TEST_F(QmslStandInTest, WithoutTheSimulationEveryCallFails) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    SetEnvironmentVariableW(kSimPhoneDirVariable, nullptr);
    EXPECT_EQ(0, QLIB_ConnectServer(kDiagnosticsCom));
    EXPECT_EQ(0, ConnectSahara());
    EXPECT_EQ(0, QLIB_QPHONEMS_ConnectServer_FireHose(kLoaderCom, &Listen));

    // A folder without a phone is no phone either.
    TempFolder empty;
    SetEnvironmentVariableW(kSimPhoneDirVariable, empty.Path().c_str());
    EXPECT_EQ(0, QLIB_ConnectServer(kDiagnosticsCom));
    uint8_t flag = 0;
    EXPECT_EQ(0, QLIB_GetLastSoftwareDownloadErrorInfo(0x1001, &flag, nullptr, 0));

    SetEnvironmentVariableW(kSimPhoneDirVariable, Phone().Folder().c_str());
    const QmslHandle handle = QLIB_ConnectServer(kDiagnosticsCom);
    EXPECT_NE(0, handle);
    QLIB_DisconnectServer(handle);
}

TEST_F(QmslStandInTest, DiagnosticsConnectOnlyWhereTheModeAllows) {
    struct Case {
        SimPhoneMode mode;
        bool connects;
    };
    for (const Case& c :
         {Case{SimPhoneMode::Off, false}, Case{SimPhoneMode::Normal, true}, Case{SimPhoneMode::Download, true},
          Case{SimPhoneMode::EmergencyDownload, false}, Case{SimPhoneMode::Fastboot, false}}) {
        SCOPED_TRACE(SimPhoneModeName(c.mode));
        ASSERT_TRUE(Phone().SetMode(c.mode));
        const QmslHandle handle = QLIB_ConnectServer(kDiagnosticsCom);
        EXPECT_EQ(c.connects, handle != 0);
        EXPECT_EQ(c.connects ? 1 : 0, QLIB_IsPhoneConnected(handle));
        EXPECT_EQ(0, QLIB_ConnectServer(kDiagnosticsCom + 1));
        const QmslHandle sahara = ConnectSahara();
        EXPECT_EQ(c.mode == SimPhoneMode::EmergencyDownload, sahara != 0);
        QLIB_DisconnectServer_Sahara(sahara);
        QLIB_DisconnectServer(handle);
    }
}

TEST_F(QmslStandInTest, SaharaConnectsOnlyInEmergencyDownloadMode) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));
    EXPECT_EQ(0, QLIB_QPHONEMS_ConnectServer_FireHose(kLoaderCom, &Listen));  // no programmer yet
    const QmslHandle sahara = ConnectSahara();
    ASSERT_NE(0, sahara);
    EXPECT_EQ(1, QLIB_QPHONEMS_SaharaConfigureCallback(sahara, &Listen));
    QLIB_DisconnectServer_Sahara(sahara);
    uint32_t version = 0;
    uint32_t mode = 0;
    EXPECT_EQ(0, QLIB_QPHONEMS_ConnectServer_Sahara(kDiagnosticsCom, &version, &mode, 0, 0, 200, &Listen));
}

TEST_F(QmslStandInTest, NvItem9002AnswersTheVersion) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    const QmslHandle handle = QLIB_ConnectServer(kDiagnosticsCom);
    uint8_t buffer[128];
    std::memset(buffer, 0xCC, sizeof(buffer));
    uint16_t status = 99;
    ASSERT_EQ(1, QLIB_DIAG_NV_READ_F(handle, 9002, buffer, sizeof(buffer), &status));
    EXPECT_EQ(0, status);
    EXPECT_STREQ(kVersion, reinterpret_cast<const char*>(buffer));

    EXPECT_EQ(1, QLIB_DIAG_NV_READ_F(handle, 550, buffer, sizeof(buffer), &status));
    EXPECT_NE(0, status);

    // A phone without an NV version answers, with a status that is not 0.
    ASSERT_TRUE(Phone().SetVersion(""));
    EXPECT_EQ(1, QLIB_DIAG_NV_READ_F(handle, 9002, buffer, sizeof(buffer), &status));
    EXPECT_NE(0, status);

    // A version longer than the buffer fills it, without a terminator, as a
    // fixed NV field does; nothing past it is touched.
    ASSERT_TRUE(Phone().SetVersion(std::string(300, 'v')));
    std::memset(buffer, 0xCC, sizeof(buffer));
    EXPECT_EQ(1, QLIB_DIAG_NV_READ_F(handle, 9002, buffer, 16, &status));
    EXPECT_EQ(std::string(16, 'v'), std::string(reinterpret_cast<const char*>(buffer), 16));
    EXPECT_EQ(0xCC, buffer[16]);
    QLIB_DisconnectServer(handle);
}

TEST_F(QmslStandInTest, TimeOutFaultSilencesThePhone) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::Timeout));
    const QmslHandle handle = QLIB_ConnectServer(kDiagnosticsCom);
    ASSERT_NE(0, handle);  // the port opens; the phone does not answer
    EXPECT_EQ(0, QLIB_IsPhoneConnected(handle));
    uint8_t buffer[128] = {};
    uint16_t status = 0;
    EXPECT_EQ(0, QLIB_DIAG_NV_READ_F(handle, 9002, buffer, sizeof(buffer), &status));
    EXPECT_EQ(0, QLIB_QPHONEMS_SwitchToEDL(handle));
    ASSERT_TRUE(Phone().ClearFaults());
    EXPECT_EQ(1, QLIB_IsPhoneConnected(handle));
    QLIB_DisconnectServer(handle);
}

TEST_F(QmslStandInTest, SwitchesChangeTheModeDiscoverySees) {
    ReportRecorder recorder;
    auto engine = MakeEngine();
    int32_t port = 0;

    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    QmslHandle handle = QLIB_ConnectServer(kDiagnosticsCom);
    ASSERT_EQ(1, QLIB_QPHONEMS_SwitchToEDL(handle));
    EXPECT_EQ(SimPhoneMode::EmergencyDownload, Phone().Mode());
    EXPECT_EQ(PHONE_EMPTY, engine->ClassifyDevice(port));
    EXPECT_EQ(0, QLIB_IsPhoneConnected(handle));  // the phone restarted
    QLIB_DisconnectServer(handle);

    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    handle = QLIB_ConnectServer(kDiagnosticsCom);
    uint32_t result = 7;
    ASSERT_EQ(1, QLIB_QPHONEMS_SwitchToDownloadMode_OptionalValidation(handle, 5000, 0, &result));
    EXPECT_EQ(PHONE_DOWNLOAD, engine->ClassifyDevice(port));
    QLIB_DisconnectServer(handle);

    // Reset from download mode: a storage without partition table starts in
    // emergency download mode, one with a table starts normally.
    handle = QLIB_ConnectServer(kDiagnosticsCom);
    ASSERT_EQ(1, QLIB_QPHONEMS_DLoad_Reset(handle, 5000));
    EXPECT_EQ(PHONE_EMPTY, engine->ClassifyDevice(port));
    QLIB_DisconnectServer(handle);

    ASSERT_TRUE(Phone().WriteStorage(512, "EFI PART", 8));
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    handle = QLIB_ConnectServer(kDiagnosticsCom);
    ASSERT_EQ(1, QLIB_QPHONEMS_DLoad_Reset(handle, 5000));
    EXPECT_EQ(PHONE_NORMAL, engine->ClassifyDevice(port));
    QLIB_DisconnectServer(handle);
}

TEST_F(QmslStandInTest, SwitchesNeedANormalPhone) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    const QmslHandle handle = QLIB_ConnectServer(kDiagnosticsCom);
    EXPECT_EQ(0, QLIB_QPHONEMS_SwitchToEDL(handle));
    uint32_t result = 0;
    EXPECT_EQ(0, QLIB_QPHONEMS_SwitchToDownloadMode_OptionalValidation(handle, 5000, 0, &result));
    EXPECT_EQ(SimPhoneMode::Download, Phone().Mode());
    QLIB_DisconnectServer(handle);
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    const QmslHandle normal = QLIB_ConnectServer(kDiagnosticsCom);
    EXPECT_EQ(0, QLIB_QPHONEMS_DLoad_Reset(normal, 5000));
    QLIB_DisconnectServer(normal);
}

TEST_F(QmslStandInTest, RefusedProgrammerKeepsTheSaharaStage) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseProgrammer));
    const QmslHandle sahara = ConnectSahara();
    const std::wstring programmer = package_.File(L"MPRG8974.mbn");
    ASSERT_TRUE(WriteBytes(programmer, "mprg"));
    EXPECT_EQ(0, QLIB_QPHONEMS_Sahara_FlashProgrammer(sahara, NarrowPath(programmer).c_str()));
    EXPECT_FALSE(Phone().ProgrammerLoaded());
    ASSERT_TRUE(Phone().ClearFaults());
    // A missing or empty programmer file is refused too.
    EXPECT_EQ(0, QLIB_QPHONEMS_Sahara_FlashProgrammer(sahara, NarrowPath(package_.File(L"missing.mbn")).c_str()));
    ASSERT_TRUE(WriteBytes(package_.File(L"empty.mbn"), ""));
    EXPECT_EQ(0, QLIB_QPHONEMS_Sahara_FlashProgrammer(sahara, NarrowPath(package_.File(L"empty.mbn")).c_str()));
    EXPECT_EQ(1, QLIB_QPHONEMS_Sahara_FlashProgrammer(sahara, NarrowPath(programmer).c_str()));
    EXPECT_TRUE(Phone().ProgrammerLoaded());
    QLIB_DisconnectServer_Sahara(sahara);
}

TEST_F(QmslStandInTest, FireHoseNeedsTheProgrammerAndTakesTheSettings) {
    const QmslHandle fireHose = ConnectFireHose();
    ASSERT_NE(0, fireHose);
    EXPECT_EQ(1, QLIB_QPHONEMS_FireHoseConfigureCallback(fireHose, &Listen));
    EXPECT_EQ(1, QLIB_QPHONEMS_FireHoseNOP(fireHose));
    EXPECT_EQ(1, QLIB_QPHONEMS_FireHoseConfigure(fireHose, "49152", "eMMC", "8974", "100", 0, 0, 0, 0, 0));
    EXPECT_EQ(0, QLIB_QPHONEMS_FireHoseConfigure(fireHose, "49152", "UFS", "8974", "100", 0, 0, 0, 0, 0));
    QLIB_DisconnectServer_FireHose(fireHose);
    EXPECT_EQ(0, QLIB_QPHONEMS_FireHoseNOP(fireHose));
}

TEST_F(QmslStandInTest, MetaBuildUploadWritesTheImagesAndReportsTexts) {
    const std::wstring rawprogram = WritePackage();
    auto table = std::make_unique<ImageTable>();
    std::memset(table.get(), 0, sizeof(ImageTable));
    std::strcpy(table->imagePaths[0], NarrowPath(package_.File(L"a.img")).c_str());
    std::strcpy(table->imagePaths[1], NarrowPath(package_.File(L"B.IMG")).c_str());
    table->count = 2;
    std::strcpy(table->rawprogramPath, NarrowPath(rawprogram).c_str());

    // Old bytes in the rest of a.img's last sector and in the sector after.
    const std::string old(36 + 512, 'x');
    ASSERT_TRUE(Phone().WriteStorage(2 * 512 + 1500, old.data(), old.size()));

    const QmslHandle fireHose = ConnectFireHose();
    ASSERT_NE(0, fireHose);
    g_heard.clear();
    uint32_t out1 = 9;
    uint32_t out2 = 9;
    ASSERT_EQ(1, QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose(fireHose, table.get(), &out1, &out2));
    EXPECT_EQ(std::string(1500, 'A'), StorageAt(2 * 512, 1500));
    // Whole sectors: the last one padded with zeros, the next one untouched.
    EXPECT_EQ(std::string(36, '\0'), StorageAt(2 * 512 + 1500, 36));
    EXPECT_EQ(std::string(512, 'x'), StorageAt(5 * 512, 512));
    EXPECT_EQ(std::string(4096, 'B'), StorageAt(kStorageBytes - 8 * 512, 4096));
    EXPECT_EQ(std::string(512, '\0'), StorageAt(0, 512));  // nothing commented out was written

    ASSERT_EQ(6u, g_heard.size());
    EXPECT_EQ("File: a.img", g_heard[0].text);
    EXPECT_EQ("Program Size: 0.00 MB", g_heard[1].text);
    EXPECT_EQ("File: B.IMG", g_heard[2].text);
    EXPECT_EQ(0u, g_heard[4].text.find("Total Time: "));
    EXPECT_EQ(0u, g_heard[5].text.find("Throughput: "));
    for (const HeardText& heard : g_heard) {
        EXPECT_EQ(fireHose, heard.handle);
        EXPECT_FALSE(heard.terminatedAtLength) << heard.text;
    }
    uint8_t flag = 1;
    char error[256] = "x";
    EXPECT_EQ(1, QLIB_GetLastSoftwareDownloadErrorInfo(fireHose, &flag, error, sizeof(error)));
    EXPECT_EQ(0, flag);
    EXPECT_STREQ("", error);

    // The reset starts the phone as its storage allows: no table, so EDL.
    EXPECT_EQ(1, QLIB_QPHONEMS_FireHosePower(fireHose, "reset"));
    EXPECT_EQ(SimPhoneMode::EmergencyDownload, Phone().Mode());
    EXPECT_FALSE(Phone().ProgrammerLoaded());
    QLIB_DisconnectServer_FireHose(fireHose);
}

TEST_F(QmslStandInTest, UploadByListFilesFindsImagesBesideTheList) {
    const std::wstring rawprogram = WritePackage();
    const QmslHandle fireHose = ConnectFireHose();
    uint32_t out1 = 0;
    uint32_t out2 = 0;
    ASSERT_EQ(1,
              QLIB_QPHONEMS_UploadEmmcImage_FireHose(fireHose, NarrowPath(rawprogram).c_str(),
                                                     NarrowPath(package_.File(L"patch0.xml")).c_str(), &out1, &out2));
    EXPECT_EQ(std::string(1500, 'A'), StorageAt(2 * 512, 1500));

    // Without the patch list the upload fails and says why.
    EXPECT_EQ(0,
              QLIB_QPHONEMS_UploadEmmcImage_FireHose(fireHose, NarrowPath(rawprogram).c_str(),
                                                     NarrowPath(package_.File(L"nopatch.xml")).c_str(), &out1, &out2));
    uint8_t flag = 0;
    char error[100] = {};
    ASSERT_EQ(1, QLIB_GetLastSoftwareDownloadErrorInfo(fireHose, &flag, error, sizeof(error)));
    EXPECT_EQ(1, flag);
    EXPECT_NE(nullptr, std::strstr(error, "nopatch.xml"));
    QLIB_DisconnectServer_FireHose(fireHose);
}

TEST_F(QmslStandInTest, UploadFaultsFailTheUpload) {
    const std::wstring rawprogram = WritePackage();
    const std::string patch = NarrowPath(package_.File(L"patch0.xml"));
    const QmslHandle fireHose = ConnectFireHose();
    uint32_t out1 = 0;
    uint32_t out2 = 0;

    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::FailWrite));
    EXPECT_EQ(0, QLIB_QPHONEMS_UploadEmmcImage_FireHose(fireHose, NarrowPath(rawprogram).c_str(), patch.c_str(), &out1,
                                                        &out2));
    uint8_t flag = 0;
    char error[100] = {};
    ASSERT_EQ(1, QLIB_GetLastSoftwareDownloadErrorInfo(fireHose, &flag, error, 8));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(7u, std::strlen(error));  // cut to the buffer
    EXPECT_EQ(std::string(512, '\0'), StorageAt(2 * 512, 512));
    ASSERT_TRUE(Phone().ClearFaults());

    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::UnplugMidWrite));
    EXPECT_EQ(0, QLIB_QPHONEMS_UploadEmmcImage_FireHose(fireHose, NarrowPath(rawprogram).c_str(), patch.c_str(), &out1,
                                                        &out2));
    EXPECT_EQ(SimPhoneMode::Off, Phone().Mode());
    EXPECT_EQ(0, QLIB_QPHONEMS_FireHoseNOP(fireHose));
    QLIB_DisconnectServer_FireHose(fireHose);
}

TEST_F(QmslStandInTest, MissingImageOrBadSectorFailsBeforeWriting) {
    WritePackage();
    const std::wstring rawprogram = package_.File(L"broken.xml");
    ASSERT_TRUE(WriteBytes(rawprogram,
                           "<data><program filename=\"a.img\" start_sector=\"1\"/>"
                           "<program filename=\"gone.img\" start_sector=\"4\"/></data>"));
    const QmslHandle fireHose = ConnectFireHose();
    uint32_t out1 = 0;
    uint32_t out2 = 0;
    const std::string patch = NarrowPath(package_.File(L"patch0.xml"));
    EXPECT_EQ(0, QLIB_QPHONEMS_UploadEmmcImage_FireHose(fireHose, NarrowPath(rawprogram).c_str(), patch.c_str(), &out1,
                                                        &out2));
    EXPECT_EQ(std::string(512, '\0'), StorageAt(512, 512));

    ASSERT_TRUE(WriteBytes(rawprogram,
                           "<data><program filename=\"a.img\" "
                           "start_sector=\"NUM_DISK_SECTORS-99999.\"/></data>"));
    EXPECT_EQ(0, QLIB_QPHONEMS_UploadEmmcImage_FireHose(fireHose, NarrowPath(rawprogram).c_str(), patch.c_str(), &out1,
                                                        &out2));
    QLIB_DisconnectServer_FireHose(fireHose);
}

TEST_F(QmslStandInTest, SaharaMsimageUploadBringsThePhoneBackAsADisk) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));
    const QmslHandle sahara = ConnectSahara();
    const std::wstring programmer = package_.File(L"MPRG8974.mbn");
    const std::wstring msimage = package_.File(L"8974_msimage.mbn");
    ASSERT_TRUE(WriteBytes(programmer, "mprg"));
    ASSERT_TRUE(WriteBytes(msimage, "msimage"));
    ASSERT_EQ(1, QLIB_QPHONEMS_Sahara_FlashProgrammer(sahara, NarrowPath(programmer).c_str()));
    QLIB_DisconnectServer_Sahara(sahara);

    const QmslHandle normal = QLIB_ConnectServer(kLoaderCom);
    ASSERT_NE(0, normal);
    uint32_t result = 0;
    EXPECT_EQ(0, QLIB_QPHONEMS_UploadEmmcUserParitionImage(normal, "", NarrowPath(package_.File(L"none.mbn")).c_str(),
                                                           1, 0, 5, 5, &result));
    ASSERT_EQ(1,
              QLIB_QPHONEMS_UploadEmmcUserParitionImage(normal, "", NarrowPath(msimage).c_str(), 1, 0, 5, 5, &result));
    EXPECT_EQ(SimPhoneMode::Download, Phone().Mode());
    QLIB_DisconnectServer(normal);
}

// Texts of a real upload reach the engine's parser through the callback and
// move its percentage to 100.
TEST_F(QmslStandInTest, UploadTextsDriveTheEnginesPercentage) {
    const std::wstring rawprogram = package_.File(L"rawprogram_unsparse.xml");
    ASSERT_TRUE(WriteBytes(package_.File(L"one.img"), std::string(1024 * 1024, '1')));
    ASSERT_TRUE(WriteBytes(package_.File(L"two.img"), std::string(2 * 1024 * 1024, '2')));
    ASSERT_TRUE(WriteBytes(package_.File(L"patch0.xml"), "<patches />"));
    ASSERT_TRUE(WriteBytes(rawprogram,
                           "<data>"
                           "<program filename=\"one.img\" start_sector=\"0\"/>"
                           "<program filename=\"two.img\" start_sector=\"2048\"/>"
                           "</data>"));
    ReportRecorder recorder;
    auto engine = MakeEngine();
    RouteQmslTextsTo(engine.get());
    QcomConfigBlock block{};
    block.romSizeMb = 3.0;
    engine->Init_QcomDownLoad(block);

    engine->fireHoseHandle = ConnectFireHose();
    ASSERT_NE(0, engine->fireHoseHandle);
    ASSERT_EQ(1, QLIB_QPHONEMS_FireHoseConfigureCallback(engine->fireHoseHandle, engine->textCallback));
    uint32_t out1 = 0;
    uint32_t out2 = 0;
    ASSERT_EQ(1,
              QLIB_QPHONEMS_UploadEmmcImage_FireHose(engine->fireHoseHandle, NarrowPath(rawprogram).c_str(),
                                                     NarrowPath(package_.File(L"patch0.xml")).c_str(), &out1, &out2));
    RouteQmslTextsTo(nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"Downloading: one.img", L"Downloading: two.img"}),
              recorder.Texts(MSG_DOWNLOADING));
    // 1 of 3 MB: 1 / 3 * 96 + 4 = 36; all 3 MB: 100.
    EXPECT_EQ((std::vector<int32_t>{36, 100}), recorder.Percents());
    EXPECT_EQ(0u, engine->totalTimeText.find(L"Total Time: "));
    EXPECT_NE(std::wstring::npos, engine->totalTimeText.find(L"seconds"));
    EXPECT_EQ(0u, engine->throughputText.find(L"Throughput: "));
    EXPECT_NE(std::wstring::npos, engine->throughputText.find(L"MB/s"));
    EXPECT_EQ(std::string(16, '2'), StorageAt(2048 * 512, 16));
}

}  // namespace
