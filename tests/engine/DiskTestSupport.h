// Shared pieces of the disk writer tests: a fixture with the simulated phone
// in download mode and an engine whose disk requests the simulated phone
// answers, and a builder for small packages written into a temporary folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "ScopedHandle.h"
#include "SimDiskControl.h"

constexpr uint32_t kTestSectorBytes = 512;

// zlib's CRC-32, the independent reference for the writer's own.
uint32_t ReferenceCrc32(const std::string& bytes);
uint32_t ReferenceCrc32(const std::string& bytes, size_t offset, size_t length);
// Bytes that differ from one seed to the next and contain no long runs.
std::string PatternBytes(size_t size, uint32_t seed);
// Little-endian number of `size` bytes at `offset`.
uint64_t LittleEndianAt(const std::string& bytes, size_t offset, size_t size);
void PutLittleEndian(std::string& bytes, size_t offset, size_t size, uint64_t value);

// The partition and patch lists of a package, written as text.
class PackageBuilder {
public:
    explicit PackageBuilder(std::wstring folder);

    // An image in the package folder (or its "bp_image" folder).
    void AddImage(const std::wstring& name, const std::string& bytes, bool inBpImage = false);
    // A `program` element; attributes given as "" are left out.
    void AddProgram(const std::wstring& fileName, const std::wstring& startSector,
                    const std::wstring& partitionSectors);
    // A `patch` element.
    void AddPatch(const std::wstring& byteOffset, const std::wstring& sizeInBytes, const std::wstring& startSector,
                  const std::wstring& value, const std::wstring& what, const std::wstring& fileName = L"DISK");
    // Writes "rawprogram_unsparse.xml" and "patch0.xml".
    void Write() const;

    const std::wstring& Folder() const { return folder_; }
    double ImageMb() const { return imageBytes_ / 1048576.0; }

private:
    std::wstring folder_;
    std::wstring programs_;
    std::wstring patches_;
    double imageBytes_ = 0;
};

class DiskWriterTest : public SimPhoneTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the disk requests with ones whose faults spoil only the first
    // `spoiledTransfers` transfers at `spoiledFrom` or later.
    void UseSpoiledTransfers(int spoiledTransfers, uint64_t spoiledFrom = 0);
    // The engine's settings name this package folder and its two lists.
    void UsePackage(const std::wstring& folder, double imageMb, const char* rawprogram = "rawprogram_unsparse.xml",
                    const char* patch = "patch0.xml");
    // A package folder of the test's own, with a builder for it.
    PackageBuilder NewPackage();

    // The disk opened as the engine opens it.
    CScopedHandle OpenDisk();
    std::string Storage() const;
    std::string Storage(uint64_t offset, size_t size) const;
    void FillStorage(char value);
    void PutStorage(uint64_t offset, const std::string& bytes);
    uint32_t NumDiskSectors() const { return static_cast<uint32_t>(kStorageBytes / kTestSectorBytes); }
    bool HasText(int32_t code, const std::wstring& text) const { return recorder_.HasText(code, text); }
    size_t CountTexts(const std::wstring& text) const;

    ReportRecorder recorder_;
    std::unique_ptr<CQcomDownloader> engine_;
    CSimDiskControl* disk_ = nullptr;  // owned by the engine
    int packageCount_ = 0;
};
