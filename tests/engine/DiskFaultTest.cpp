// The eMMC writer when the disk misbehaves or the package's lists hold bad
// input: retries, reported failures, the second wipe, and refusals that
// leave the disk untouched.
#include <gtest/gtest.h>

#include <functional>

#include "DiskTestSupport.h"
#include "TextFormat.h"

namespace {

constexpr uint64_t kImageSector = 3;
constexpr uint64_t kImageOffset = kImageSector * kTestSectorBytes;

class DiskRetryTest : public DiskWriterTest {
protected:
    // One 1000-byte image at sector 3.
    std::string WriteOneImagePackage() {
        PackageBuilder package = NewPackage();
        const std::string image = PatternBytes(1000, 11);
        package.AddImage(L"a.img", image);
        package.AddProgram(L"a.img", L"3", L"2");
        package.Write();
        UsePackage(package.Folder(), package.ImageMb());
        return image;
    }
};

TEST_F(DiskRetryTest, AWriteTheDiskFailsIsWrittenAgain) {
    UseSpoiledTransfers(3);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::FailWrite));
    const std::string image = WriteOneImagePackage();

    ASSERT_TRUE(engine_->DownloadDisk());
    EXPECT_EQ(4u, disk_->WritesAt(kImageOffset));
    EXPECT_EQ(image, Storage(kImageOffset, image.size()));
    EXPECT_TRUE(recorder_.Texts(MSG_FAILURE).empty());
}

TEST_F(DiskRetryTest, AReadBackWhoseSampleDiffersIsWrittenAgain) {
    UseSpoiledTransfers(2);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::CorruptReadBack));
    const std::string image = WriteOneImagePackage();

    ASSERT_TRUE(engine_->DownloadDisk());
    EXPECT_EQ(3u, disk_->WritesAt(kImageOffset));
    EXPECT_EQ(image, Storage(kImageOffset, image.size()));
    // The spoiled read-backs showed a different sample; the last agreed.
    std::string sample;
    for (size_t at = 0; at < image.size(); at += 200) {
        sample += image[at];
    }
    EXPECT_EQ(6u, CountTexts(L"SetFilePointer Address:0x600"));  // three writes, three reads
    EXPECT_EQ(std::vector<int32_t>{100}, recorder_.Percents());
    EXPECT_EQ(1u, CountTexts(FormatWide(L"The DiskCRC32 value 0x%.8X", ReferenceCrc32(sample))));
}

TEST_F(DiskRetryTest, ReadBacksThatNeverMatchFailAfterTenWrites) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::CorruptReadBack));
    WriteOneImagePackage();

    EXPECT_FALSE(engine_->DownloadDisk());
    EXPECT_EQ(10u, disk_->WritesAt(kImageOffset));
    EXPECT_EQ(std::vector<std::wstring>{L"Read-back from sector 3 never matched " +
                                        AnsiToWide(engine_->settings.softwarePath) + L"\\a.img (10 writes)!"},
              recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(2u, disk_->RequestCount(IOCTL_DISK_DELETE_DRIVE_LAYOUT));
    EXPECT_EQ(2u, CountTexts(L"Wipe Disk ....."));
}

// A package whose first image holds a partition table, and whose second
// image lies in a region the disk refuses to write.
TEST_F(DiskRetryTest, AWriteFailingTenTimesIsReportedAndTheLayoutWipedAgain) {
    UseSpoiledTransfers(CSimDiskControl::kEveryTransfer, 40 * kTestSectorBytes);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::FailWrite));
    PackageBuilder package = NewPackage();
    std::string table = PatternBytes(4 * kTestSectorBytes, 12);
    table.replace(kTestSectorBytes, 8, "EFI PART");
    package.AddImage(L"gpt.bin", table);
    package.AddImage(L"b.img", PatternBytes(kTestSectorBytes, 13));
    package.AddProgram(L"gpt.bin", L"0", L"4");
    package.AddProgram(L"b.img", L"40", L"1");
    package.Write();
    UsePackage(package.Folder(), package.ImageMb());

    EXPECT_FALSE(engine_->DownloadDisk());

    EXPECT_EQ(10u, disk_->WritesAt(40 * kTestSectorBytes));
    EXPECT_EQ(std::vector<std::wstring>{L"WriteFile position 0x5000,\t size 512 failed,Error 29"},
              recorder_.Texts(MSG_FAILURE));
    // The table was written, then wiped with the layout.
    EXPECT_EQ(table.substr(2 * kTestSectorBytes), Storage(2 * kTestSectorBytes, 2 * kTestSectorBytes));
    EXPECT_EQ(std::string(2 * kTestSectorBytes, '\0'), Storage(0, 2 * kTestSectorBytes));
    EXPECT_FALSE(Phone().HasPartitionTable());
    EXPECT_EQ(2u, disk_->RequestCount(IOCTL_DISK_DELETE_DRIVE_LAYOUT));
    EXPECT_EQ(2u, disk_->RequestCount(IOCTL_DISK_UPDATE_PROPERTIES));
    EXPECT_EQ(2u, CountTexts(L"Wipe Disk ....."));
}

// Bad input is refused with a report, and nothing it names is written.
class DiskRefusalTest : public DiskWriterTest {
protected:
    void SetUp() override {
        DiskWriterTest::SetUp();
        FillStorage('\xEE');
        background_ = Storage();
    }

    // Runs the writer on an open disk (no wipe), then closes it so the
    // storage can be read.
    bool RunRawProgram(const PackageBuilder& package) {
        UsePackage(package.Folder(), package.ImageMb());
        CScopedHandle disk = OpenDisk();
        return engine_->DownloadRawProgram(disk.Get());
    }
    void ExpectStorageUntouched() { EXPECT_TRUE(Storage() == background_) << "the disk was written"; }

    std::string background_;
};

TEST_F(DiskRefusalTest, StartSectorsThatAreNoSectorAreRefused) {
    const wchar_t* const bad[] = {L"abc",
                                  L"",
                                  L"12abc",
                                  L"-5",
                                  L" 7",
                                  L"0x10",
                                  L"NUM_DISK_SECTORS-abc.",
                                  L"NUM_DISK_SECTORS-8193.",
                                  L"99999999999999999999999"};
    for (const wchar_t* start : bad) {
        SCOPED_TRACE(NarrowPath(start));
        recorder_.Clear();
        PackageBuilder package = NewPackage();
        package.AddImage(L"a.img", PatternBytes(kTestSectorBytes, 21));
        package.AddProgram(L"a.img", start, L"1");
        package.Write();

        EXPECT_FALSE(RunRawProgram(package));
        EXPECT_EQ(std::vector<std::wstring>{FormatWide(L"start_sector [%s] of a.img is not a sector!", start)},
                  recorder_.Texts(MSG_FAILURE));
    }
    ExpectStorageUntouched();
}

TEST_F(DiskRefusalTest, ImagesRunningPastTheDisksEndAreRefusedBeforeWriting) {
    // The last sector fits; one more does not; 2^55 sectors (2^64 bytes)
    // must not wrap around to sector 0.
    const struct {
        const wchar_t* start;
        size_t bytes;
        bool fits;
    } cases[] = {{L"8191", kTestSectorBytes, true},
                 {L"8191", kTestSectorBytes + 1, false},
                 {L"NUM_DISK_SECTORS-0.", 1, false},
                 {L"36028797018963968", kTestSectorBytes, false}};
    for (const auto& item : cases) {
        SCOPED_TRACE(NarrowPath(item.start));
        recorder_.Clear();
        PackageBuilder package = NewPackage();
        package.AddImage(L"a.img", PatternBytes(item.bytes, 22));
        package.AddProgram(L"a.img", item.start, L"");
        package.Write();
        const size_t transfers = disk_->Transfers().size();
        EXPECT_EQ(item.fits, RunRawProgram(package));
        if (item.fits) {
            EXPECT_TRUE(recorder_.Texts(MSG_FAILURE).empty());
            continue;
        }
        const uint64_t sectors = (item.bytes + kTestSectorBytes - 1) / kTestSectorBytes;
        EXPECT_EQ(std::vector<std::wstring>{FormatWide(
                      L"File %s\\a.img at sector %s needs %I64u sectors, the disk has 8192!", package.Folder().c_str(),
                      item.start[0] == L'N' ? L"8192" : item.start, sectors)},
                  recorder_.Texts(MSG_FAILURE));
        EXPECT_EQ(transfers, disk_->Transfers().size()) << "nothing was written";
    }
    EXPECT_EQ(kStorageBytes, Storage().size());
}

TEST_F(DiskRefusalTest, TheDiskRefusesTransfersPastItsEnd) {
    CScopedHandle disk = OpenDisk();
    ASSERT_NE(0u, engine_->GetDriveGeometry(disk.Get()));
    const std::string bytes = PatternBytes(2 * kTestSectorBytes, 27);
    EXPECT_FALSE(
        engine_->WriteDisk(disk.Get(), NumDiskSectors() - 1, 0, bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SECTOR_NOT_FOUND), GetLastError());
    uint8_t buffer[2 * kTestSectorBytes] = {};
    EXPECT_FALSE(engine_->ReadDisk(buffer, disk.Get(), NumDiskSectors(), 0, kTestSectorBytes));
    EXPECT_TRUE(
        engine_->WriteDisk(disk.Get(), NumDiskSectors() - 2, 0, bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_TRUE(engine_->ReadDisk(buffer, disk.Get(), NumDiskSectors() - 2, 0, sizeof(buffer)));
    disk.Reset();
    EXPECT_EQ(kStorageBytes, Storage().size()) << "the storage never grows";
    EXPECT_EQ(bytes, Storage(kStorageBytes - bytes.size(), bytes.size()));
}

// A list with one bad entry after good ones: the download ends before the
// layout is wiped, and the report names the entry.
TEST_F(DiskRefusalTest, AHostileListLeavesTheDiskAsItWas) {
    struct Case {
        std::function<void(PackageBuilder&)> spoil;
        const wchar_t* report;  // %s: the package folder
    };
    const Case cases[] = {
        {[](PackageBuilder& p) {
             p.AddImage(L"big.img", PatternBytes(3 * kTestSectorBytes, 2));
             p.AddProgram(L"big.img", L"3", L"2");
         },
         L"File %s\\big.img needs 3 sectors, its partition has 2!"},
        {[](PackageBuilder& p) {
             p.AddImage(L"tail.img", PatternBytes(2 * kTestSectorBytes, 3));
             p.AddProgram(L"tail.img", L"8191", L"");
         },
         L"File %s\\tail.img at sector 8191 needs 2 sectors, the disk has 8192!"},
        {[](PackageBuilder& p) {
             p.AddImage(L"odd.img", PatternBytes(kTestSectorBytes, 4));
             p.AddProgram(L"odd.img", L"0x10", L"1");
         },
         L"start_sector [0x10] of odd.img is not a sector!"},
        {[](PackageBuilder& p) { p.AddProgram(L"absent.img", L"20", L"1"); },
         L"Can't Finded %s\\bp_image\\absent.img!"},
        {[](PackageBuilder& p) { p.AddPatch(L"0", L"4", L"8192", L"5", L"past the end"); },
         L"Patch [past the end]: start_sector 8192 lies past the disk's end (8192 sectors)!"},
        {[](PackageBuilder& p) {
             p.AddPatch(L"88", L"4", L"1", L"CRC32(NUM_DISK_SECTORS-1.,1024)", L"crc past the end");
         },
         L"Patch [crc past the end]: CRC32 expression [CRC32(NUM_DISK_SECTORS-1.,1024)] runs past the disk's end "
         L"(8192 sectors)!"},
        {[](PackageBuilder& p) { p.AddPatch(L"88", L"4", L"1", L"CRC32(2,1024000000)", L"huge crc"); },
         L"Patch [huge crc]: CRC32 expression [CRC32(2,1024000000)] covers 1024000000 bytes, more than 4194304!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NarrowPath(c.report));
        recorder_.Clear();
        PackageBuilder package = NewPackage();
        package.AddImage(L"first.img", PatternBytes(kTestSectorBytes, 1));
        package.AddProgram(L"first.img", L"2", L"1");
        package.AddPatch(L"0", L"4", L"2", L"7", L"a good patch");
        c.spoil(package);
        package.Write();
        UsePackage(package.Folder(), package.ImageMb());

        EXPECT_FALSE(engine_->DownloadDisk());
        EXPECT_EQ(std::vector<std::wstring>{FormatWide(c.report, package.Folder().c_str())},
                  recorder_.Texts(MSG_FAILURE));
        EXPECT_EQ(0u, disk_->RequestCount(IOCTL_DISK_DELETE_DRIVE_LAYOUT));
        ExpectStorageUntouched();
    }
}

TEST_F(DiskRefusalTest, APartitionCountOfZeroOrNoneSetsNoLimit) {
    const wchar_t* const counts[] = {L"3", L"0", L""};
    uint64_t sector = 10;
    PackageBuilder package = NewPackage();
    std::vector<std::string> images;
    for (const wchar_t* count : counts) {
        const std::wstring name = FormatWide(L"img%I64u.img", sector);
        images.push_back(PatternBytes(2 * kTestSectorBytes + 1, static_cast<uint32_t>(sector)));
        package.AddImage(name, images.back());
        package.AddProgram(name, FormatWide(L"%I64u", sector), count);
        sector += 10;
    }
    package.Write();

    EXPECT_TRUE(RunRawProgram(package));
    for (size_t index = 0; index < images.size(); ++index) {
        EXPECT_EQ(images[index], Storage((10 + 10 * index) * kTestSectorBytes, images[index].size()));
    }

    recorder_.Clear();
    PackageBuilder wordy = NewPackage();
    wordy.AddImage(L"a.img", PatternBytes(kTestSectorBytes, 26));
    wordy.AddProgram(L"a.img", L"60", L"two");
    wordy.Write();
    EXPECT_FALSE(RunRawProgram(wordy));
    EXPECT_EQ(std::vector<std::wstring>{L"num_partition_sectors [two] of a.img is not a number!"},
              recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(std::string(kTestSectorBytes, '\xEE'), Storage(60 * kTestSectorBytes, kTestSectorBytes));
}

class DiskPatchRefusalTest : public DiskRefusalTest {
protected:
    // An image at sector 1, then the one patch.
    bool RunPatch(const std::wstring& offset, const std::wstring& size, const std::wstring& start,
                  const std::wstring& value) {
        PackageBuilder package = NewPackage();
        table_ = PatternBytes(2 * kTestSectorBytes, 31);
        package.AddImage(L"table.bin", table_);
        package.AddProgram(L"table.bin", L"1", L"2");
        package.AddPatch(offset, size, start, value, L"the patch");
        package.AddPatch(L"0", L"1", L"1", L"0", L"a later patch");
        package.Write();
        return RunRawProgram(package);
    }
    std::string table_;
};

TEST_F(DiskPatchRefusalTest, BytesOutsideTheSectorOrValueAreRefused) {
    struct Case {
        const wchar_t* offset;
        const wchar_t* size;
    };
    const Case refused[] = {{L"505", L"8"},
                            {L"0", L"9"},
                            {L"600", L"1"},
                            {L"513", L"0"},
                            {L"18446744073709551615", L"8"},
                            {L"511", L"18446744073709551615"}};
    for (const Case& c : refused) {
        SCOPED_TRACE(NarrowPath(std::wstring(c.offset) + L"+" + c.size));
        recorder_.Clear();
        EXPECT_FALSE(RunPatch(c.offset, c.size, L"1", L"4294967295"));
        EXPECT_EQ(
            std::vector<std::wstring>{FormatWide(
                L"Patch [the patch] lies outside its sector: byte_offset %s, size_in_bytes %s", c.offset, c.size)},
            recorder_.Texts(MSG_FAILURE));
        ExpectStorageUntouched();
    }

    // The last eight bytes of the sector are inside it.
    recorder_.Clear();
    EXPECT_TRUE(RunPatch(L"504", L"8", L"1", L"NUM_DISK_SECTORS-2."));
    EXPECT_EQ(NumDiskSectors() - 2u, LittleEndianAt(Storage(kTestSectorBytes, kTestSectorBytes), 504, 8));
}

TEST_F(DiskPatchRefusalTest, NumbersThatAreNoNumbersAreRefused) {
    struct Case {
        const wchar_t* offset;
        const wchar_t* size;
        const wchar_t* start;
        const wchar_t* value;
        const wchar_t* report;
    };
    const Case cases[] = {
        {L"8", L"4", L"one", L"5", L"Patch [the patch]: start_sector [one] is not a sector!"},
        {L"8", L"4", L"", L"5", L"Patch [the patch]: start_sector [] is not a sector!"},
        {L"8", L"4", L"NUM_DISK_SECTORS-9000.", L"5",
         L"Patch [the patch]: start_sector [NUM_DISK_SECTORS-9000.] is not a sector!"},
        {L"8", L"4", L"1", L"five", L"Patch [the patch]: value [five] is not a number!"},
        {L"x", L"4", L"1", L"5", L"Patch [the patch]: byte_offset [x] or size_in_bytes [4] is not a number!"},
        {L"8", L"", L"1", L"5", L"Patch [the patch]: byte_offset [8] or size_in_bytes [] is not a number!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NarrowPath(c.report));
        recorder_.Clear();
        EXPECT_FALSE(RunPatch(c.offset, c.size, c.start, c.value));
        EXPECT_EQ(std::vector<std::wstring>{c.report}, recorder_.Texts(MSG_FAILURE));
        ExpectStorageUntouched();
    }
}

TEST_F(DiskPatchRefusalTest, CrcExpressionsThatAreMalformedOrTooLongAreRefused) {
    const struct {
        const wchar_t* value;
        const wchar_t* report;
    } cases[] = {
        {L"CRC32(2;92)", L"Patch [the patch]: CRC32 expression [CRC32(2;92)] Error!"},
        {L"CRC32(0,4194305)",
         L"Patch [the patch]: CRC32 expression [CRC32(0,4194305)] covers 4194305 bytes, more than 4194304!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(NarrowPath(c.value));
        recorder_.Clear();
        EXPECT_FALSE(RunPatch(L"88", L"4", L"1", c.value));
        EXPECT_EQ(std::vector<std::wstring>{c.report}, recorder_.Texts(MSG_FAILURE));
        ExpectStorageUntouched();
    }
    // The whole disk is the longest span taken.
    recorder_.Clear();
    EXPECT_TRUE(RunPatch(L"88", L"4", L"1", L"CRC32(0,4194304)"));
    EXPECT_TRUE(recorder_.Texts(MSG_FAILURE).empty());
}

class DiskAccessTest : public DiskWriterTest {};

TEST_F(DiskAccessTest, ReadsAndWritesReportTheirFailures) {
    uint8_t buffer[kTestSectorBytes] = {};
    EXPECT_FALSE(engine_->ReadDisk(buffer, INVALID_HANDLE_VALUE, 0, 0, kTestSectorBytes));
    EXPECT_EQ(std::vector<std::wstring>{L"fun: ReadDisk hDisk = INVALID_HANDLE_VALUE!"}, recorder_.Texts(MSG_FAILURE));

    recorder_.Clear();
    EXPECT_FALSE(engine_->WriteFileToDisk(L"C:\\absent.img", INVALID_HANDLE_VALUE, 0, 0));
    EXPECT_EQ(std::vector<std::wstring>{L"hDisk Invalid!"}, recorder_.Texts(MSG_FAILURE));

    CScopedHandle disk = OpenDisk();
    recorder_.Clear();
    EXPECT_FALSE(engine_->WriteFileToDisk(L"C:\\absent.img", disk.Get(), 0, 0));
    EXPECT_EQ(std::vector<std::wstring>{L"open file C:\\absent.img fail!"}, recorder_.Texts(MSG_FAILURE));

    recorder_.Clear();
    EXPECT_FALSE(engine_->ReadDisk(buffer, disk.Get(), NumDiskSectors() - 1, 1, kTestSectorBytes));
    EXPECT_EQ(std::vector<std::wstring>{L"fun: ReadDisk SetFileSeek ErrorCode = 27"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_TRUE(HasText(MSG_DETAIL, FormatWide(L"SetFilePointer Address:0x%I64X",
                                               uint64_t{NumDiskSectors()} * kTestSectorBytes - kTestSectorBytes + 1)));

    // A byte offset inside the sector counts from the sector's start.
    const std::string bytes = PatternBytes(100, 41);
    EXPECT_TRUE(engine_->WriteDisk(disk.Get(), 7, 30, bytes.data(), 100));
    disk.Reset();
    EXPECT_EQ(bytes, Storage(7 * kTestSectorBytes + 30, 100));
}

TEST_F(DiskAccessTest, CrcExpressionsReadWholeSectorsAndSumTheirLength) {
    const std::string content = PatternBytes(40 * kTestSectorBytes, 42);
    PutStorage(0, content);
    const std::string tail = PatternBytes(kTestSectorBytes, 43);
    PutStorage(kStorageBytes - kTestSectorBytes, tail);
    engine_->crcSampleStep = 1;
    CScopedHandle disk = OpenDisk();

    std::optional<uint64_t> crc = engine_->EvalCrc32Expression(disk.Get(), L"CRC32(2,16896)", NumDiskSectors());
    ASSERT_TRUE(crc.has_value());
    EXPECT_EQ(ReferenceCrc32(content, 2 * kTestSectorBytes, 16896), *crc);
    ASSERT_FALSE(disk_->Transfers().empty());
    EXPECT_EQ(1024u, disk_->Transfers().back().offset);
    EXPECT_EQ(33u * kTestSectorBytes, disk_->Transfers().back().length);

    crc = engine_->EvalCrc32Expression(disk.Get(), L"CRC32(3,100)", NumDiskSectors());
    ASSERT_TRUE(crc.has_value());
    EXPECT_EQ(ReferenceCrc32(content, 3 * kTestSectorBytes, 100), *crc);
    EXPECT_EQ(kTestSectorBytes, disk_->Transfers().back().length);

    crc = engine_->EvalCrc32Expression(disk.Get(), L"Header CRC32(NUM_DISK_SECTORS-1.,92)", NumDiskSectors());
    ASSERT_TRUE(crc.has_value());
    EXPECT_EQ(ReferenceCrc32(tail, 0, 92), *crc);
    EXPECT_TRUE(HasText(MSG_DETAIL, L"CRC32 start sector[ 8191 ] bytes for CRC[ 92]"));

    // An empty span is a CRC like any other.
    crc = engine_->EvalCrc32Expression(disk.Get(), L"CRC32(5,0)", NumDiskSectors());
    ASSERT_TRUE(crc.has_value());
    EXPECT_EQ(0u, *crc);
}

TEST_F(DiskAccessTest, TheChunkCheckSamplesEveryTwoHundredthByte) {
    const std::string bytes = PatternBytes(2 * 1024 * 1024, 44);
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    engine_->crcSampleStep = 200;
    std::string sample;
    for (size_t at = 0; at < bytes.size(); at += 200) {
        sample += bytes[at];
    }
    EXPECT_EQ(ReferenceCrc32(sample), engine_->Crc32(static_cast<uint32_t>(bytes.size()), data));

    // Bytes between the samples do not count; a sampled one does.
    std::string changed = bytes;
    changed[201] ^= 0x01;
    EXPECT_EQ(engine_->Crc32(static_cast<uint32_t>(bytes.size()), data),
              engine_->Crc32(static_cast<uint32_t>(changed.size()), reinterpret_cast<const uint8_t*>(changed.data())));
    changed[200] ^= 0x01;
    EXPECT_NE(engine_->Crc32(static_cast<uint32_t>(bytes.size()), data),
              engine_->Crc32(static_cast<uint32_t>(changed.size()), reinterpret_cast<const uint8_t*>(changed.data())));

    engine_->crcSampleStep = 1;
    EXPECT_EQ(ReferenceCrc32(bytes), engine_->Crc32(static_cast<uint32_t>(bytes.size()), data));
}

}  // namespace
