// Times the eMMC writer on a 256 MB package against the simulated phone's
// disk, and in the same run a plain sequential write plus read-back of the
// same bytes, in the same 2 MB pieces, to a file beside the phone's storage:
// the bound the writer (which also reads the images, checks each chunk and
// reports) is measured against. A second plain figure reads each piece back
// right after writing it, as the writer does. Prints the figures and their
// ratios; it is not a timed test and never fails on speed.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../engine/SimDiskControl.h"
#include "QcomDownloader.h"
#include "SimPhone.h"
#include "TestFiles.h"
#include "TextFormat.h"

namespace {

constexpr int kPhoneNumber = 9;  // apart from the phones of the engine tests
constexpr int kImages = 4;
constexpr uint32_t kImageBytes = 64u * 1024 * 1024;
constexpr uint64_t kPackageBytes = uint64_t{kImages} * kImageBytes;
constexpr uint64_t kStorageBytes = kPackageBytes + 16u * 1024 * 1024;
constexpr uint32_t kChunkBytes = 2u * 1024 * 1024;
constexpr int kRounds = 7;
constexpr uint64_t kFirstSector = 34;  // the images follow a primary GPT

int g_reports = 0;
void CountReport(const DownloadMessage*) { ++g_reports; }

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool WriteAll(HANDLE file, const uint8_t* bytes, uint32_t length) {
    DWORD written = 0;
    return WriteFile(file, bytes, length, &written, nullptr) && written == length;
}

// Image i: bytes that differ from image to image and from chunk to chunk.
void FillImage(std::vector<uint8_t>& bytes, int image) {
    uint32_t state = 0x9E3779B9u * static_cast<uint32_t>(image + 1);
    for (size_t at = 0; at < bytes.size(); at += 4) {
        state = state * 1664525u + 1013904223u;
        std::memcpy(&bytes[at], &state, 4);
    }
}

bool MakePackage(const std::wstring& folder, const std::vector<std::vector<uint8_t>>& images) {
    CreateDirectoryW(folder.c_str(), nullptr);
    std::string list = "<?xml version=\"1.0\" ?>\n<data>\n";
    for (int image = 0; image < kImages; ++image) {
        const std::wstring path = FormatWide(L"%s\\image%d.img", folder.c_str(), image);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        bool ok = true;
        for (uint32_t done = 0; ok && done < kImageBytes; done += kChunkBytes) {
            ok = WriteAll(file, images[image].data() + done, kChunkBytes);
        }
        CloseHandle(file);
        if (!ok) {
            return false;
        }
        list += FormatNarrow(
            "  <program filename=\"image%d.img\" num_partition_sectors=\"%u\" "
            "start_sector=\"%I64u\"/>\n",
            image, kImageBytes / 512, kFirstSector + uint64_t{kImageBytes} / 512 * image);
    }
    list += "</data>\n";
    const std::string patches =
        "<patches><patch filename=\"DISK\" byte_offset=\"16\" size_in_bytes=\"4\" "
        "start_sector=\"1\" value=\"CRC32(1,92)\" what=\"header CRC\"/></patches>\n";
    for (const auto& [name, text] :
         {std::make_pair(L"rawprogram_unsparse.xml", list), std::make_pair(L"patch0.xml", patches)}) {
        HANDLE file =
            CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool ok =
            WriteAll(file, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()));
        CloseHandle(file);
        if (!ok) {
            return false;
        }
    }
    return true;
}

// A plain file beside the phone's storage, of the storage's size.
HANDLE OpenPlainFile(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER size;
        size.QuadPart = static_cast<LONGLONG>(kStorageBytes);
        SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    }
    return file;
}

bool Seek(HANDLE file, uint64_t position) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != FALSE;
}

bool ReadBackMatches(HANDLE file, std::vector<uint8_t>& readBack, const uint8_t* expected) {
    DWORD got = 0;
    return ReadFile(file, readBack.data(), kChunkBytes, &got, nullptr) && got == kChunkBytes &&
           std::memcmp(readBack.data(), expected, 512) == 0;
}

// The bound: the package's bytes written sequentially in 2 MB pieces, then
// read back sequentially.
double PlainWriteThenReadBack(HANDLE file, const std::vector<std::vector<uint8_t>>& images,
                              std::vector<uint8_t>& readBack) {
    const auto start = std::chrono::steady_clock::now();
    bool ok = Seek(file, kFirstSector * 512);
    for (int image = 0; ok && image < kImages; ++image) {
        for (uint32_t done = 0; ok && done < kImageBytes; done += kChunkBytes) {
            ok = WriteAll(file, images[image].data() + done, kChunkBytes);
        }
    }
    ok = ok && Seek(file, kFirstSector * 512);
    for (int image = 0; ok && image < kImages; ++image) {
        for (uint32_t done = 0; ok && done < kImageBytes; done += kChunkBytes) {
            ok = ReadBackMatches(file, readBack, images[image].data() + done);
        }
    }
    const double seconds = Seconds(start);
    return ok ? seconds : -1;
}

// A tighter figure for reference: each piece read back right after its
// write, as the writer does, so the read-back comes from the cache.
double PlainInterleaved(HANDLE file, const std::vector<std::vector<uint8_t>>& images, std::vector<uint8_t>& readBack) {
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    uint64_t position = kFirstSector * 512;
    for (int image = 0; ok && image < kImages; ++image) {
        for (uint32_t done = 0; ok && done < kImageBytes; done += kChunkBytes) {
            ok = Seek(file, position) && WriteAll(file, images[image].data() + done, kChunkBytes) &&
                 Seek(file, position) && ReadBackMatches(file, readBack, images[image].data() + done);
            position += kChunkBytes;
        }
    }
    const double seconds = Seconds(start);
    return ok ? seconds : -1;
}

double WriterRun(CQcomDownloader& engine) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = engine.DownloadDisk();
    const double seconds = Seconds(start);
    return ok ? seconds : -1;
}

}  // namespace

int main() {
    // Removed with everything in it when main returns, after the phone.
    const testsupport::ScratchFolder scratch(L"tavik_disk_bench_");
    const std::wstring& folder = scratch.Path();
    const std::wstring phoneFolder = folder + L"\\phone";
    const std::wstring packageFolder = folder + L"\\package";

    std::vector<std::vector<uint8_t>> images(kImages, std::vector<uint8_t>(kImageBytes));
    for (int image = 0; image < kImages; ++image) {
        FillImage(images[image], image);
    }
    if (!MakePackage(packageFolder, images)) {
        std::printf("disk_bench: cannot write the package\n");
        return 1;
    }

    SimPhone phone(phoneFolder);
    SetEnvironmentVariableW(kSimPhoneDirVariable, phoneFolder.c_str());
    if (!phone.Create(kPhoneNumber, kStorageBytes, "AP:BENCH") || !phone.SetMode(SimPhoneMode::Download)) {
        std::printf("disk_bench: cannot plug the simulated phone (is WINEPREFIX set?)\n");
        phone.Remove();
        return 1;
    }
    auto engine = std::make_unique<CQcomDownloader>();
    engine->reportCallback = &CountReport;
    engine->diskControl = std::make_unique<CSimDiskControl>();
    int32_t comPort = 0;
    engine->ClassifyDevice(comPort);
    WideToNarrow(packageFolder, engine->settings.softwarePath, sizeof(engine->settings.softwarePath));
    std::strcpy(engine->settings.rawprogramFile, "rawprogram_unsparse.xml");
    std::strcpy(engine->settings.patchFile, "patch0.xml");
    engine->settings.romSizeMb = static_cast<double>(kPackageBytes) / 1048576.0;

    // Beside the storage, on the same file system.
    const std::wstring storage = phone.StoragePath();
    const std::wstring plainPath = storage.substr(0, storage.rfind(L'\\')) + L"\\disk_bench_plain.bin";

    HANDLE plainFile = OpenPlainFile(plainPath);
    std::vector<uint8_t> readBack(kChunkBytes);
    double bestWriter = 0;
    double bestPlain = 0;
    double bestInterleaved = 0;
    bool ok = plainFile != INVALID_HANDLE_VALUE;
    for (int round = 0; ok && round < kRounds; ++round) {
        const double plain = PlainWriteThenReadBack(plainFile, images, readBack);
        const double interleaved = PlainInterleaved(plainFile, images, readBack);
        g_reports = 0;
        const double writer = WriterRun(*engine);
        ok = plain > 0 && interleaved > 0 && writer > 0;
        if (ok) {
            std::printf("round %d: plain %.3f s, interleaved %.3f s, writer %.3f s (%d reports)\n", round + 1, plain,
                        interleaved, writer, g_reports);
            const bool first = round == 0;
            bestPlain = first || plain < bestPlain ? plain : bestPlain;
            bestInterleaved = first || interleaved < bestInterleaved ? interleaved : bestInterleaved;
            bestWriter = first || writer < bestWriter ? writer : bestWriter;
        }
    }
    if (plainFile != INVALID_HANDLE_VALUE) {
        CloseHandle(plainFile);
    }
    // The written bytes must be the package's, or the figures mean nothing.
    std::vector<uint8_t> check(kChunkBytes);
    for (int image = 0; ok && image < kImages; ++image) {
        const uint64_t offset = (kFirstSector + uint64_t{kImageBytes} / 512 * image) * 512 + kImageBytes - kChunkBytes;
        ok = phone.ReadStorage(offset, check.data(), kChunkBytes) &&
             std::memcmp(check.data(), images[image].data() + kImageBytes - kChunkBytes, kChunkBytes) == 0;
    }
    engine.reset();
    DeleteFileW(plainPath.c_str());
    phone.Remove();
    SetEnvironmentVariableW(kSimPhoneDirVariable, nullptr);
    if (!ok) {
        std::printf("disk_bench: a run failed\n");
        return 1;
    }
    const double mb = static_cast<double>(kPackageBytes) / 1048576.0;
    std::printf("package %.0f MB, best of %d rounds:\n", mb, kRounds);
    std::printf("  plain sequential write, then read-back: %.3f s (%.0f MB/s)\n", bestPlain, mb / bestPlain);
    std::printf("  plain, each piece read back at once:     %.3f s (%.0f MB/s)\n", bestInterleaved,
                mb / bestInterleaved);
    std::printf("  writer (DownloadDisk):                   %.3f s (%.0f MB/s)\n", bestWriter, mb / bestWriter);
    std::printf(
        "writer / plain bound = %.2f (goal: at least 0.70); "
        "writer / interleaved = %.2f\n",
        bestPlain / bestWriter, bestInterleaved / bestWriter);
    return 0;
}
