#include "DiskTestSupport.h"

#include <zlib.h>

#include <cstring>
#include <random>

#include "TextFormat.h"

namespace {

std::wstring Attribute(const wchar_t* name, const std::wstring& value) {
    return value.empty() ? std::wstring() : FormatWide(L" %s=\"%s\"", name, value.c_str());
}

}  // namespace

uint32_t ReferenceCrc32(const std::string& bytes) { return ReferenceCrc32(bytes, 0, bytes.size()); }

uint32_t ReferenceCrc32(const std::string& bytes, size_t offset, size_t length) {
    const uLong start = crc32(0L, Z_NULL, 0);
    return static_cast<uint32_t>(
        crc32(start, reinterpret_cast<const Bytef*>(bytes.data() + offset), static_cast<uInt>(length)));
}

std::string PatternBytes(size_t size, uint32_t seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

uint64_t LittleEndianAt(const std::string& bytes, size_t offset, size_t size) {
    uint64_t value = 0;
    for (size_t index = size; index > 0; --index) {
        value = (value << 8) | static_cast<uint8_t>(bytes.at(offset + index - 1));
    }
    return value;
}

void PutLittleEndian(std::string& bytes, size_t offset, size_t size, uint64_t value) {
    for (size_t index = 0; index < size; ++index) {
        bytes.at(offset + index) = static_cast<char>((value >> (8 * index)) & 0xFF);
    }
}

PackageBuilder::PackageBuilder(std::wstring folder) : folder_(std::move(folder)) {
    CreateDirectoryW(folder_.c_str(), nullptr);
}

void PackageBuilder::AddImage(const std::wstring& name, const std::string& bytes, bool inBpImage) {
    std::wstring folder = folder_;
    if (inBpImage) {
        folder += L"\\bp_image";
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    ASSERT_TRUE(WriteBytes(folder + L"\\" + name, bytes));
    imageBytes_ += static_cast<double>(bytes.size());
}

void PackageBuilder::AddProgram(const std::wstring& fileName, const std::wstring& startSector,
                                const std::wstring& partitionSectors) {
    programs_ += L"  <program SECTOR_SIZE_IN_BYTES=\"512\" filename=\"" + fileName + L"\"" +
                 Attribute(L"num_partition_sectors", partitionSectors) + Attribute(L"start_sector", startSector) +
                 L"/>\n";
}

void PackageBuilder::AddPatch(const std::wstring& byteOffset, const std::wstring& sizeInBytes,
                              const std::wstring& startSector, const std::wstring& value, const std::wstring& what,
                              const std::wstring& fileName) {
    patches_ += L"  <patch SECTOR_SIZE_IN_BYTES=\"512\"" + Attribute(L"byte_offset", byteOffset) + L" filename=\"" +
                fileName + L"\"" + Attribute(L"size_in_bytes", sizeInBytes) + Attribute(L"start_sector", startSector) +
                Attribute(L"value", value) + Attribute(L"what", what) + L"/>\n";
}

void PackageBuilder::Write() const {
    ASSERT_TRUE(WriteBytes(folder_ + L"\\rawprogram_unsparse.xml",
                           testsupport::Utf8(L"<?xml version=\"1.0\" ?>\n<data>\n" + programs_ + L"</data>\n")));
    ASSERT_TRUE(WriteBytes(folder_ + L"\\patch0.xml",
                           testsupport::Utf8(L"<?xml version=\"1.0\" ?>\n<patches>\n" + patches_ + L"</patches>\n")));
}

void DiskWriterTest::SetUp() {
    SimPhoneTest::SetUp();
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    engine_ = MakeEngine();
    UseSpoiledTransfers(CSimDiskControl::kEveryTransfer);
}

void DiskWriterTest::TearDown() {
    engine_.reset();
    SimPhoneTest::TearDown();
}

void DiskWriterTest::UseSpoiledTransfers(int spoiledTransfers, uint64_t spoiledFrom) {
    auto control = std::make_unique<CSimDiskControl>(spoiledTransfers, spoiledFrom);
    disk_ = control.get();
    engine_->diskControl = std::move(control);
}

void DiskWriterTest::UsePackage(const std::wstring& folder, double imageMb, const char* rawprogram, const char* patch) {
    ASSERT_TRUE(WideToNarrow(folder, engine_->settings.softwarePath, sizeof(engine_->settings.softwarePath)));
    std::strncpy(engine_->settings.rawprogramFile, rawprogram, sizeof(engine_->settings.rawprogramFile) - 1);
    std::strncpy(engine_->settings.patchFile, patch, sizeof(engine_->settings.patchFile) - 1);
    engine_->settings.romSizeMb = imageMb;
}

PackageBuilder DiskWriterTest::NewPackage() {
    return PackageBuilder(folders_->File(FormatWide(L"package%d", packageCount_++)));
}

CScopedHandle DiskWriterTest::OpenDisk() {
    std::wstring path;
    EXPECT_TRUE(engine_->FindQcomDisk(path));
    CScopedHandle disk(
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(disk.IsSet());
    return disk;
}

std::string DiskWriterTest::Storage() const { return Storage(0, static_cast<size_t>(kStorageBytes)); }

std::string DiskWriterTest::Storage(uint64_t offset, size_t size) const {
    std::string bytes(size, '\0');
    EXPECT_TRUE(phone_->ReadStorage(offset, &bytes[0], size));
    return bytes;
}

void DiskWriterTest::FillStorage(char value) { PutStorage(0, std::string(static_cast<size_t>(kStorageBytes), value)); }

void DiskWriterTest::PutStorage(uint64_t offset, const std::string& bytes) {
    ASSERT_TRUE(Phone().WriteStorage(offset, bytes.data(), bytes.size()));
}

size_t DiskWriterTest::CountTexts(const std::wstring& text) const {
    size_t count = 0;
    for (const RecordedReport& report : recorder_.Reports()) {
        count += report.text == text ? 1 : 0;
    }
    return count;
}
