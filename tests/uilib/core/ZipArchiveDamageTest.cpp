// The zip reader against damaged archives: each damage gives an error result,
// a damaged item never extracts as a success, and nothing crashes.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "ZipArchive.h"
#include "ZipTestArchive.h"
#include "ZipTestFiles.h"

using namespace TavikUI;
using namespace ZipTest;

namespace {

const ZipResult kSourceReadFailed = static_cast<ZipResult>(-1);
const ZipResult kBadArchive = static_cast<ZipResult>(-103);

std::string Pattern(size_t size, unsigned seed) {
    std::string text(size, '\0');
    unsigned value = seed;
    for (char& c : text) {
        value = value * 1664525u + 1013904223u;
        c = "abcdefgh \n"[(value >> 20) % 10];
    }
    return text;
}

bool Succeeded(ZipResult result) { return result == ZIP_OK || result == ZIP_MORE_DATA; }

// Extracts an item through all three kinds of target; each result is
// returned, and the bytes of those that claimed success.
struct AllKinds {
    ZipResult memory = 0;
    ZipResult handle = 0;
    ZipResult file = 0;
    std::string memoryBytes;
    std::string handleBytes;
    std::string fileBytes;
};

AllKinds ExtractAllKinds(HZIPARCHIVE archive, int32_t index, uint32_t size, const TempFolder& temp) {
    AllKinds out;
    std::string buffer(size + 1, '\0');
    out.memory = ZipArchiveExtractItem(archive, index, &buffer[0], size, ZIP_KIND_MEMORY);
    out.memoryBytes = buffer.substr(0, size);

    const std::wstring handlePath = temp / L"by-handle.bin";
    {
        HandlePtr file(CreateFileW(handlePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        out.handle = ZipArchiveExtractItem(archive, index, file.get(), 0, ZIP_KIND_HANDLE);
    }
    out.handleBytes = FileBytes(handlePath);

    const std::wstring namedPath = temp / L"by-name.bin";
    SetFileAttributesW(namedPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(namedPath.c_str());
    out.file = ZipArchiveExtractItem(archive, index, const_cast<wchar_t*>(namedPath.c_str()), 0, ZIP_KIND_FILE);
    out.fileBytes = FileBytes(namedPath);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Damaged items never extract as a success

class ZipArchiveDamagedItemTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        data_ = Pattern(40000, 3);
        bytes_ =
            BuildArchive({FileItem("item.bin", data_, GetParam()), FileItem("next.txt", "next")}, "", "", &layout_);
    }

    bool Deflated() const { return GetParam(); }
    size_t LocalHeader() const { return layout_.localHeaders[0]; }
    size_t CentralEntry() const { return layout_.centralEntries[0]; }

    void SetBothSizes(std::string* bytes, uint32_t compressed, uint32_t uncompressed) const {
        SetLe32(bytes, LocalHeader() + Field::kLocalCompressed, compressed);
        SetLe32(bytes, LocalHeader() + Field::kLocalUncompressed, uncompressed);
        SetLe32(bytes, CentralEntry() + Field::kCentralCompressed, compressed);
        SetLe32(bytes, CentralEntry() + Field::kCentralUncompressed, uncompressed);
    }

    // Every kind of extraction fails, in one call or in pieces, and the item
    // next to it still extracts.
    void ExpectItemFails(const std::string& bytes, const char* what) {
        SCOPED_TRACE(what);
        ArchivePtr archive = OpenMemory(bytes);
        ASSERT_TRUE(archive);
        ZipArchiveEntry entry;
        ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 0, &entry));
        const AllKinds all = ExtractAllKinds(archive.get(), 0, entry.uncompressedSize, temp_);
        EXPECT_EQ(ZIP_INFLATE_TO_MEMORY_FAILED, all.memory);
        EXPECT_EQ(ZIP_READ_WRITE_FAILED, all.handle);
        EXPECT_EQ(ZIP_READ_WRITE_FAILED, all.file);
        for (uint32_t piece : {1000u, 16384u, 39999u, 40000u, 70000u}) {
            const Extracted pieces = ExtractInPieces(archive.get(), 0, piece, 100000);
            EXPECT_EQ(ZIP_INFLATE_TO_MEMORY_FAILED, pieces.result) << piece;
        }
        // After a failure the item starts over and fails again.
        EXPECT_EQ(ZIP_INFLATE_TO_MEMORY_FAILED, ExtractWhole(archive.get(), 0).result);
        EXPECT_EQ("next", ExtractWhole(archive.get(), 1).bytes);
    }

    std::string data_;
    std::string bytes_;
    Layout layout_;
    TempFolder temp_;
};

TEST_P(ZipArchiveDamagedItemTest, IntactItemExtractsEveryWay) {
    ArchivePtr archive = OpenMemory(bytes_);
    ASSERT_TRUE(archive);
    const AllKinds all = ExtractAllKinds(archive.get(), 0, static_cast<uint32_t>(data_.size()), temp_);
    EXPECT_EQ(ZIP_MORE_DATA, all.memory);
    EXPECT_EQ(ZIP_OK, all.handle);
    EXPECT_EQ(ZIP_OK, all.file);
    EXPECT_TRUE(data_ == all.memoryBytes);
    EXPECT_TRUE(data_ == all.handleBytes);
    EXPECT_TRUE(data_ == all.fileBytes);
}

TEST_P(ZipArchiveDamagedItemTest, WrongCrcFailsWhenTheLastByteIsDelivered) {
    std::string bytes = bytes_;
    const uint32_t wrong = Crc32Of(data_) ^ 0x00010000;
    SetLe32(&bytes, LocalHeader() + Field::kLocalCrc, wrong);
    SetLe32(&bytes, CentralEntry() + Field::kCentralCrc, wrong);
    ExpectItemFails(bytes, "stored CRC-32 wrong");

    // Pieces before the last one still come out.
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    std::string piece(30000, '\0');
    EXPECT_EQ(ZIP_MORE_DATA, ZipArchiveExtractItem(archive.get(), 0, &piece[0], 30000, ZIP_KIND_MEMORY));
    EXPECT_EQ(ZIP_INFLATE_TO_MEMORY_FAILED, ZipArchiveExtractItem(archive.get(), 0, &piece[0], 30000, ZIP_KIND_MEMORY));
}

TEST_P(ZipArchiveDamagedItemTest, ChangedDataFails) {
    std::string bytes = bytes_;
    bytes[layout_.itemData[0] + 5000] ^= 0x20;
    ExpectItemFails(bytes, "one bit of the data flipped");
}

TEST_P(ZipArchiveDamagedItemTest, ShortOrOverlongSizesFail) {
    const uint32_t compressed = static_cast<uint32_t>(Deflated() ? RawDeflate(data_).size() : data_.size());
    const uint32_t size = static_cast<uint32_t>(data_.size());
    std::string shortData = bytes_;
    SetBothSizes(&shortData, compressed / 2, size);
    ExpectItemFails(shortData, "compressed data cut to half");

    std::string longerItem = bytes_;
    SetBothSizes(&longerItem, compressed, size + 100);
    ExpectItemFails(longerItem, "item claims more bytes than its data hold");

    std::string shorterItem = bytes_;
    SetBothSizes(&shorterItem, compressed, size - 1);
    ExpectItemFails(shorterItem, "item claims one byte less");
}

TEST_P(ZipArchiveDamagedItemTest, HugeSizesFailWithoutHugeWork) {
    std::string bytes = bytes_;
    SetBothSizes(&bytes, 0xFFFFFFF0u, 0xFFFFFFF0u);
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    ZipArchiveEntry entry;
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 0, &entry));
    EXPECT_EQ(0xFFFFFFF0u, entry.uncompressedSize);
    const Extracted pieces = ExtractInPieces(archive.get(), 0, 65536, 64);
    EXPECT_EQ(ZIP_INFLATE_TO_MEMORY_FAILED, pieces.result);
    const AllKinds all = ExtractAllKinds(archive.get(), 0, 1000, temp_);
    EXPECT_EQ(ZIP_READ_WRITE_FAILED, all.handle);
    EXPECT_EQ(ZIP_READ_WRITE_FAILED, all.file);
}

TEST_P(ZipArchiveDamagedItemTest, BadLocalHeadersAre0x700) {
    struct Damage {
        const char* what;
        size_t field;
        uint32_t value;
        bool wide;
    };
    const Damage damages[] = {
        {"signature", 0, 0x04034B51, true},
        {"method differs", Field::kLocalMethod, Deflated() ? 0u : 8u, false},
        {"crc differs", Field::kLocalCrc, 1, true},
        {"compressed size differs", Field::kLocalCompressed, 1, true},
        {"uncompressed size differs", Field::kLocalUncompressed, 1, true},
        {"name length differs", Field::kLocalNameLength, 7, false},
    };
    for (const Damage& damage : damages) {
        std::string bytes = bytes_;
        if (damage.wide) {
            SetLe32(&bytes, LocalHeader() + damage.field, damage.value);
        } else {
            SetLe16(&bytes, LocalHeader() + damage.field, damage.value);
        }
        ArchivePtr archive = OpenMemory(bytes);
        ASSERT_TRUE(archive) << damage.what;
        ZipArchiveEntry entry;
        EXPECT_EQ(ZIP_BAD_LOCAL_HEADER, ZipArchiveGetItem(archive.get(), 0, &entry)) << damage.what;
        EXPECT_EQ(ZIP_BAD_LOCAL_HEADER, ZipArchiveFindItem(archive.get(), L"item.bin", false, nullptr, nullptr))
            << damage.what;
        const AllKinds all = ExtractAllKinds(archive.get(), 0, 40000, temp_);
        EXPECT_EQ(ZIP_BAD_LOCAL_HEADER, all.memory) << damage.what;
        EXPECT_EQ(ZIP_BAD_LOCAL_HEADER, all.handle) << damage.what;
        EXPECT_EQ(ZIP_BAD_LOCAL_HEADER, all.file) << damage.what;
        EXPECT_EQ("next", ExtractWhole(archive.get(), 1).bytes) << damage.what;
    }

    // With the data-descriptor flag the local CRC-32 and sizes are not compared.
    std::string described = bytes_;
    SetLe16(&described, LocalHeader() + Field::kLocalFlags, 0x0008);
    SetLe32(&described, LocalHeader() + Field::kLocalCrc, 0);
    SetLe32(&described, LocalHeader() + Field::kLocalCompressed, 0);
    ArchivePtr archive = OpenMemory(described);
    ASSERT_TRUE(archive);
    EXPECT_TRUE(data_ == ExtractWhole(archive.get(), 0).bytes);

    // A method the reader does not know, in both headers.
    std::string unknown = bytes_;
    SetLe16(&unknown, LocalHeader() + Field::kLocalMethod, 12);
    SetLe16(&unknown, CentralEntry() + Field::kCentralMethod, 12);
    archive = OpenMemory(unknown);
    ASSERT_TRUE(archive);
    EXPECT_EQ(ZIP_BAD_LOCAL_HEADER, ExtractWhole(archive.get(), 0).result);
}

INSTANTIATE_TEST_SUITE_P(StoredAndDeflated, ZipArchiveDamagedItemTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Deflated" : "Stored");
                         });

TEST(ZipArchiveCorruptStreamTest, InvalidDeflateDataFailsEveryKind) {
    const std::string data = Pattern(20000, 9);
    Layout layout;
    std::string bytes = BuildArchive({FileItem("z.bin", data, true)}, "", "", &layout);
    bytes[layout.itemData[0]] = static_cast<char>(0xFF);  // block type 3 does not exist
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    TempFolder temp;
    const AllKinds all = ExtractAllKinds(archive.get(), 0, 20000, temp);
    EXPECT_EQ(ZIP_INFLATE_TO_MEMORY_FAILED, all.memory);
    EXPECT_EQ(ZIP_READ_WRITE_FAILED, all.handle);
    EXPECT_EQ(ZIP_READ_WRITE_FAILED, all.file);

    // A stream that breaks off in the middle: the bytes before the break come
    // out but the call still fails.
    std::string broken = BuildArchive({FileItem("z.bin", data, true)}, "", "", &layout);
    const std::string deflated = RawDeflate(data);
    for (size_t i = deflated.size() / 2; i < deflated.size(); ++i) {
        broken[layout.itemData[0] + i] = 0;
    }
    archive = OpenMemory(broken);
    ASSERT_TRUE(archive);
    EXPECT_EQ(ZIP_INFLATE_TO_MEMORY_FAILED, ExtractWhole(archive.get(), 0).result);
}

TEST(ZipArchiveCorruptStreamTest, EmptyItemWithWrongCrcFails) {
    Layout layout;
    std::string bytes = BuildArchive({FileItem("empty", ""), FileItem("empty.z", "", true)}, "", "", &layout);
    for (int item = 0; item < 2; ++item) {
        SetLe32(&bytes, layout.localHeaders[item] + Field::kLocalCrc, 0x1234);
        SetLe32(&bytes, layout.centralEntries[item] + Field::kCentralCrc, 0x1234);
    }
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    char buffer[4];
    TempFolder temp;
    for (int item = 0; item < 2; ++item) {
        EXPECT_EQ(ZIP_INFLATE_TO_MEMORY_FAILED, ZipArchiveExtractItem(archive.get(), item, buffer, 4, ZIP_KIND_MEMORY));
        const AllKinds all = ExtractAllKinds(archive.get(), item, 0, temp);
        EXPECT_EQ(ZIP_READ_WRITE_FAILED, all.handle);
        EXPECT_EQ(ZIP_READ_WRITE_FAILED, all.file);
    }
}

// ---------------------------------------------------------------------------
// Damaged archives

class ZipArchiveBadInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        Item timed = FileItem("timed.txt", Pattern(3000, 2), true);
        timed.localExtra = ExtendedTimestamp(3, {1600000000, 1600000100});
        timed.centralExtra = ExtendedTimestamp(1, {1600000000});
        items_ = {FileItem("a.txt", Pattern(500, 1)), timed, FileItem("empty", ""), FolderItem("folder/"),
                  FileItem("b.z", Pattern(20000, 4), true)};
        items_.back().dataDescriptor = true;
        bytes_ = BuildArchive(items_, "", "", &layout_);
    }

    std::vector<Item> items_;
    std::string bytes_;
    Layout layout_;
};

TEST_F(ZipArchiveBadInputTest, ArchivesCutShortDoNotOpen) {
    for (size_t size = 0; size < bytes_.size(); ++size) {
        const std::string cut = bytes_.substr(0, size);
        ArchivePtr archive = OpenMemory(cut);
        EXPECT_FALSE(archive) << size;
        if (archive) {
            break;
        }
        const ZipResult result = ZipArchiveLastResult();
        EXPECT_TRUE(result == kSourceReadFailed || result == kBadArchive) << size << " " << std::hex << result;
    }
    TempFolder temp;
    const std::wstring path = temp / L"cut.zip";
    ASSERT_TRUE(WriteFileBytes(path, bytes_.substr(0, bytes_.size() - 1)));
    EXPECT_FALSE(OpenFileName(path));
}

TEST_F(ZipArchiveBadInputTest, ItemsOutsideTheFileFailToRead) {
    std::string bytes = bytes_;
    SetLe32(&bytes, layout_.centralEntries[0] + Field::kCentralLocalOffset, 0xFFFFFF00);
    SetLe32(&bytes, layout_.centralEntries[1] + Field::kCentralLocalOffset, static_cast<uint32_t>(bytes.size() - 10));
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    ZipArchiveEntry entry;
    for (int32_t index : {0, 1}) {
        EXPECT_EQ(ZIP_HEADER_READ_FAILED, ZipArchiveGetItem(archive.get(), index, &entry)) << index;
        EXPECT_EQ(ZIP_HEADER_READ_FAILED, ExtractWhole(archive.get(), index).result) << index;
        char buffer[16];
        EXPECT_EQ(ZIP_HEADER_READ_FAILED, ZipArchiveExtractItem(archive.get(), index, buffer, 16, ZIP_KIND_MEMORY));
    }
    EXPECT_EQ(ZIP_HEADER_READ_FAILED, ZipArchiveFindItem(archive.get(), L"a.txt", false, nullptr, nullptr));
    EXPECT_TRUE(Pattern(20000, 4) == ExtractWhole(archive.get(), 4).bytes);
}

TEST_F(ZipArchiveBadInputTest, ExtraFieldRunningPastTheFileFails) {
    std::string bytes = bytes_;
    // The last item's local extra field would end far behind the archive.
    SetLe16(&bytes, layout_.localHeaders[4] + Field::kLocalExtraLength, 0xFFFF);
    ArchivePtr archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    ZipArchiveEntry entry;
    EXPECT_EQ(ZIP_HEADER_READ_FAILED, ZipArchiveGetItem(archive.get(), 4, &entry));

    // The timed item's UT record claims more than its extra field holds: its
    // DOS time stands and its data still extract.
    bytes = bytes_;
    SetLe16(&bytes, layout_.localHeaders[1] + 30 + items_[1].name.size() + 2, 0x0FFF);
    archive = OpenMemory(bytes);
    ASSERT_TRUE(archive);
    ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 1, &entry));
    FILETIME dos;
    DosDateTimeToFileTime(items_[1].dosDate, items_[1].dosTime, &dos);
    EXPECT_EQ(dos.dwLowDateTime, entry.writeTime.dwLowDateTime);
    EXPECT_EQ(dos.dwHighDateTime, entry.writeTime.dwHighDateTime);
    EXPECT_TRUE(items_[1].data == ExtractWhole(archive.get(), 1).bytes);
}

TEST_F(ZipArchiveBadInputTest, CentralDirectoryLengthsOutsideTheFile) {
    // A name that runs past the end of the archive fails the open.
    std::string longName = bytes_;
    SetLe16(&longName, layout_.centralEntries[0] + Field::kCentralNameLength, 0xFFFF);
    EXPECT_FALSE(OpenMemory(longName));
    EXPECT_EQ(kSourceReadFailed, ZipArchiveLastResult());

    // An extra length that steps past the directory breaks the walk after it.
    std::string longExtra = bytes_;
    SetLe16(&longExtra, layout_.centralEntries[1] + Field::kCentralExtraLength, 0xFFFF);
    ArchivePtr archive = OpenMemory(longExtra);
    ASSERT_TRUE(archive);
    ZipArchiveEntry entry;
    EXPECT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), 1, &entry));
    EXPECT_EQ(ZIP_HEADER_READ_FAILED, ZipArchiveGetItem(archive.get(), 2, &entry));
    EXPECT_EQ(ZIP_ITEM_NOT_FOUND, ZipArchiveFindItem(archive.get(), L"b.z", false, nullptr, nullptr));
    EXPECT_TRUE(items_[0].data == ExtractWhole(archive.get(), 0).bytes);

    // More entries counted than the directory holds.
    std::string manyEntries = bytes_;
    SetLe16(&manyEntries, layout_.endRecord + Field::kEndEntriesOnDisk, 0xFFFF);
    SetLe16(&manyEntries, layout_.endRecord + Field::kEndEntriesTotal, 0xFFFF);
    archive = OpenMemory(manyEntries);
    ASSERT_TRUE(archive);
    EXPECT_EQ(ZIP_HEADER_READ_FAILED, ZipArchiveGetItem(archive.get(), 5, &entry));
    EXPECT_EQ(ZIP_HEADER_READ_FAILED, ZipArchiveGetItem(archive.get(), 0xFFFE, &entry));
    EXPECT_EQ(ZIP_ITEM_NOT_FOUND, ZipArchiveFindItem(archive.get(), L"absent", false, nullptr, nullptr));
    char buffer[8];
    EXPECT_EQ(ZIP_HEADER_READ_FAILED, ZipArchiveExtractItem(archive.get(), 100, buffer, 8, ZIP_KIND_MEMORY));
    EXPECT_TRUE(items_[4].data == ExtractWhole(archive.get(), 4).bytes);
}

// A few thousand archives damaged at random (fixed seed): every call answers
// one of its codes, and an item that extracts as a success is an original.
TEST_F(ZipArchiveBadInputTest, RandomDamageNeverCrashesOrPassesBadData) {
    std::mt19937 random(20240611u);
    std::set<std::string> originals;
    for (const Item& item : items_) {
        originals.insert(item.data);
    }
    const std::set<ZipResult> openResults = {kSourceReadFailed, kBadArchive};
    const std::set<ZipResult> entryResults = {ZIP_OK, ZIP_BAD_LOCAL_HEADER, ZIP_HEADER_READ_FAILED};
    const std::set<ZipResult> findResults = {ZIP_OK, ZIP_ITEM_NOT_FOUND, ZIP_BAD_LOCAL_HEADER, ZIP_HEADER_READ_FAILED};
    const std::set<ZipResult> memoryResults = {ZIP_OK, ZIP_MORE_DATA, ZIP_BAD_LOCAL_HEADER, ZIP_HEADER_READ_FAILED,
                                               ZIP_INFLATE_TO_MEMORY_FAILED};
    const std::set<ZipResult> handleResults = {ZIP_OK, ZIP_BAD_LOCAL_HEADER, ZIP_HEADER_READ_FAILED,
                                               ZIP_READ_WRITE_FAILED};
    // Places worth hitting often: the fixed header fields.
    std::vector<size_t> hotSpots;
    for (size_t at : layout_.localHeaders) {
        for (size_t field = 4; field < 30; field += 2) {
            hotSpots.push_back(at + field);
        }
    }
    for (size_t at : layout_.centralEntries) {
        for (size_t field = 4; field < 46; field += 2) {
            hotSpots.push_back(at + field);
        }
    }
    for (size_t field = 4; field < 22; field += 2) {
        hotSpots.push_back(layout_.endRecord + field);
    }
    const uint32_t extremes[] = {0, 1, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF, 0xFFFFFF00, 46, 30};

    TempFolder temp;
    const std::wstring handlePath = temp / L"mutant.bin";
    HandlePtr target(CreateFileW(handlePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, target.get());

    int opened = 0;
    int succeeded = 0;
    const int kCases = 3000;
    for (int round = 0; round < kCases; ++round) {
        std::string bytes = bytes_;
        const int damages = 1 + static_cast<int>(random() % 4);
        for (int d = 0; d < damages; ++d) {
            switch (random() % 5) {
            case 0:
                bytes[random() % bytes.size()] ^= static_cast<char>(1u << (random() % 8));
                break;
            case 1:
                bytes[random() % bytes.size()] = static_cast<char>(random());
                break;
            case 2: {
                const size_t at = hotSpots[random() % hotSpots.size()];
                const uint32_t value = extremes[random() % (sizeof(extremes) / sizeof(extremes[0]))];
                if (random() % 2) {
                    SetLe16(&bytes, at, value);
                } else if (at + 4 <= bytes.size()) {
                    SetLe32(&bytes, at, value);
                }
                break;
            }
            case 3:
                bytes[hotSpots[random() % hotSpots.size()]] ^= static_cast<char>(1u << (random() % 8));
                break;
            default:
                if (random() % 8 == 0) {
                    bytes.resize(random() % bytes.size());
                }
                break;
            }
        }
        SCOPED_TRACE(round);
        ArchivePtr archive = OpenMemory(bytes);
        if (!archive) {
            ASSERT_EQ(1u, openResults.count(ZipArchiveLastResult())) << std::hex << ZipArchiveLastResult();
            continue;
        }
        ++opened;
        ZipArchiveEntry summary;
        ASSERT_EQ(ZIP_OK, ZipArchiveGetItem(archive.get(), -1, &summary));
        for (const Item& item : items_) {
            const std::wstring name(item.name.begin(), item.name.end());
            ASSERT_EQ(1u, findResults.count(ZipArchiveFindItem(archive.get(), name.c_str(), true, nullptr, nullptr)));
        }
        const int32_t count = summary.index < 8 ? summary.index : 8;
        for (int32_t index = 0; index < count; ++index) {
            ZipArchiveEntry entry;
            const ZipResult got = ZipArchiveGetItem(archive.get(), index, &entry);
            ASSERT_EQ(1u, entryResults.count(got)) << std::hex << got;
            if (got != ZIP_OK) {
                continue;
            }
            // Whole, when the claimed size is plausible; otherwise in pieces.
            Extracted out = entry.uncompressedSize <= (1u << 20) ? ExtractWhole(archive.get(), index)
                                                                 : ExtractInPieces(archive.get(), index, 1u << 16, 64);
            ASSERT_EQ(1u, memoryResults.count(out.result)) << std::hex << out.result;
            if (Succeeded(out.result)) {
                ++succeeded;
                EXPECT_EQ(1u, originals.count(out.bytes)) << "a damaged item extracted as a success";
            }
            if (round % 4 == 0) {
                SetFilePointer(target.get(), 0, nullptr, FILE_BEGIN);
                SetEndOfFile(target.get());
                const ZipResult toHandle =
                    ZipArchiveExtractItem(archive.get(), index, target.get(), 0, ZIP_KIND_HANDLE);
                ASSERT_EQ(1u, handleResults.count(toHandle)) << std::hex << toHandle;
            }
        }
    }
    // The damage must leave enough archives whole to exercise the item paths.
    EXPECT_GT(opened, kCases / 4);
    EXPECT_GT(succeeded, kCases / 4);
}
