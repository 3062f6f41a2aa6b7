// The zip reader against archives built here and archives made by Debian's
// `zip`: opening from each kind of source, finding and listing items, and
// extracting them to memory, to handles and to named files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "ZipReader.h"
#include "ZipArchive.h"
#include "ZipEntryInfo.h"
#include "ZipTargetPath.h"
#include "ZipTestArchive.h"
#include "ZipTestFiles.h"

using namespace TavikUI;
using namespace ZipTest;

namespace {

const ZipResult kSourceReadFailed = static_cast<ZipResult>(-1);
const ZipResult kBadArchive = static_cast<ZipResult>(-103);

std::string TextOfSize(size_t size, unsigned seed) {
    std::string text;
    text.reserve(size);
    unsigned value = seed;
    static const char* const kWords[] = {"alpha ", "beta ", "gamma ", "delta\n", "zip ", "item ", "42 "};
    while (text.size() < size) {
        value = value * 1103515245u + 12345u;
        text += kWords[(value >> 16) % 7];
    }
    text.resize(size);
    return text;
}

FILETIME FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME system = {};
    system.wYear = static_cast<WORD>(year);
    system.wMonth = static_cast<WORD>(month);
    system.wDay = static_cast<WORD>(day);
    system.wHour = static_cast<WORD>(hour);
    system.wMinute = static_cast<WORD>(minute);
    system.wSecond = static_cast<WORD>(second);
    FILETIME time = {};
    SystemTimeToFileTime(&system, &time);
    return time;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// 2021-03-04 05:06:08 UTC, the time the fixtures' files carry.
constexpr int32_t kFixtureUnixTime = 1614834368;

std::vector<Item> ThreeItems() {
    return {FileItem("first.txt", "first item text\n"), FileItem("dir/second.bin", TextOfSize(50000, 7), true),
            FileItem("third.txt", "third")};
}

}  // namespace

// ---------------------------------------------------------------------------
// Opening

class ZipArchiveOpenTest : public ::testing::Test {
protected:
    TempFolder temp_;
};

TEST_F(ZipArchiveOpenTest, OpensMemoryFileNameAndHandleSources) {
    const std::string bytes = BuildArchive(ThreeItems());
    const std::wstring path = temp_ / L"three.zip";
    ASSERT_TRUE(WriteFileBytes(path, bytes));

    ArchivePtr fromMemory = OpenMemory(bytes);
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(ZIP_OK, ZipArchiveLastResult());

    ArchivePtr fromName = OpenFileName(path);
    ASSERT_TRUE(fromName);

    HandlePtr file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, file.get());
    ArchivePtr fromHandle(ZipArchiveOpen(file.get(), 0, ZIP_KIND_HANDLE));
    ASSERT_TRUE(fromHandle);
    file.reset();  // the reader holds a duplicate of its own

    for (HZIPARCHIVE archive : {fromMemory.get(), fromName.get(), fromHandle.get()}) {
        ZipArchiveEntry summary = {};
        ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive, -1, &summary));
        EXPECT_EQ(3, summary.index);
        EXPECT_EQ(TextOfSize(50000, 7), ExtractWhole(archive, 1).bytes);
    }
}

TEST_F(ZipArchiveOpenTest, HandleSourceStartsAtItsCurrentPosition) {
    const std::string archive = BuildArchive(ThreeItems());
    const std::string leading(1000, 'x');
    const std::wstring path = temp_ / L"offset.zip";
    ASSERT_TRUE(WriteFileBytes(path, leading + archive));
    HandlePtr file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, file.get());

    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(leading.size());
    ASSERT_TRUE(SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN));
    ArchivePtr opened(ZipArchiveOpen(file.get(), 0, ZIP_KIND_HANDLE));
    ASSERT_TRUE(opened);
    EXPECT_EQ("first item text\n", ExtractWhole(opened.get(), 0).bytes);

    // From the end of the file on there is no archive left to find.
    at.QuadPart = static_cast<LONGLONG>(leading.size() + archive.size());
    ASSERT_TRUE(SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN));
    EXPECT_EQ(nullptr, ZipArchiveOpen(file.get(), 0, ZIP_KIND_HANDLE));
    EXPECT_EQ(kSourceReadFailed, ZipArchiveLastResult());
}

TEST_F(ZipArchiveOpenTest, RefusesSourcesThatCannotServe) {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    HandlePtr pipeRead(readEnd);
    HandlePtr pipeWrite(writeEnd);
    EXPECT_EQ(nullptr, ZipArchiveOpen(readEnd, 0, ZIP_KIND_HANDLE));
    EXPECT_EQ(ZIP_NOT_DISK_FILE, ZipArchiveLastResult());

    EXPECT_EQ(nullptr, ZipArchiveOpen(reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x7FF0)), 0, ZIP_KIND_HANDLE));
    EXPECT_EQ(ZIP_DUPLICATE_HANDLE_FAILED, ZipArchiveLastResult());

    EXPECT_EQ(nullptr, ZipArchiveOpen((temp_ / L"missing.zip").c_str(), 0, ZIP_KIND_FILE));
    EXPECT_EQ(ZIP_OPEN_FILE_FAILED, ZipArchiveLastResult());

    const std::string bytes = BuildArchive(ThreeItems());
    for (uint32_t kind : {0u, 4u, 0xFFFFFFFFu}) {
        EXPECT_EQ(nullptr, ZipArchiveOpen(bytes.data(), static_cast<uint32_t>(bytes.size()), kind));
        EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveLastResult()) << kind;
    }
    EXPECT_EQ(nullptr, ZipArchiveOpen(nullptr, 100, ZIP_KIND_MEMORY));
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveLastResult());
}

TEST_F(ZipArchiveOpenTest, ArchiveWithoutItemsCannotBeOpened) {
    const std::string empty = BuildArchive({});
    ASSERT_EQ(22u, empty.size());
    EXPECT_FALSE(OpenMemory(empty));
    EXPECT_EQ(kSourceReadFailed, ZipArchiveLastResult());

    const std::wstring path = temp_ / L"empty.zip";
    ASSERT_TRUE(WriteFileBytes(path, empty));
    EXPECT_FALSE(OpenFileName(path));
    EXPECT_EQ(kSourceReadFailed, ZipArchiveLastResult());

    for (size_t size : {0, 1, 3, 4, 21}) {
        const std::string signatureOnly = std::string("PK\x05\x06", 4) + std::string(size, '\0');
        const std::string noSignature(size, 'P');
        EXPECT_FALSE(OpenMemory(signatureOnly)) << size;
        EXPECT_FALSE(OpenMemory(noSignature)) << size;
    }
}

TEST_F(ZipArchiveOpenTest, EmptyArchiveBehindOtherDataOpensWithNoItems) {
    const std::string bytes = BuildArchive({}, "program bytes");
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    ZipArchiveEntry summary = {};
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), -1, &summary));
    EXPECT_EQ(0, summary.index);
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveGetItem(archive.get(), 0, &summary));
    int32_t index = 7;
    EXPECT_EQ(ZIP_ITEM_NOT_FOUND, ZipArchiveFindItem(archive.get(), L"any", true, &index, nullptr));
    EXPECT_EQ(-1, index);
}

TEST_F(ZipArchiveOpenTest, ArchiveAppendedToOtherDataOpens) {
    std::string program = "MZ" + TextOfSize(70000, 3);
    const std::string bytes = BuildArchive(ThreeItems(), program);
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    EXPECT_EQ("first item text\n", ExtractWhole(archive.get(), 0).bytes);
    EXPECT_EQ(TextOfSize(50000, 7), ExtractWhole(archive.get(), 1).bytes);

    std::string made;
    ASSERT_TRUE(ReadFileBytes(FixturePath(L"deflated.zip"), &made));
    const std::string appendedBytes = program + made;
    ArchivePtr appended = OpenMemory(appendedBytes);
    ASSERT_TRUE(appended);
    int32_t index = -1;
    ASSERT_EQ(ZIP_OK, ZipArchiveFindItem(appended.get(), L"docs/manual.txt", false, &index, nullptr));
    EXPECT_EQ(FileBytes(FixturePath(L"content/docs/manual.txt")), ExtractWhole(appended.get(), index).bytes);
}

TEST_F(ZipArchiveOpenTest, SpannedAndInconsistentArchivesAreBad) {
    EXPECT_FALSE(OpenFileName(FixturePath(L"spanned.zip")));
    EXPECT_EQ(kBadArchive, ZipArchiveLastResult());

    Layout layout;
    const std::string good = BuildArchive(ThreeItems(), "", "", &layout);
    struct Damage {
        size_t field;
        uint32_t value;
        bool wide;
    };
    const Damage damages[] = {
        {Field::kEndThisDisk, 1, false},
        {Field::kEndDirectoryDisk, 1, false},
        {Field::kEndEntriesOnDisk, 2, false},
        {Field::kEndEntriesTotal, 4, false},
        {Field::kEndDirectorySize, 0x7FFFFFFF, true},    // directory would end past the record
        {Field::kEndDirectoryOffset, 0xFFFFFF00, true},  // directory outside the file
    };
    for (const Damage& damage : damages) {
        std::string bytes = good;
        if (damage.wide) {
            SetLe32(&bytes, layout.endRecord + damage.field, damage.value);
        } else {
            SetLe16(&bytes, layout.endRecord + damage.field, damage.value);
        }
        EXPECT_FALSE(OpenMemory(bytes)) << damage.field;
        EXPECT_EQ(kBadArchive, ZipArchiveLastResult()) << damage.field;
    }

    // A directory that starts on something other than an entry.
    std::string shifted = good;
    SetLe32(&shifted, layout.endRecord + Field::kEndDirectoryOffset,
            static_cast<uint32_t>(layout.centralDirectory - 10));
    SetLe32(&shifted, layout.endRecord + Field::kEndDirectorySize,
            static_cast<uint32_t>(layout.endRecord - layout.centralDirectory + 10));
    EXPECT_FALSE(OpenMemory(shifted));
    EXPECT_EQ(kBadArchive, ZipArchiveLastResult());
}

TEST_F(ZipArchiveOpenTest, EndRecordIsFoundBehindCommentsOfAnyLength) {
    // Lengths around the 1,024-byte search windows and their 4-byte overlap.
    std::vector<size_t> lengths = {0, 1, 2, 3, 4, 5, 1000, 65513};
    for (size_t length = 1000; length <= 1012; ++length) {
        lengths.push_back(length);
    }
    for (size_t length = 2020; length <= 2036; ++length) {
        lengths.push_back(length);
    }
    for (size_t length : lengths) {
        const std::string bytes = BuildArchive(ThreeItems(), "", std::string(length, 'c'));
        ArchivePtr archive = OpenMemory(bytes);
        ASSERT_TRUE(archive) << length;
        EXPECT_EQ("third", ExtractWhole(archive.get(), 2).bytes) << length;
    }
    // The record must lie within the last 65,535 bytes.
    const std::string tooFar = BuildArchive(ThreeItems(), "", std::string(65514, 'c'));
    EXPECT_FALSE(OpenMemory(tooFar));
    EXPECT_EQ(kSourceReadFailed, ZipArchiveLastResult());
}

TEST_F(ZipArchiveOpenTest, BadHandlesAreToldApart) {
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveClose(nullptr));
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveLastResult());
    ZipArchiveEntry entry = {};
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveGetItem(nullptr, 0, &entry));
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveFindItem(nullptr, L"x", false, nullptr, nullptr));
    char buffer[4];
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveExtractItem(nullptr, 0, buffer, 4, ZIP_KIND_MEMORY));

    alignas(16) unsigned char notAnArchive[64] = {};
    auto* fake = reinterpret_cast<HZIPARCHIVE>(notAnArchive);
    EXPECT_EQ(ZIP_NOT_ARCHIVE_HANDLE, ZipArchiveClose(fake));
    EXPECT_EQ(ZIP_NOT_ARCHIVE_HANDLE, ZipArchiveLastResult());
    EXPECT_EQ(ZIP_NOT_ARCHIVE_HANDLE, ZipArchiveGetItem(fake, 0, &entry));
    EXPECT_EQ(ZIP_NOT_ARCHIVE_HANDLE, ZipArchiveExtractItem(fake, 0, buffer, 4, ZIP_KIND_MEMORY));

    HZIPARCHIVE archive = ZipArchiveOpen(nullptr, 0, ZIP_KIND_MEMORY);
    EXPECT_EQ(nullptr, archive);
    const std::string bytes = BuildArchive(ThreeItems());
    archive = ZipArchiveOpen(bytes.data(), static_cast<uint32_t>(bytes.size()), ZIP_KIND_MEMORY);
    ASSERT_NE(nullptr, archive);
    EXPECT_EQ(ZIP_OK, ZipArchiveClose(archive));
}

TEST_F(ZipArchiveOpenTest, ArchiveObjectOpensOnce) {
    const std::string bytes = BuildArchive(ThreeItems());
    CZipReader archive;
    std::unique_ptr<CZipSource> first;
    ASSERT_EQ(ZIP_OK, CZipSource::OpenMemory(bytes.data(), static_cast<uint32_t>(bytes.size()), &first));
    ASSERT_EQ(ZIP_OK, archive.Open(std::move(first)));
    std::unique_ptr<CZipSource> second;
    ASSERT_EQ(ZIP_OK, CZipSource::OpenMemory(bytes.data(), static_cast<uint32_t>(bytes.size()), &second));
    EXPECT_EQ(ZIP_ALREADY_OPEN, archive.Open(std::move(second)));
}

TEST_F(ZipArchiveOpenTest, EachThreadReadsItsOwnLastResult) {
    const std::string bytes = BuildArchive(ThreeItems());
    ArchivePtr mine = OpenMemory(bytes);
    ArchivePtr theirs = OpenMemory(bytes);
    ASSERT_TRUE(mine && theirs);
    ASSERT_EQ(ZIP_OK, ZipArchiveFindItem(mine.get(), L"first.txt", false, nullptr, nullptr));
    ZipResult seenThere = ZIP_OK;
    std::thread other([&] {
        ZipArchiveFindItem(theirs.get(), L"missing.txt", false, nullptr, nullptr);
        seenThere = ZipArchiveLastResult();
    });
    other.join();
    EXPECT_EQ(ZIP_ITEM_NOT_FOUND, seenThere);
    EXPECT_EQ(ZIP_OK, ZipArchiveLastResult());
}

// ---------------------------------------------------------------------------
// Finding and listing items

class ZipArchiveFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<Item> items = ThreeItems();
        items.push_back(FileItem("Skin/Main.XML", "<Window/>"));
        items.push_back(FileItem(std::string(255, 'n'), "255"));
        items.push_back(FileItem(std::string(256, 'm'), "256"));
        bytes_ = BuildArchive(items);
        archive_ = OpenMemory(bytes_);
        ASSERT_TRUE(archive_);
    }

    int32_t Find(const std::wstring& name, bool ignoreCase) {
        int32_t index = -99;
        const ZipResult result = ZipArchiveFindItem(archive_.get(), name.c_str(), ignoreCase, &index, nullptr);
        EXPECT_EQ(result == ZIP_OK, index >= 0) << "result and index disagree";
        return result == ZIP_OK ? index : -1;
    }

    std::string bytes_;
    ArchivePtr archive_;
};

TEST_F(ZipArchiveFindTest, FindsNamesByteForByteOrIgnoringCase) {
    EXPECT_EQ(3, Find(L"Skin/Main.XML", false));
    EXPECT_EQ(-1, Find(L"skin/main.xml", false));
    EXPECT_EQ(3, Find(L"skin/main.xml", true));
    EXPECT_EQ(3, Find(L"SKIN/MAIN.XML", true));
    EXPECT_EQ(-1, Find(L"Skin/Main.XM", true));
    EXPECT_EQ(-1, Find(L"Skin/Main.XMLx", true));
    EXPECT_EQ(-1, Find(L"", true));
    EXPECT_EQ(0, Find(L"first.txt", false));
    EXPECT_EQ(2, Find(L"third.txt", true));
}

TEST_F(ZipArchiveFindTest, BackSlashesMatchSlashesInEitherMode) {
    EXPECT_EQ(1, Find(L"dir\\second.bin", false));
    EXPECT_EQ(1, Find(L"DIR\\SECOND.BIN", true));
    EXPECT_EQ(3, Find(L"Skin\\Main.XML", false));
    EXPECT_EQ(-1, Find(L"dir\\\\second.bin", false));
}

TEST_F(ZipArchiveFindTest, NamesOf256CharactersAreNeverFound) {
    EXPECT_EQ(4, Find(std::wstring(255, L'n'), false));
    EXPECT_EQ(-1, Find(std::wstring(256, L'm'), false));
    EXPECT_EQ(-1, Find(std::wstring(256, L'm'), true));
    EXPECT_EQ(ZIP_ITEM_NOT_FOUND, ZipArchiveLastResult());
    // The item is there all the same.
    ZipArchiveEntry entry = {};
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive_.get(), 5, &entry));
    EXPECT_EQ(std::wstring(256, L'm'), entry.name);
}

TEST_F(ZipArchiveFindTest, FoundGivesEntryAndMissLeavesItUntouched) {
    ZipArchiveEntry entry = {};
    int32_t index = -5;
    ASSERT_EQ(ZIP_OK, ZipArchiveFindItem(archive_.get(), L"dir/second.bin", false, &index, &entry));
    EXPECT_EQ(1, index);
    EXPECT_EQ(1, entry.index);
    EXPECT_STREQ(L"dir/second.bin", entry.name);
    EXPECT_EQ(50000u, entry.uncompressedSize);
    EXPECT_EQ(RawDeflate(TextOfSize(50000, 7)).size(), entry.compressedSize);

    ZipArchiveEntry untouched;
    memset(&untouched, 0xAB, sizeof(untouched));
    ZipArchiveEntry probe = untouched;
    index = 9;
    EXPECT_EQ(ZIP_ITEM_NOT_FOUND, ZipArchiveFindItem(archive_.get(), L"absent", true, &index, &probe));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(0, memcmp(&untouched, &probe, sizeof(probe)));
    EXPECT_EQ(ZIP_ITEM_NOT_FOUND, ZipArchiveFindItem(archive_.get(), nullptr, true, &index, &probe));
}

TEST_F(ZipArchiveFindTest, FindAndGetCloseThePartlyReadItem) {
    const std::string expected = TextOfSize(50000, 7);
    char piece[100];
    ASSERT_EQ(ZIP_MORE_DATA, ZipArchiveExtractItem(archive_.get(), 1, piece, sizeof(piece), ZIP_KIND_MEMORY));
    EXPECT_EQ(expected.substr(0, 100), std::string(piece, 100));
    ASSERT_EQ(ZIP_MORE_DATA, ZipArchiveExtractItem(archive_.get(), 1, piece, sizeof(piece), ZIP_KIND_MEMORY));
    EXPECT_EQ(expected.substr(100, 100), std::string(piece, 100));

    EXPECT_EQ(1, Find(L"dir/second.bin", false));
    ASSERT_EQ(ZIP_MORE_DATA, ZipArchiveExtractItem(archive_.get(), 1, piece, sizeof(piece), ZIP_KIND_MEMORY));
    EXPECT_EQ(expected.substr(0, 100), std::string(piece, 100)) << "a find starts the item over";

    ZipArchiveEntry entry;
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive_.get(), 0, &entry));
    ASSERT_EQ(ZIP_MORE_DATA, ZipArchiveExtractItem(archive_.get(), 1, piece, sizeof(piece), ZIP_KIND_MEMORY));
    EXPECT_EQ(expected.substr(0, 100), std::string(piece, 100)) << "a get starts the item over";
}

TEST_F(ZipArchiveFindTest, NamesInTheChineseCodePage) {
    if (GetACP() != 936) {
        GTEST_SKIP() << "needs the ANSI code page 936";
    }
    // "中文/文件.txt" and two characters that differ only in the case of their
    // trail byte (0x81 0x61 and 0x81 0x41).
    const std::string chinese = "\xD6\xD0\xCE\xC4/\xCE\xC4\xBC\xFE.txt";
    const std::string bytes = BuildArchive({FileItem(chinese, "cn"), FileItem("\x81\x61.txt", "lower trail")});
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    int32_t index = -1;
    ZipArchiveEntry entry;
    ASSERT_EQ(ZIP_OK, ZipArchiveFindItem(archive.get(), L"中文\\文件.txt", false, &index, &entry));
    EXPECT_EQ(0, index);
    EXPECT_STREQ(L"中文/文件.txt", entry.name);
    EXPECT_EQ(ZIP_OK, ZipArchiveFindItem(archive.get(), L"中文/文件.TXT", true, &index, nullptr));

    wchar_t lowerTrail[8] = {};
    wchar_t upperTrail[8] = {};
    ASSERT_GT(MultiByteToWideChar(936, 0, "\x81\x61.txt", -1, lowerTrail, 8), 0);
    ASSERT_GT(MultiByteToWideChar(936, 0, "\x81\x41.txt", -1, upperTrail, 8), 0);
    ASSERT_STRNE(lowerTrail, upperTrail);
    EXPECT_EQ(ZIP_OK, ZipArchiveFindItem(archive.get(), lowerTrail, true, &index, nullptr));
    EXPECT_EQ(1, index);
    EXPECT_EQ(ZIP_ITEM_NOT_FOUND, ZipArchiveFindItem(archive.get(), upperTrail, true, &index, nullptr))
        << "another character must not match through its trail byte";
}

class ZipArchiveEntryTest : public ::testing::Test {};

TEST_F(ZipArchiveEntryTest, SummaryAndIndexRange) {
    const std::string bytes = BuildArchive(ThreeItems());
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    ZipArchiveEntry summary;
    memset(&summary, 0x5A, sizeof(summary));
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), -1, &summary));
    ZipArchiveEntry expected = {};
    expected.index = 3;
    EXPECT_EQ(0, memcmp(&expected, &summary, sizeof(summary)));

    ZipArchiveEntry entry = {};
    for (int32_t index : {3, 4, -2, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)}) {
        EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveGetItem(archive.get(), index, &entry)) << index;
        EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveLastResult());
    }
    // Walking backwards starts again at the first entry.
    for (int32_t index : {2, 0, 1, 2, 1, 0}) {
        ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), index, &entry));
        EXPECT_EQ(index, entry.index);
        EXPECT_STREQ(index == 0 ? L"first.txt" : index == 1 ? L"dir/second.bin" : L"third.txt", entry.name);
    }
}

TEST_F(ZipArchiveEntryTest, AttributesFollowTheExternalAttributes) {
    struct Case {
        uint32_t external;
        uint32_t attributes;
    };
    const Case cases[] = {
        {kUnixFileAttributes, 0x80}, {kUnixReadOnlyAttributes, 0x81}, {kUnixFolderAttributes, 0x90},
        {0x40000000, 0x91},         // Unix directory bit, no owner-write bit
        {0x00000010, 0x91},         // DOS folder from Windows
        {0x00000020, 0xA1},         // a file from Windows comes out read-only
        {0x00800000 | 0x01, 0x81},  // DOS read-only bit
        {0x00800000 | 0x02, 0x82},  // hidden
        {0x00800000 | 0x04, 0x84},  // system
        {0x00800000 | 0x26, 0xA6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.attributes, ZipEntryAttributes(c.external)) << std::hex << c.external;
    }

    Item windowsFile = FileItem("win.txt", "made on Windows");
    windowsFile.versionMadeBy = kMadeByWindows;
    windowsFile.externalAttributes = 0x20;
    const std::string bytes = BuildArchive({windowsFile, FolderItem("folder/")});
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    ZipArchiveEntry entry;
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 0, &entry));
    EXPECT_EQ(0xA1u, entry.attributes);
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 1, &entry));
    EXPECT_EQ(0x90u, entry.attributes);
}

TEST_F(ZipArchiveEntryTest, TimesFromDosFieldsAndExtendedTimestamps) {
    Item dosOnly = FileItem("dos.txt", "d");
    dosOnly.dosDate = DosDate(2019, 12, 31);
    dosOnly.dosTime = DosTime(23, 59, 58);
    Item allTimes = FileItem("ut.txt", "u");
    allTimes.localExtra = ExtendedTimestamp(7, {kFixtureUnixTime, kFixtureUnixTime + 60, kFixtureUnixTime - 3600});
    Item writeOnly = FileItem("write.txt", "w");
    writeOnly.localExtra = std::string("\x01\x02\x03\x00zyx", 7) + ExtendedTimestamp(1, {kFixtureUnixTime});
    Item centralOnly = FileItem("central.txt", "c");
    centralOnly.centralExtra = ExtendedTimestamp(1, {kFixtureUnixTime});
    const std::string bytes = BuildArchive({dosOnly, allTimes, writeOnly, centralOnly});
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);

    ZipArchiveEntry entry;
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 0, &entry));
    const FILETIME dos = FileTimeOf(2019, 12, 31, 23, 59, 58);
    EXPECT_TRUE(SameTime(dos, entry.writeTime));
    EXPECT_TRUE(SameTime(dos, entry.accessTime));
    EXPECT_TRUE(SameTime(dos, entry.creationTime));

    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 1, &entry));
    EXPECT_TRUE(SameTime(FileTimeOf(2021, 3, 4, 5, 6, 8), entry.writeTime));
    EXPECT_TRUE(SameTime(FileTimeOf(2021, 3, 4, 5, 7, 8), entry.accessTime));
    EXPECT_TRUE(SameTime(FileTimeOf(2021, 3, 4, 4, 6, 8), entry.creationTime));

    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 2, &entry));
    const FILETIME defaultDos = FileTimeOf(2020, 1, 2, 3, 4, 6);
    EXPECT_TRUE(SameTime(FileTimeOf(2021, 3, 4, 5, 6, 8), entry.writeTime));
    EXPECT_TRUE(SameTime(defaultDos, entry.accessTime));
    EXPECT_TRUE(SameTime(defaultDos, entry.creationTime));

    // Only the local extra field is read.
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 3, &entry));
    EXPECT_TRUE(SameTime(defaultDos, entry.writeTime));
}

TEST_F(ZipArchiveEntryTest, ExtraFieldWalkStaysInsideTheField) {
    const FILETIME dos = ZipDosTimeToFileTime(DosDate(2020, 1, 2), DosTime(3, 4, 6));
    // The field ends where an inaccessible page begins: a read past it stops
    // the test program.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    auto* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, pages);
    DWORD previous = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &previous));
    auto walk = [&](const std::string& extra) {
        ZipArchiveEntry entry = {};
        entry.writeTime = entry.accessTime = entry.creationTime = dos;
        uint8_t* field = pages + page - extra.size();
        memcpy(field, extra.data(), extra.size());
        ZipApplyExtendedTimestamp(field, extra.size(), &entry);
        return entry;
    };
    const std::string ut = ExtendedTimestamp(7, {kFixtureUnixTime, kFixtureUnixTime, kFixtureUnixTime});
    const FILETIME unix = ZipUnixTimeToFileTime(kFixtureUnixTime);
    EXPECT_TRUE(SameTime(unix, walk(ut).creationTime));

    // The UT record claims more data than the field holds: not read.
    std::string overlong = ut;
    SetLe16(&overlong, 2, 0xFFFF);
    EXPECT_TRUE(SameTime(dos, walk(overlong).writeTime));
    // A record before it runs past the end: the walk stops there.
    EXPECT_TRUE(SameTime(dos, walk(std::string("\x01\x00\xF0\x00", 4) + ut).writeTime));
    // Flags name three times but only one follows: that one is taken.
    const ZipArchiveEntry cut = walk(ExtendedTimestamp(7, {kFixtureUnixTime}));
    EXPECT_TRUE(SameTime(unix, cut.writeTime));
    EXPECT_TRUE(SameTime(dos, cut.accessTime));
    EXPECT_TRUE(SameTime(dos, cut.creationTime));
    // A UT record without data, fields of four bytes or less, an empty field.
    EXPECT_TRUE(SameTime(dos, walk(std::string("UT\x00\x00", 4)).writeTime));
    EXPECT_TRUE(SameTime(dos, walk(ut.substr(0, 4)).writeTime));
    EXPECT_TRUE(SameTime(dos, walk(ut.substr(0, 7)).writeTime));
    EXPECT_TRUE(SameTime(dos, walk(std::string()).writeTime));
    // Times before 1970 are negative.
    EXPECT_TRUE(SameTime(FileTimeOf(1969, 12, 31, 23, 59, 0), ZipUnixTimeToFileTime(-60)));
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(ZipArchiveEntryTest, LongNamesAreCutTo259Characters) {
    const std::string longName = std::string(300, 'L');
    const std::string bytes = BuildArchive({FileItem(longName, "long")});
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    ZipArchiveEntry entry;
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 0, &entry));
    EXPECT_EQ(std::wstring(259, L'L'), entry.name);
    EXPECT_EQ("long", ExtractWhole(archive.get(), 0).bytes);
}

// ---------------------------------------------------------------------------
// Extraction to memory

class ZipArchiveMemoryExtractTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        large_ = TextOfSize(200000, 11);
        Item folder = FolderItem("folder/");
        Item described = FileItem("described.txt", TextOfSize(3000, 5), GetParam());
        described.dataDescriptor = true;
        bytes_ = BuildArchive({FileItem("small.txt", "small", GetParam()), FileItem("large.txt", large_, GetParam()),
                               FileItem("empty.txt", "", GetParam()), folder, described});
        archive_ = OpenMemory(bytes_);
        ASSERT_TRUE(archive_);
    }

    std::string large_;
    std::string bytes_;
    ArchivePtr archive_;
};

TEST_P(ZipArchiveMemoryExtractTest, BufferOfTheItemsSizeTakesItWhole) {
    Extracted whole = ExtractWhole(archive_.get(), 1);
    EXPECT_EQ(ZIP_MORE_DATA, whole.result);
    EXPECT_EQ(large_, whole.bytes);
    // The item stayed open: the next call finds nothing left and closes it.
    char spare[16];
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive_.get(), 1, spare, sizeof(spare), ZIP_KIND_MEMORY));
    // Then it starts over.
    EXPECT_EQ(large_, ExtractWhole(archive_.get(), 1).bytes);

    EXPECT_EQ("small", ExtractWhole(archive_.get(), 0).bytes);
    EXPECT_EQ(TextOfSize(3000, 5), ExtractWhole(archive_.get(), 4).bytes);
}

TEST_P(ZipArchiveMemoryExtractTest, SmallerBuffersContinueWhereTheLastCallStopped) {
    for (uint32_t piece : {1u, 7u, 16383u, 16384u, 16385u, 65536u, 199999u, 200000u, 300000u}) {
        Extracted pieces = ExtractInPieces(archive_.get(), 1, piece, 300000);
        EXPECT_EQ(ZIP_OK, pieces.result) << piece;
        EXPECT_EQ(large_.size(), pieces.bytes.size()) << piece;
        EXPECT_TRUE(large_ == pieces.bytes) << piece;
    }
}

TEST_P(ZipArchiveMemoryExtractTest, EmptyAndFolderItemsDeliverNothing) {
    char buffer[8] = {};
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive_.get(), 2, buffer, sizeof(buffer), ZIP_KIND_MEMORY));
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive_.get(), 3, buffer, sizeof(buffer), ZIP_KIND_MEMORY));
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive_.get(), 0, buffer, 0, ZIP_KIND_MEMORY));
}

TEST_P(ZipArchiveMemoryExtractTest, AnotherIndexClosesTheOpenItem) {
    std::string head(1000, '\0');
    ASSERT_EQ(ZIP_MORE_DATA, ZipArchiveExtractItem(archive_.get(), 1, &head[0], 1000, ZIP_KIND_MEMORY));
    EXPECT_EQ(large_.substr(0, 1000), head);
    EXPECT_EQ("small", ExtractWhole(archive_.get(), 0).bytes);
    ASSERT_EQ(ZIP_MORE_DATA, ZipArchiveExtractItem(archive_.get(), 1, &head[0], 1000, ZIP_KIND_MEMORY));
    EXPECT_EQ(large_.substr(0, 1000), head);
}

TEST_P(ZipArchiveMemoryExtractTest, BadArgumentsAreRefused) {
    char buffer[8];
    for (uint32_t kind : {0u, 4u, 7u}) {
        EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveExtractItem(archive_.get(), 0, buffer, 8, kind)) << kind;
    }
    for (int32_t index : {-1, -2, 5, 1000}) {
        EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveExtractItem(archive_.get(), index, buffer, 8, ZIP_KIND_MEMORY)) << index;
        EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveExtractItem(archive_.get(), index, buffer, 8, ZIP_KIND_HANDLE)) << index;
    }
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveExtractItem(archive_.get(), 0, nullptr, 8, ZIP_KIND_MEMORY));
    EXPECT_EQ(ZIP_BAD_ARGUMENT, ZipArchiveLastResult());
}

INSTANTIATE_TEST_SUITE_P(StoredAndDeflated, ZipArchiveMemoryExtractTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Deflated" : "Stored");
                         });

// ---------------------------------------------------------------------------
// Extraction to handles and named files

class ZipArchiveFileExtractTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW((temp_ / L"base").c_str(), nullptr));
        large_ = TextOfSize(300000, 13);
        Item timed = FileItem("timed.txt", "timed", true);
        timed.localExtra = ExtendedTimestamp(3, {kFixtureUnixTime, kFixtureUnixTime + 86400});
        Item windows = FileItem("windows.txt", "read only on Windows");
        windows.versionMadeBy = kMadeByWindows;
        windows.externalAttributes = 0x20;
        bytes_ =
            BuildArchive({FileItem("large.txt", large_, true), timed, windows, FolderItem("a/b/c/"),
                          FolderItem("../escaped-folder/"), FolderItem("/rooted-folder/"), FileItem("s.txt", "s")});
    }

    // Opens the archive with `base` as the current folder.
    ArchivePtr OpenInBase() {
        CurrentFolderScope scope(temp_ / L"base");
        return OpenMemory(bytes_);
    }

    TempFolder temp_;
    std::string large_;
    std::string bytes_;
};

TEST_F(ZipArchiveFileExtractTest, NamedTargetGetsTheBytesAndFoldersBelowTheBase) {
    CurrentFolderScope scope(temp_ / L"base");
    ArchivePtr archive = OpenMemory(bytes_);
    ASSERT_TRUE(archive);
    const std::wstring relative = L"out/sub\\large.txt";
    EXPECT_EQ(ZIP_OK,
              ZipArchiveExtractItem(archive.get(), 0, const_cast<wchar_t*>(relative.c_str()), 0, ZIP_KIND_FILE));
    EXPECT_TRUE(large_ == FileBytes(temp_ / L"base\\out\\sub\\large.txt"));

    // Extracting again replaces the file.
    ASSERT_TRUE(WriteFileBytes(temp_ / L"base\\out\\sub\\large.txt", "old and longer than s"));
    const std::wstring again = L"out\\sub\\large.txt";
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 6, const_cast<wchar_t*>(again.c_str()), 0, ZIP_KIND_FILE));
    EXPECT_EQ("s", FileBytes(temp_ / L"base\\out\\sub\\large.txt"));

    // An absolute target is used as it is; its folders are not created.
    const std::wstring absolute = temp_ / L"absolute.txt";
    EXPECT_EQ(ZIP_OK,
              ZipArchiveExtractItem(archive.get(), 6, const_cast<wchar_t*>(absolute.c_str()), 0, ZIP_KIND_FILE));
    EXPECT_EQ("s", FileBytes(absolute));
    const std::wstring missingFolder = temp_ / L"missing\\file.txt";
    EXPECT_EQ(ZIP_OPEN_FILE_FAILED,
              ZipArchiveExtractItem(archive.get(), 6, const_cast<wchar_t*>(missingFolder.c_str()), 0, ZIP_KIND_FILE));
    EXPECT_FALSE(PathExists(temp_ / L"missing"));
}

TEST_F(ZipArchiveFileExtractTest, FolderItemsCreateTheirFoldersBelowTheBase) {
    ArchivePtr archive = OpenInBase();
    ASSERT_TRUE(archive);
    // The base folder is the current folder at open time, not at extraction.
    CurrentFolderScope elsewhere(temp_.Path());
    wchar_t unused[] = L"ignored.txt";
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 3, unused, 0, ZIP_KIND_FILE));
    EXPECT_TRUE(IsFolder(temp_ / L"base\\a\\b\\c"));
    EXPECT_FALSE(PathExists(temp_ / L"ignored.txt"));
    EXPECT_FALSE(PathExists(temp_ / L"base\\ignored.txt"));

    // To a handle a folder item writes nothing.
    const std::wstring path = temp_ / L"handle.bin";
    HandlePtr file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 3, file.get(), 0, ZIP_KIND_HANDLE));
    file.reset();
    EXPECT_EQ("", FileBytes(path));
}

TEST_F(ZipArchiveFileExtractTest, ParentStepsNeverReachOutsideTheTarget) {
    ASSERT_TRUE(CreateDirectoryW((temp_ / L"base\\inner").c_str(), nullptr));
    CurrentFolderScope scope(temp_ / L"base\\inner");
    ArchivePtr archive = OpenMemory(bytes_);
    ASSERT_TRUE(archive);
    const std::wstring targets[] = {L"../escape.txt",
                                    L"..\\escape.txt",
                                    L"x/../../escape.txt",
                                    L"x\\..\\..\\escape.txt",
                                    L"... /escape.txt",
                                    L"x/../escape.txt",
                                    temp_ / L"base\\inner\\..\\..\\escape.txt"};
    for (const std::wstring& target : targets) {
        EXPECT_EQ(ZIP_OPEN_FILE_FAILED,
                  ZipArchiveExtractItem(archive.get(), 6, const_cast<wchar_t*>(target.c_str()), 0, ZIP_KIND_FILE))
            << std::string(target.begin(), target.end());
    }
    EXPECT_FALSE(PathExists(temp_ / L"escape.txt"));
    EXPECT_FALSE(PathExists(temp_ / L"base\\escape.txt"));
    EXPECT_FALSE(PathExists(temp_ / L"base\\inner\\x"));

    // Folder items that climb out or are rooted create nothing.
    wchar_t unused[] = L"unused";
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 4, unused, 0, ZIP_KIND_FILE));
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 5, unused, 0, ZIP_KIND_FILE));
    EXPECT_FALSE(PathExists(temp_ / L"base\\escaped-folder"));
    EXPECT_FALSE(PathExists(temp_ / L"base\\inner\\rooted-folder"));
    EXPECT_FALSE(PathExists(L"\\rooted-folder"));

    // Names that only look like parent steps are fine.
    const std::wstring dotted = L"..name/x..y.txt";
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 6, const_cast<wchar_t*>(dotted.c_str()), 0, ZIP_KIND_FILE));
    EXPECT_EQ("s", FileBytes(temp_ / L"base\\inner\\..name\\x..y.txt"));
}

TEST_F(ZipArchiveFileExtractTest, FilesGetTheItemsTimesAndAttributes) {
    CurrentFolderScope scope(temp_ / L"base");
    ArchivePtr archive = OpenMemory(bytes_);
    ASSERT_TRUE(archive);
    wchar_t timed[] = L"timed.txt";
    ASSERT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 1, timed, 0, ZIP_KIND_FILE));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(timed, GetFileExInfoStandard, &data));
    EXPECT_TRUE(SameTime(FileTimeOf(2021, 3, 4, 5, 6, 8), data.ftLastWriteTime));
    EXPECT_TRUE(SameTime(FileTimeOf(2021, 3, 5, 5, 6, 8), data.ftLastAccessTime));
    EXPECT_EQ(0u, data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ("timed", FileBytes(timed));

    wchar_t windows[] = L"windows.txt";
    ASSERT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 2, windows, 0, ZIP_KIND_FILE));
    EXPECT_NE(0u, GetFileAttributesW(windows) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ("read only on Windows", FileBytes(windows));
}

TEST_F(ZipArchiveFileExtractTest, HandleTargetsGetTheBytesAtTheirPosition) {
    ArchivePtr archive = OpenInBase();
    ASSERT_TRUE(archive);
    const std::wstring path = temp_ / L"target.bin";
    HandlePtr file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, file.get());
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), "head:", 5, &written, nullptr));
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 0, file.get(), 0, ZIP_KIND_HANDLE));
    EXPECT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), 1, file.get(), 0, ZIP_KIND_HANDLE));
    file.reset();
    EXPECT_TRUE("head:" + large_ + "timed" == FileBytes(path));

    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_TRUE(SameTime(FileTimeOf(2021, 3, 4, 5, 6, 8), data.ftLastWriteTime));

    // A handle that cannot be written fails the write.
    HandlePtr readOnly(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(ZIP_READ_WRITE_FAILED, ZipArchiveExtractItem(archive.get(), 0, readOnly.get(), 0, ZIP_KIND_HANDLE));
}

TEST(ZipTargetPathTest, ParentStepsAndFolderParts) {
    for (const wchar_t* path : {L"..", L"../a", L"a/..", L"a\\..\\b", L"a/.../b", L"a/.. /b", L"a/. ./b"}) {
        EXPECT_TRUE(ZipPathHoldsParentStep(path)) << path;
    }
    for (const wchar_t* path : {L"", L".", L"./a", L"a..b/c", L"..a/b", L"a/b..", L"a/.b", L"C:\\x\\y"}) {
        EXPECT_FALSE(ZipPathHoldsParentStep(path)) << path;
    }
    EXPECT_EQ(L"a/b", ZipFolderPartOf(L"a/b/c.txt"));
    EXPECT_EQ(L"a/b\\c", ZipFolderPartOf(L"a/b\\c\\d"));
    EXPECT_EQ(L"", ZipFolderPartOf(L"file.txt"));
    EXPECT_EQ(L"", ZipFolderPartOf(L"/file.txt"));
    EXPECT_TRUE(ZipIsFolderBelowBase(L"a/b"));
    for (const wchar_t* folder : {L"", L"/a", L"\\a", L"C:", L"C:/a", L"a/../b"}) {
        EXPECT_FALSE(ZipIsFolderBelowBase(folder)) << folder;
    }
}

// ---------------------------------------------------------------------------
// Archives made by Debian's `zip` (tests/fixtures/zip, see make-fixtures.sh)

class ZipArchiveMadeByZipTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    TempFolder temp_;
};

TEST_P(ZipArchiveMadeByZipTest, EveryItemExtractsToItsOriginal) {
    CurrentFolderScope scope(temp_.Path());
    ArchivePtr archive = OpenFileName(FixturePath(GetParam()));
    ASSERT_TRUE(archive) << ZipArchiveLastResult();
    ZipArchiveEntry summary;
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), -1, &summary));
    ASSERT_GE(summary.index, 3);
    // Walked the way the installer walks its payload.
    int files = 0;
    for (int32_t index = 0; index < summary.index; ++index) {
        ZipArchiveEntry entry;
        ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), index, &entry));
        const std::wstring name = entry.name;
        std::wstring target = name;
        ASSERT_EQ(ZIP_OK, ZipArchiveExtractItem(archive.get(), index, &target[0], 0, ZIP_KIND_FILE)) << index;
        if (!name.empty() && name.back() == L'/') {
            EXPECT_EQ(0x90u, entry.attributes) << index;
            EXPECT_TRUE(IsFolder(temp_ / name)) << index;
            continue;
        }
        ++files;
        const std::string original = FileBytes(FixturePath(L"content/" + name));
        EXPECT_EQ(original.size(), entry.uncompressedSize) << index;
        Extracted whole = ExtractWhole(archive.get(), index);
        EXPECT_TRUE(whole.result == ZIP_OK || whole.result == ZIP_MORE_DATA) << index;
        EXPECT_TRUE(original == whole.bytes) << index;
        EXPECT_TRUE(original == ExtractInPieces(archive.get(), index, 1000).bytes) << index;
        EXPECT_TRUE(original == FileBytes(temp_ / name)) << index;
        EXPECT_TRUE(SameTime(FileTimeOf(2021, 3, 4, 5, 6, 8), entry.writeTime)) << index;
        const bool locked = name == L"locked.txt";
        EXPECT_EQ(locked ? 0x81u : 0x80u, entry.attributes) << index;
        EXPECT_EQ(locked, (GetFileAttributesW((temp_ / name).c_str()) & FILE_ATTRIBUTE_READONLY) != 0) << index;
    }
    EXPECT_GE(files, 3);
}

TEST_P(ZipArchiveMadeByZipTest, OpensFromMemoryAndFromAHandle) {
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(FixturePath(GetParam()), &bytes));
    const std::string manual = FileBytes(FixturePath(L"content/docs/manual.txt"));
    ArchivePtr fromMemory = OpenMemory(bytes);
    ASSERT_TRUE(fromMemory);
    int32_t index = -1;
    ASSERT_EQ(ZIP_OK, ZipArchiveFindItem(fromMemory.get(), L"DOCS\\MANUAL.TXT", true, &index, nullptr));
    EXPECT_TRUE(manual == ExtractWhole(fromMemory.get(), index).bytes);

    const std::wstring path = temp_ / L"payload.exe";
    ASSERT_TRUE(WriteFileBytes(path, std::string(4096, '\x90') + bytes));
    HandlePtr file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ArchivePtr fromHandle(ZipArchiveOpen(file.get(), 0, ZIP_KIND_HANDLE));
    ASSERT_TRUE(fromHandle);
    ASSERT_EQ(ZIP_OK, ZipArchiveFindItem(fromHandle.get(), L"docs/manual.txt", false, &index, nullptr));
    EXPECT_TRUE(manual == ExtractWhole(fromHandle.get(), index).bytes);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ZipArchiveMadeByZipTest,
                         ::testing::Values(L"deflated.zip", L"stored.zip", L"streamed.zip"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             const std::wstring name = info.param;
                             return std::string(name.begin(), name.end() - 4);
                         });
