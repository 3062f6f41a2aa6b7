// Extraction speed of the zip reader: a 64 MB deflated item extracted to
// memory through the reader, against zlib's raw inflate plus crc32 of the
// same bytes in the same run. Prints both and the ratio (reader speed over
// zlib speed; 1.0 means as fast as zlib alone).
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "../uilib/core/ZipTestArchive.h"
#include "ZipArchive.h"

namespace {

constexpr size_t kItemSize = 64u << 20;
constexpr int kRounds = 5;

// Text-like data: words, numbers and line breaks drawn from a fixed
// generator, so it compresses about as well as skins and logs do.
std::string MakeItemData() {
    static const char* const kWords[] = {"window", "button", "text", "image", "layout", "control",
                                         "skin",   "zip",    "item", "data",  "value",  "name"};
    std::string data;
    data.reserve(kItemSize + 64);
    uint32_t state = 2463534242u;
    char number[16];
    while (data.size() < kItemSize) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        data += kWords[state % 12];
        if ((state >> 8) % 3 == 0) {
            snprintf(number, sizeof(number), "=%u", (state >> 12) % 100000);
            data += number;
        }
        data += (state >> 24) % 9 == 0 ? '\n' : ' ';
    }
    data.resize(kItemSize);
    return data;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// zlib alone: one raw inflate of the whole item, then crc32 over it.
bool InflateWithZlib(const std::string& deflated, std::string* out, uint32_t* crc) {
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return false;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    stream.avail_in = static_cast<uInt>(deflated.size());
    stream.next_out = reinterpret_cast<Bytef*>(&(*out)[0]);
    stream.avail_out = static_cast<uInt>(out->size());
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    *crc = static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(out->data()), static_cast<uInt>(out->size())));
    return result == Z_STREAM_END && stream.avail_out == 0;
}

}  // namespace

int main() {
    const std::string data = MakeItemData();
    const std::string deflated = ZipTest::RawDeflate(data);
    const std::string archive = ZipTest::BuildArchive({ZipTest::FileItem("big.bin", data, true)});
    const uint32_t expectedCrc = ZipTest::Crc32Of(data);
    printf("item: %zu bytes, deflated to %zu (%.1f%%)\n", data.size(), deflated.size(),
           100.0 * static_cast<double>(deflated.size()) / static_cast<double>(data.size()));

    std::string out(data.size(), '\0');
    double bestReader = 1e9;
    double bestZlib = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        TavikUI::HZIPARCHIVE zip =
            TavikUI::ZipArchiveOpen(archive.data(), static_cast<uint32_t>(archive.size()), TavikUI::ZIP_KIND_MEMORY);
        const TavikUI::ZipResult result =
            zip ? TavikUI::ZipArchiveExtractItem(zip, 0, &out[0], static_cast<uint32_t>(out.size()),
                                                 TavikUI::ZIP_KIND_MEMORY)
                : TavikUI::ZipArchiveLastResult();
        TavikUI::ZipArchiveClose(zip);
        QueryPerformanceCounter(&end);
        if (result != TavikUI::ZIP_MORE_DATA || out != data) {
            printf("reader failed: result 0x%X\n", static_cast<unsigned>(result));
            return 1;
        }
        bestReader = std::min(bestReader, Seconds(start, end));

        uint32_t crc = 0;
        QueryPerformanceCounter(&start);
        const bool inflated = InflateWithZlib(deflated, &out, &crc);
        QueryPerformanceCounter(&end);
        if (!inflated || crc != expectedCrc) {
            printf("zlib inflate failed\n");
            return 1;
        }
        bestZlib = std::min(bestZlib, Seconds(start, end));
    }
    const double megabytes = static_cast<double>(data.size()) / (1024.0 * 1024.0);
    printf("reader (extract to memory): %.3f s, %.1f MB/s\n", bestReader, megabytes / bestReader);
    printf("zlib (raw inflate + crc32): %.3f s, %.1f MB/s\n", bestZlib, megabytes / bestZlib);
    printf("ratio (reader speed / zlib speed): %.3f (goal 0.9)\n", bestZlib / bestReader);
    return 0;
}
