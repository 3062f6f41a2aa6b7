#include "ImageUpload.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr uint64_t kSectorBytes = 512;
constexpr DWORD kChunkBytes = 1024 * 1024;
constexpr double kBytesPerMb = 1048576.0;

std::string Formatted(const char* format, double value) {
    char text[128];
    _snprintf(text, sizeof(text) - 1, format, value);
    text[sizeof(text) - 1] = '\0';
    return text;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ImageUpload::ImageUpload(SimPhone& phone, QmslHandle handle, QmslTextCallback callback)
    : phone_(phone), handle_(handle), callback_(callback) {}

void ImageUpload::Say(const std::string& text) {
    if (callback_ == nullptr) {
        return;
    }
    // Like the real library's texts, this one is not terminated where its
    // length ends: the receiver must keep to the length.
    std::string buffer = text + "#####";
    callback_(reinterpret_cast<void*>(static_cast<intptr_t>(handle_)), buffer.data(),
              static_cast<uint16_t>(text.size()));
}

bool ImageUpload::Run(const std::vector<ImagePlacement>& images) {
    if (phone_.HasFault(SimPhoneFault::Timeout)) {
        error_ = "time-out waiting for the phone";
        return false;
    }
    const ULONGLONG start = GetTickCount64();
    double totalMb = 0;
    for (const ImagePlacement& image : images) {
        Say("File: " + BaseName(image.path));
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(image.path.c_str(), GetFileExInfoStandard, &data)) {
            error_ = "cannot open " + image.path;
            return false;
        }
        if (!WriteImage(image)) {
            return false;
        }
        const double mb = ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) / kBytesPerMb;
        totalMb += mb;
        Say(Formatted("Program Size: %.2f MB", mb));
    }
    const double seconds = (GetTickCount64() - start) / 1000.0;
    Say(Formatted("Total Time: %.3f seconds", seconds));
    Say(Formatted("Throughput: %.2f MB/s", seconds > 0 ? totalMb / seconds : totalMb));
    return true;
}

bool ImageUpload::WriteImage(const ImagePlacement& image) {
    HANDLE file = CreateFileA(image.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error_ = "cannot open " + image.path;
        return false;
    }
    // A sector number whose byte offset does not fit lies past any storage.
    if (image.sector > UINT64_MAX / kSectorBytes) {
        CloseHandle(file);
        error_ = "no room on the storage for " + BaseName(image.path);
        return false;
    }
    std::vector<char> chunk(kChunkBytes);
    uint64_t offset = image.sector * kSectorBytes;
    bool ok = true;
    DWORD got = 0;
    while (ok && ReadFile(file, chunk.data(), kChunkBytes, &got, nullptr) && got > 0) {
        // A programmer writes whole sectors: the last one is padded with
        // zeros (the chunk is a whole number of sectors).
        const DWORD whole = static_cast<DWORD>((got + kSectorBytes - 1) / kSectorBytes * kSectorBytes);
        std::fill(chunk.begin() + got, chunk.begin() + whole, '\0');
        if (phone_.HasFault(SimPhoneFault::FailWrite)) {
            error_ = "write failed at sector " + std::to_string(offset / kSectorBytes);
            ok = false;
        } else if (!phone_.WriteStorage(offset, chunk.data(), whole)) {
            error_ = "no room on the storage for " + BaseName(image.path);
            ok = false;
        } else if (phone_.HasFault(SimPhoneFault::UnplugMidWrite)) {
            phone_.SetMode(SimPhoneMode::Off);
            error_ = "the phone went away";
            ok = false;
        }
        offset += whole;
    }
    CloseHandle(file);
    return ok;
}

bool PlaceImages(const std::vector<ProgramEntry>& entries, uint64_t diskSectors,
                 const std::function<std::string(const std::string&)>& findImage,
                 std::vector<ImagePlacement>& placements, std::string& error) {
    placements.clear();
    for (const ProgramEntry& entry : entries) {
        if (entry.fileName.empty()) {
            continue;
        }
        ImagePlacement placement;
        if (!ResolveStartSector(entry.startSector, diskSectors, placement.sector)) {
            error = "bad start_sector for " + entry.fileName;
            return false;
        }
        placement.path = findImage(entry.fileName);
        if (placement.path.empty()) {
            error = "cannot find " + entry.fileName;
            return false;
        }
        placements.push_back(placement);
    }
    return true;
}
