// The QMSL stand-in's patch list: after a FireHose upload the simulated
// programmer patches the storage as the package's patch list says.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "DiskTestSupport.h"
#include "EngineTestSupport.h"
#include "QmslLibrary.h"

namespace {

constexpr uint32_t kLoaderCom = 7;
constexpr size_t kSector = 512;

class QmslPatchStandInTest : public SimPhoneTest {
protected:
    void SetUp() override {
        SimPhoneTest::SetUp();
        ASSERT_TRUE(WriteBytes(package_.File(L"a.img"), PatternBytes(2 * kSector, 7)));
        ASSERT_TRUE(WriteBytes(package_.File(L"rawprogram_unsparse.xml"),
                               "<data><program filename=\"a.img\" start_sector=\"1\"/></data>"));
        // EDL with the programmer running.
        ASSERT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));
        uint32_t version = 0;
        uint32_t mode = 0;
        const QmslHandle sahara = QLIB_QPHONEMS_ConnectServer_Sahara(kLoaderCom, &version, &mode, 0, 0, 200, nullptr);
        ASSERT_TRUE(WriteBytes(package_.File(L"prog.mbn"), "programmer"));
        ASSERT_EQ(1, QLIB_QPHONEMS_Sahara_FlashProgrammer(sahara, NarrowPath(package_.File(L"prog.mbn")).c_str()));
        QLIB_DisconnectServer_Sahara(sahara);
        fireHose_ = QLIB_QPHONEMS_ConnectServer_FireHose(kLoaderCom, nullptr);
        ASSERT_NE(0, fireHose_);
    }

    void TearDown() override {
        QLIB_DisconnectServer_FireHose(fireHose_);
        SimPhoneTest::TearDown();
    }

    void WritePatches(const std::string& patches) {
        ASSERT_TRUE(WriteBytes(package_.File(L"patch0.xml"), "<patches>" + patches + "</patches>"));
    }

    // The list upload of the package; 1 on success.
    uint8_t Upload() {
        uint32_t out1 = 0;
        uint32_t out2 = 0;
        return QLIB_QPHONEMS_UploadEmmcImage_FireHose(fireHose_,
                                                      NarrowPath(package_.File(L"rawprogram_unsparse.xml")).c_str(),
                                                      NarrowPath(package_.File(L"patch0.xml")).c_str(), &out1, &out2);
    }

    std::string ErrorText(uint8_t& flag) {
        char text[256] = {};
        EXPECT_EQ(1, QLIB_GetLastSoftwareDownloadErrorInfo(fireHose_, &flag, text, sizeof(text)));
        return text;
    }

    std::string StorageAt(uint64_t offset, size_t size) {
        std::string bytes(size, '\0');
        EXPECT_TRUE(Phone().ReadStorage(offset, &bytes[0], size));
        return bytes;
    }

    uint64_t Sectors() const { return kStorageBytes / kSector; }

    TempFolder package_;
    QmslHandle fireHose_ = 0;
};

TEST_F(QmslPatchStandInTest, DiskPatchesAreAppliedInOrder) {
    WritePatches(
        "<!-- <patch filename=\"DISK\" byte_offset=\"0\" size_in_bytes=\"8\" start_sector=\"0\" "
        "value=\"99\"/> -->"
        "<patch filename=\"DISK\" byte_offset=\"8\" size_in_bytes=\"4\" start_sector=\"0\" "
        "value=\"305419896\" what=\"a number\"/>"
        "<patch filename=\"DISK\" byte_offset=\"16\" size_in_bytes=\"8\" start_sector=\"0\" "
        "value=\"NUM_DISK_SECTORS-34.\"/>"
        "<patch filename=\"a.img\" byte_offset=\"0\" size_in_bytes=\"8\" start_sector=\"0\" "
        "value=\"77\"/>"
        "<patch filename=\"DISK\" byte_offset=\"0\" size_in_bytes=\"2\" "
        "start_sector=\"NUM_DISK_SECTORS-1.\" value=\"513\"/>"
        // Over the image and the number patched just before.
        "<patch filename=\"DISK\" byte_offset=\"32\" size_in_bytes=\"4\" start_sector=\"0\" "
        "value=\"CRC32(0,1024)\"/>");
    ASSERT_EQ(1, Upload());

    std::string expected = std::string(kSector, '\0') + PatternBytes(2 * kSector, 7);
    PutLittleEndian(expected, 8, 4, 0x12345678);
    PutLittleEndian(expected, 16, 8, Sectors() - 34);
    const uint32_t crc = ReferenceCrc32(expected, 0, 1024);
    PutLittleEndian(expected, 32, 4, crc);
    EXPECT_EQ(expected, StorageAt(0, 3 * kSector));
    EXPECT_EQ(std::string("\x01\x02", 2), StorageAt(kStorageBytes - kSector, 2));
    uint8_t flag = 1;
    EXPECT_EQ("", ErrorText(flag));
    EXPECT_EQ(0, flag);
}

TEST_F(QmslPatchStandInTest, CrcOfTheLastSectorsCountsBackFromTheEnd) {
    ASSERT_TRUE(Phone().WriteStorage(kStorageBytes - kSector, "backup header", 13));
    WritePatches(
        "<patch filename=\"DISK\" byte_offset=\"100\" size_in_bytes=\"4\" "
        "start_sector=\"NUM_DISK_SECTORS-1.\" value=\"CRC32(NUM_DISK_SECTORS-1.,92)\"/>");
    ASSERT_EQ(1, Upload());
    const std::string header = StorageAt(kStorageBytes - kSector, kSector);
    EXPECT_EQ(ReferenceCrc32(header, 0, 92), LittleEndianAt(header, 100, 4));
}

TEST_F(QmslPatchStandInTest, PatchesThatCannotApplyFailTheUpload) {
    struct Case {
        const char* patch;
        const char* why;
    };
    const Case cases[] = {
        {"<patch filename=\"DISK\" byte_offset=\"510\" size_in_bytes=\"4\" start_sector=\"0\" "
         "value=\"1\"/>",
         "outside its sector"},
        {"<patch filename=\"DISK\" byte_offset=\"0\" size_in_bytes=\"9\" start_sector=\"0\" "
         "value=\"1\"/>",
         "outside its sector"},
        {"<patch filename=\"DISK\" byte_offset=\"x\" size_in_bytes=\"4\" start_sector=\"0\" "
         "value=\"1\"/>",
         "malformed"},
        {"<patch filename=\"DISK\" byte_offset=\"0\" size_in_bytes=\"4\" start_sector=\"0\" "
         "value=\"CRC32(0,\"/>",
         "cannot evaluate"},
        {"<patch filename=\"DISK\" byte_offset=\"0\" size_in_bytes=\"4\" "
         "start_sector=\"NUM_DISK_SECTORS-0.\" value=\"1\"/>",
         "outside its sector"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patch);
        WritePatches(c.patch);
        EXPECT_EQ(0, Upload());
        uint8_t flag = 0;
        EXPECT_NE(std::string::npos, ErrorText(flag).find(c.why));
        EXPECT_EQ(1, flag);
    }
}

TEST_F(QmslPatchStandInTest, MetaBuildUploadTakesThePatchListFromTheTable) {
    WritePatches(
        "<patch filename=\"DISK\" byte_offset=\"4\" size_in_bytes=\"2\" start_sector=\"0\" "
        "value=\"4660\"/>");
    auto table = std::make_unique<ImageTable>();
    std::memset(table.get(), 0, sizeof(ImageTable));
    std::strcpy(table->imagePaths[0], NarrowPath(package_.File(L"a.img")).c_str());
    table->count = 1;
    std::strcpy(table->rawprogramPath, NarrowPath(package_.File(L"rawprogram_unsparse.xml")).c_str());
    uint32_t out1 = 0;
    uint32_t out2 = 0;

    // Without a patch path no patch is applied.
    ASSERT_EQ(1, QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose(fireHose_, table.get(), &out1, &out2));
    EXPECT_EQ(std::string(8, '\0'), StorageAt(0, 8));

    std::strcpy(table->patchPath, NarrowPath(package_.File(L"patch0.xml")).c_str());
    ASSERT_EQ(1, QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose(fireHose_, table.get(), &out1, &out2));
    EXPECT_EQ(std::string("\0\0\0\0\x34\x12\0\0", 8), StorageAt(0, 8));

    // A patch path that names nothing fails the upload.
    std::strcpy(table->patchPath, NarrowPath(package_.File(L"none.xml")).c_str());
    EXPECT_EQ(0, QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose(fireHose_, table.get(), &out1, &out2));
}

TEST_F(QmslPatchStandInTest, ErrorRecordFaultAnswersSuccessButReportsAnError) {
    WritePatches("");
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::UploadErrorInfo));
    EXPECT_EQ(1, Upload());
    uint8_t flag = 0;
    EXPECT_FALSE(ErrorText(flag).empty());
    EXPECT_EQ(1, flag);
    // The images were written all the same.
    EXPECT_EQ(PatternBytes(2 * kSector, 7), StorageAt(kSector, 2 * kSector));
}

TEST_F(QmslPatchStandInTest, SwitchAndResetRefusals) {
    QLIB_DisconnectServer_FireHose(fireHose_);
    fireHose_ = 0;
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseEdlSwitch));
    QmslHandle normal = QLIB_ConnectServer(5);
    EXPECT_EQ(0, QLIB_QPHONEMS_SwitchToEDL(normal));
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    QLIB_DisconnectServer(normal);

    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseReset));
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    normal = QLIB_ConnectServer(5);
    EXPECT_EQ(0, QLIB_QPHONEMS_DLoad_Reset(normal, 5000));
    EXPECT_EQ(SimPhoneMode::Download, Phone().Mode());
    QLIB_DisconnectServer(normal);
}

}  // namespace
