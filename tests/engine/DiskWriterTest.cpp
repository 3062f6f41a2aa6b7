// The eMMC writer against the simulated phone: the real file calls on the
// phone's storage file, the disk requests answered by the simulated phone.
#include <gtest/gtest.h>

#include <algorithm>

#include "DiskTestSupport.h"
#include "PackageFile.h"
#include "TextFormat.h"

namespace {

const std::wstring kSampleFolder = FixturesDir() + L"\\packages\\SampleFH8974";

struct PlacedImage {
    const wchar_t* path;        // inside the package folder
    uint64_t sectorsBeforeEnd;  // 0: `sector` counts from the start
    uint64_t sector;
};

// The sample package's partition list, as a reader of it sees it.
const PlacedImage kSampleImages[] = {
    {L"gpt_main0.bin", 0, 0},    {L"sbl1.mbn", 0, 34},     {L"bp_image\\NON-HLOS.bin", 0, 42},
    {L"boot.img", 0, 58},        {L"system.img", 0, 66},   {L"udisk.img", 0, 74},
    {L"usbmsc.img", 0, 82},      {L"userdata.img", 0, 90}, {L"cache.img", 0, 98},
    {L"gpt_backup0.bin", 33, 0},
};

size_t FirstDifference(const std::string& a, const std::string& b) {
    const auto where = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return static_cast<size_t>(where.first - a.begin());
}

// Reports from the first with `first` text on, up to and including the
// first with `last` text.
std::vector<RecordedReport> ReportsBetween(const std::vector<RecordedReport>& reports, const std::wstring& first,
                                           const std::wstring& last) {
    std::vector<RecordedReport> span;
    bool inside = false;
    for (const RecordedReport& report : reports) {
        inside = inside || report.text == first;
        if (inside) {
            span.push_back(report);
            if (report.text == last) {
                break;
            }
        }
    }
    return span;
}

std::wstring HexOf(const std::string& bytes, size_t offset, size_t length) {
    std::wstring text;
    for (size_t index = 0; index < length; ++index) {
        if (index > 0 && index % 16 == 0) {
            text += L"\n     ";
        }
        text += FormatWide(L"%02X ", static_cast<uint8_t>(bytes[offset + index]));
    }
    return text;
}

class DiskPackageTest : public DiskWriterTest {};

TEST_F(DiskPackageTest, WritesTheSamplePackageAndItsPatchesAsAnIndependentReaderExpects) {
    FillStorage('\xEE');
    const std::wstring sample = NewPackage().Folder();
    // A copy: the writer opens images without sharing, and other test
    // programs read the fixtures too.
    ASSERT_TRUE(CopyFolderTree(kSampleFolder, sample));
    double imageMb = 0;
    for (const PlacedImage& image : kSampleImages) {
        imageMb += FileSizeMb(sample + L"\\" + image.path);
    }
    UsePackage(sample, imageMb);
    const std::string fileCopyBefore = ReadWholeFile(sample + L"\\gpt_main0.bin");

    ASSERT_TRUE(engine_->DownloadDisk());

    // Every image at its sector over the untouched background.
    const uint64_t n = NumDiskSectors();
    std::string expected(static_cast<size_t>(kStorageBytes), '\xEE');
    for (const PlacedImage& image : kSampleImages) {
        const std::string bytes = ReadWholeFile(sample + L"\\" + image.path);
        const uint64_t sector = image.sectorsBeforeEnd != 0 ? n - image.sectorsBeforeEnd : image.sector;
        expected.replace(static_cast<size_t>(sector * kTestSectorBytes), bytes.size(), bytes);
    }
    // The patch list, applied in its order with zlib's CRC.
    const size_t primary = kTestSectorBytes;
    const size_t backupHeader = static_cast<size_t>((n - 1) * kTestSectorBytes);
    PutLittleEndian(expected, static_cast<size_t>((n - 33) * kTestSectorBytes) + 168, 8, n - 34);
    PutLittleEndian(expected, primary + 48, 8, n - 34);
    PutLittleEndian(expected, primary + 32, 8, n - 1);
    PutLittleEndian(expected, primary + 88, 4, ReferenceCrc32(expected, 2 * kTestSectorBytes, 4096));
    PutLittleEndian(expected, primary + 16, 4, 0);
    PutLittleEndian(expected, primary + 16, 4, ReferenceCrc32(expected, primary, 92));
    PutLittleEndian(expected, backupHeader + 16, 4, ReferenceCrc32(expected, backupHeader, 92));

    const std::string storage = Storage();
    EXPECT_TRUE(storage == expected) << "first difference at byte " << FirstDifference(storage, expected);

    // The CRC fields check out against the bytes on the disk.
    EXPECT_EQ(ReferenceCrc32(storage, 2 * kTestSectorBytes, 4096), LittleEndianAt(storage, primary + 88, 4));
    std::string header = storage.substr(primary, 92);
    PutLittleEndian(header, 16, 4, 0);
    EXPECT_EQ(ReferenceCrc32(header), LittleEndianAt(storage, primary + 16, 4));
    EXPECT_EQ(n - 1, LittleEndianAt(storage, primary + 32, 8));
    EXPECT_EQ(n - 34, LittleEndianAt(storage, primary + 48, 8));

    // The element that patches a file copy is not for the disk.
    EXPECT_EQ(fileCopyBefore, ReadWholeFile(sample + L"\\gpt_main0.bin"));
    const std::vector<int32_t> percents = recorder_.Percents();
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(100, percents.back());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
}

TEST_F(DiskPackageTest, PadsAnImageToWholeSectorsAndLeavesTheRestAlone) {
    FillStorage('\xEE');
    PackageBuilder package = NewPackage();
    const std::string odd = PatternBytes(513, 1);
    const std::string inBpImage = PatternBytes(1, 2);
    package.AddImage(L"odd.img", odd);
    package.AddImage(L"one.img", inBpImage, true);
    package.AddProgram(L"odd.img", L"10", L"2");
    package.AddProgram(L"", L"20", L"8");  // the user-data variant: nothing to write
    package.AddProgram(L"one.img", L"NUM_DISK_SECTORS-1.", L"1");
    package.Write();
    UsePackage(package.Folder(), package.ImageMb());

    ASSERT_TRUE(engine_->DownloadDisk());

    EXPECT_EQ(odd, Storage(10 * kTestSectorBytes, odd.size()));
    EXPECT_EQ(std::string(511, '\0'), Storage(10 * kTestSectorBytes + 513, 511));
    EXPECT_EQ(std::string(kTestSectorBytes, '\xEE'), Storage(12 * kTestSectorBytes, kTestSectorBytes));
    EXPECT_EQ(std::string(8 * kTestSectorBytes, '\xEE'), Storage(20 * kTestSectorBytes, 8 * kTestSectorBytes));
    const uint64_t last = (NumDiskSectors() - 1) * uint64_t{kTestSectorBytes};
    EXPECT_EQ(inBpImage + std::string(511, '\0'), Storage(last, kTestSectorBytes));
    EXPECT_EQ(kStorageBytes, Phone().StorageBytes());
}

TEST_F(DiskPackageTest, ReportsEachChunkInTheWritersOrder) {
    PackageBuilder package = NewPackage();
    const std::string image = PatternBytes(1000, 3);
    package.AddImage(L"boot.img", image);
    package.AddProgram(L"boot.img", L"7", L"4");
    package.Write();
    UsePackage(package.Folder(), package.ImageMb());

    ASSERT_TRUE(engine_->DownloadDisk());

    const std::wstring path = package.Folder() + L"\\boot.img";
    std::string sample;
    for (size_t at = 0; at < image.size(); at += 200) {
        sample += image[at];
    }
    const std::wstring crc = FormatWide(L"0x%.8X", ReferenceCrc32(sample));
    const std::vector<RecordedReport> expected = {
        {MSG_PROGRESS_LINE, 0, FormatWide(L"Download file %s to Disk...", path.c_str())},
        {MSG_STEP_OK, 0, FormatWide(L"open file %s succeed!", path.c_str())},
        {MSG_DETAIL, 0, L"parsing statement: 7"},
        {MSG_DETAIL, 0, L"statement evaluated as:  7"},
        {MSG_DETAIL, 0, L"file offset 0, start sector 7, sectors 4"},
        {MSG_DETAIL, 0, FormatWide(L"Writing File %s to file partition at 0xE00", path.c_str())},
        {MSG_DETAIL, 0, L"Read file size 1000"},
        {MSG_DETAIL, 0, L"The FileCRC32 value " + crc},
        {MSG_DETAIL, 0, L"SetFilePointer Address:0xE00"},
        {MSG_DETAIL, 0, L"SetFilePointer Address:0xE00"},
        {MSG_PERCENT, 100, L""},
        {MSG_DETAIL, 0, L"The DiskCRC32 value " + crc},
        {MSG_DETAIL, 0, L"WriteFile position 0xE00,\t size 1024"},
        {MSG_DETAIL, 0, FormatWide(L"File %s write complete!", path.c_str())},
    };
    const std::vector<RecordedReport> actual =
        ReportsBetween(recorder_.Reports(), expected.front().text, expected.back().text);
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t index = 0; index < expected.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(expected[index].code, actual[index].code);
        EXPECT_EQ(expected[index].value, actual[index].value);
        EXPECT_EQ(expected[index].text, actual[index].text);
    }
    // The layout is wiped once both lists were read and checked, before the
    // first image.
    const std::vector<std::wstring> details = recorder_.Texts(MSG_DETAIL);
    ASSERT_GE(details.size(), 1u);
    EXPECT_EQ(L"DiskName:", details[0]);
    std::vector<std::wstring> steps;
    for (const RecordedReport& report : recorder_.Reports()) {
        if (report.text == L"Wipe Disk ....." || report.text.rfind(L"Open [", 0) == 0 ||
            report.text.rfind(L"Download file ", 0) == 0) {
            steps.push_back(report.text);
        }
    }
    EXPECT_EQ((std::vector<std::wstring>{FormatWide(L"Open [%s\\patch0.xml] Success!", package.Folder().c_str()),
                                         L"Wipe Disk .....", FormatWide(L"Download file %s to Disk...", path.c_str())}),
              steps);
    EXPECT_TRUE(HasText(MSG_PROGRESS_LINE, L"Start Download Disk..."));
    EXPECT_TRUE(HasText(MSG_STEP_OK, L"Wipe Disk SUCCESS!"));
    EXPECT_EQ(1u, disk_->RequestCount(IOCTL_DISK_DELETE_DRIVE_LAYOUT));
    EXPECT_EQ(1u, disk_->RequestCount(IOCTL_DISK_UPDATE_PROPERTIES));
}

TEST_F(DiskPackageTest, WritesAnImageOfSeveralChunksChunkByChunk) {
    PackageBuilder package = NewPackage();
    const std::string image = PatternBytes(2 * 1024 * 1024 + 700, 4);
    package.AddImage(L"system.img", image);
    package.AddProgram(L"system.img", L"64", L"0");
    package.Write();
    UsePackage(package.Folder(), package.ImageMb());

    ASSERT_TRUE(engine_->DownloadDisk());

    EXPECT_EQ(image, Storage(64 * kTestSectorBytes, image.size()));
    EXPECT_EQ(1u, CountTexts(L"Read file size 2097152"));
    EXPECT_EQ(1u, CountTexts(L"Read file size 700"));
    EXPECT_EQ(1u, CountTexts(L"WriteFile position 0x8000,\t size 2097152"));
    EXPECT_EQ(1u, CountTexts(L"WriteFile position 0x208000,\t size 1024"));
    const std::vector<int32_t> percents = recorder_.Percents();
    ASSERT_EQ(2u, percents.size());
    EXPECT_EQ(static_cast<int32_t>(2.0 / package.ImageMb() * 96 + 4), percents[0]);
    EXPECT_EQ(100, percents[1]);
    EXPECT_DOUBLE_EQ(package.ImageMb(), engine_->diskMbWritten);
}

TEST_F(DiskPackageTest, AppliesOnlyDiskPatchesAndSucceedsWithoutAny) {
    PackageBuilder package = NewPackage();
    package.AddImage(L"a.img", std::string(kTestSectorBytes, '\x11'));
    package.AddProgram(L"a.img", L"5", L"1");
    package.AddPatch(L"0", L"4", L"5", L"305419896", L"elsewhere", L"a.img");
    package.Write();
    UsePackage(package.Folder(), package.ImageMb());

    ASSERT_TRUE(engine_->DownloadDisk());
    EXPECT_EQ(std::string(kTestSectorBytes, '\x11'), Storage(5 * kTestSectorBytes, kTestSectorBytes));
    EXPECT_FALSE(HasText(MSG_DETAIL, L"elsewhere"));
    EXPECT_TRUE(HasText(MSG_STEP_OK, FormatWide(L"Open [%s\\patch0.xml] Success!", package.Folder().c_str())));
}

TEST_F(DiskPackageTest, PatchesNumbersAndCrcsWithTheirReports) {
    PackageBuilder package = NewPackage();
    std::string table = PatternBytes(2 * kTestSectorBytes, 5);
    package.AddImage(L"table.bin", table);
    package.AddProgram(L"table.bin", L"1", L"2");
    package.AddPatch(L"8", L"2", L"1", L"4660", L"small number");
    package.AddPatch(L"504", L"8", L"1", L"NUM_DISK_SECTORS-2.", L"last bytes of the sector");
    package.AddPatch(L"16", L"4", L"1", L"CRC32(2,20)", L"crc of sector 2");
    package.Write();
    UsePackage(package.Folder(), package.ImageMb());

    ASSERT_TRUE(engine_->DownloadDisk());

    const std::string sector = Storage(kTestSectorBytes, kTestSectorBytes);
    EXPECT_EQ(0x1234u, LittleEndianAt(sector, 8, 2));
    EXPECT_EQ(table[10], sector[10]);  // two bytes only
    EXPECT_EQ(NumDiskSectors() - 2u, LittleEndianAt(sector, 504, 8));
    const uint32_t crc = ReferenceCrc32(table, kTestSectorBytes, 20);
    EXPECT_EQ(crc, LittleEndianAt(sector, 16, 4));
    EXPECT_EQ(table[20], sector[20]);

    EXPECT_TRUE(HasText(MSG_DETAIL, L"parsing statement:CRC32(2,20)"));
    EXPECT_TRUE(HasText(MSG_DETAIL, L"CRC32 start sector[ 2 ] bytes for CRC[ 20]"));
    EXPECT_TRUE(HasText(MSG_DETAIL, L"CRC32(2,20)Check Data:" + HexOf(table, kTestSectorBytes, 20)));
    EXPECT_TRUE(HasText(MSG_DETAIL, FormatWide(L"CRC32 value 0x%.8X", crc)));
    EXPECT_TRUE(HasText(MSG_DETAIL, L"crc of sector 2"));
    // The sector's dump shows its first 32 bytes only.
    EXPECT_TRUE(HasText(MSG_DETAIL, L"Wirte CRC Var(CRC32(2,20))Data :" + HexOf(sector, 0, 32) + L"... (512 bytes)"));
    // Only the CRC patch dumps its sector.
    size_t dumps = 0;
    for (const std::wstring& text : recorder_.Texts(MSG_DETAIL)) {
        dumps += text.rfind(L"Wirte CRC Var(", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(1u, dumps);
}

TEST_F(DiskPackageTest, ReportsTheGeometryOfTheDisk) {
    CScopedHandle disk = OpenDisk();
    EXPECT_EQ(NumDiskSectors(), engine_->GetDriveGeometry(disk.Get()));
    const std::vector<std::wstring> expected = {
        L"Cylinders       = 0",
        L"Tracks/cylinder = 255",
        L"Sectors/track   = 63",
        L"Bytes/sector    = 512",
        L"Disk sectors    = 8192",
        L"Disk size       = 4194304(Bytes) =  4.00(Mb) =  0.00(Gb)",
        L"Cylinders = 0,Tracks/cylinder = 255",
        L"Sectors/track   = 63,Bytes/sector = 512",
        L"Disk sectors  = 8192,Disk size = 4194304(Bytes)",
    };
    EXPECT_EQ(expected, recorder_.Texts(MSG_DETAIL));

    recorder_.Clear();
    EXPECT_EQ(0u, engine_->GetDriveGeometry(INVALID_HANDLE_VALUE));
    EXPECT_EQ(std::vector<std::wstring>{L"GetDriveGeometry failed. Error 6"}, recorder_.Texts(MSG_FAILURE));

    // A phone that leaves download mode no longer answers.
    recorder_.Clear();
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    EXPECT_EQ(0u, engine_->GetDriveGeometry(disk.Get()));
    EXPECT_EQ(std::vector<std::wstring>{L"GetDriveGeometry failed. Error 21"}, recorder_.Texts(MSG_FAILURE));
}

TEST_F(DiskPackageTest, TheRealDiskRequestsFailOnAPlainFileAndTheDownloadStops) {
    // The product's requests: Wine answers a plain file with error 50.
    engine_->diskControl = MakeSystemDiskControl();
    disk_ = nullptr;
    PackageBuilder package = NewPackage();
    package.AddImage(L"a.img", std::string(kTestSectorBytes, '\x22'));
    package.AddProgram(L"a.img", L"3", L"");
    package.Write();
    UsePackage(package.Folder(), package.ImageMb());

    // Without the disk's size nothing can be checked, so nothing is wiped.
    EXPECT_FALSE(engine_->DownloadDisk());
    EXPECT_EQ(std::vector<std::wstring>{L"GetDriveGeometry failed. Error 50"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(0u, CountTexts(L"Wipe Disk ....."));
    EXPECT_EQ(std::string(kTestSectorBytes, '\0'), Storage(3 * kTestSectorBytes, kTestSectorBytes));
}

class RefusingLayoutControl : public CSimDiskControl {
public:
    bool Request(HANDLE disk, DWORD code, void* output, DWORD outputBytes, DWORD& returned) override {
        if (code == IOCTL_DISK_DELETE_DRIVE_LAYOUT) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        return CSimDiskControl::Request(disk, code, output, outputBytes, returned);
    }
};

TEST_F(DiskPackageTest, AFailedWipeIsReportedAndTheDownloadGoesOn) {
    auto control = std::make_unique<RefusingLayoutControl>();
    disk_ = control.get();
    engine_->diskControl = std::move(control);
    PackageBuilder package = NewPackage();
    package.AddImage(L"a.img", std::string(kTestSectorBytes, '\x33'));
    package.AddProgram(L"a.img", L"3", L"");
    package.Write();
    UsePackage(package.Folder(), package.ImageMb());

    EXPECT_TRUE(engine_->DownloadDisk());
    EXPECT_TRUE(HasText(MSG_FAILURE, L"Wipe Disk Fail!"));
    EXPECT_FALSE(HasText(MSG_STEP_OK, L"Wipe Disk SUCCESS!"));
    EXPECT_EQ(0u,
              disk_->RequestCount(IOCTL_DISK_UPDATE_PROPERTIES));  // only after a deleted layout
    EXPECT_EQ(std::string(kTestSectorBytes, '\x33'), Storage(3 * kTestSectorBytes, kTestSectorBytes));
}

TEST_F(DiskPackageTest, MissingDiskListOrImageEndTheDownload) {
    PackageBuilder package = NewPackage();
    package.AddProgram(L"absent.img", L"3", L"");
    package.Write();

    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    UsePackage(package.Folder(), 1.0);
    EXPECT_FALSE(engine_->DownloadDisk());
    EXPECT_EQ(std::vector<std::wstring>{L"Can't Find Disk!"}, recorder_.Texts(MSG_FAILURE));

    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    recorder_.Clear();
    UsePackage(package.Folder(), 1.0, "absent_rawprogram.xml");
    EXPECT_FALSE(engine_->DownloadDisk());
    EXPECT_EQ(std::vector<std::wstring>{L"Can't Finded absent_rawprogram.xml"}, recorder_.Texts(MSG_FAILURE));

    recorder_.Clear();
    UsePackage(package.Folder(), 1.0);
    EXPECT_FALSE(engine_->DownloadDisk());
    EXPECT_EQ(
        std::vector<std::wstring>{FormatWide(L"Can't Finded %s\\bp_image\\absent.img!", package.Folder().c_str())},
        recorder_.Texts(MSG_FAILURE));

    recorder_.Clear();
    UsePackage(package.Folder(), 1.0, "rawprogram_unsparse.xml", "absent_patch.xml");
    PackageBuilder noImages(package.Folder());
    noImages.Write();
    EXPECT_FALSE(engine_->DownloadDisk());
    EXPECT_EQ(std::vector<std::wstring>{FormatWide(L"Can't Finded %s\\bp_image\\absent_patch.xml!",
                                                   package.Folder().c_str())},
              recorder_.Texts(MSG_FAILURE));
}

TEST_F(DiskPackageTest, ListsThatCannotBeReadAreReported) {
    PackageBuilder package = NewPackage();
    package.Write();
    // Neither a list without root element nor a cut-off one parses.
    ASSERT_TRUE(WriteBytes(package.Folder() + L"\\empty.xml", "<?xml version=\"1.0\" ?>\n"));
    ASSERT_TRUE(WriteBytes(package.Folder() + L"\\broken.xml", "<data><program filename=\"a"));
    const std::wstring empty = package.Folder() + L"\\empty.xml";
    const std::wstring broken = package.Folder() + L"\\broken.xml";
    struct Case {
        const char* rawprogram;
        const char* patch;
        std::wstring report;
    };
    const Case cases[] = {
        {"empty.xml", "patch0.xml", FormatWide(L"Open File [%s] Failed!", empty.c_str())},
        {"broken.xml", "patch0.xml", FormatWide(L"Open File [%s] Failed!", broken.c_str())},
        {"rawprogram_unsparse.xml", "empty.xml", FormatWide(L"Open [%s] Faile!", empty.c_str())},
        {"rawprogram_unsparse.xml", "broken.xml", FormatWide(L"Open [%s] Faile!", broken.c_str())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NarrowPath(c.report));
        recorder_.Clear();
        UsePackage(package.Folder(), 1.0, c.rawprogram, c.patch);
        EXPECT_FALSE(engine_->DownloadDisk());
        EXPECT_EQ(std::vector<std::wstring>{c.report}, recorder_.Texts(MSG_FAILURE));
    }
}

}  // namespace
