// Helpers of the image tests: PNG and GIF bytes written in the test (so each
// pixel is known), fixture files, 32-bit bitmaps with chosen pixels, and a
// fixture that points the skin settings at a temporary folder or an
// in-memory skin archive and puts them back afterwards.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DibSection.h"
#include "GdiRenderer.h"
#include "RenderTestSupport.h"
#include "WindowManager.h"
#include "ZipTestArchive.h"

namespace ImageTests {

using TavikUI::CGdiRenderer;
using TavikUI::CWindowManager;
using TavikUI::ImageRecord;

inline void PutBe32(std::string* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out->push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

inline std::string PngChunk(const char* type, const std::string& data) {
    std::string chunk;
    PutBe32(&chunk, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    chunk += body;
    PutBe32(&chunk, static_cast<uint32_t>(
                        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    return chunk;
}

inline std::string PngHeader(uint32_t width, uint32_t height, uint8_t colorType) {
    std::string header;
    PutBe32(&header, width);
    PutBe32(&header, height);
    header += static_cast<char>(8);  // bits per channel
    header += static_cast<char>(colorType);
    header += std::string(3, '\0');  // compression, filter, interlace
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header);
}

inline std::string Deflated(const std::string& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
              static_cast<uLong>(raw.size()), Z_BEST_SPEED);
    out.resize(size);
    return out;
}

// An RGBA PNG; pixels are 0xAARRGGBB, top row first.
inline std::string PngBytes(int width, int height, const std::vector<uint32_t>& pixels) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            raw += static_cast<char>((p >> 16) & 0xFF);
            raw += static_cast<char>((p >> 8) & 0xFF);
            raw += static_cast<char>(p & 0xFF);
            raw += static_cast<char>(p >> 24);
        }
    }
    return PngHeader(width, height, 6) + PngChunk("IDAT", Deflated(raw)) + PngChunk("IEND", "");
}

inline std::string SolidPng(int width, int height, uint32_t color) {
    return PngBytes(width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, color));
}

// A GIF with a four-colour table (0 red, 1 green, 2 blue, 3 white) whose
// frames each paint one pixel of the canvas.
struct GifPixelFrame {
    int x;
    int y;
    int colorIndex;
    int delayHundredths;
};

inline void PutLe16(std::string* out, uint32_t value) { ZipTest::PutLe16(out, value); }

inline std::string GifHeader(int width, int height) {
    std::string gif = "GIF89a";
    PutLe16(&gif, static_cast<uint32_t>(width));
    PutLe16(&gif, static_cast<uint32_t>(height));
    gif += static_cast<char>(0x81);  // global table of 4 entries
    gif += '\0';                     // background index
    gif += '\0';                     // aspect
    gif += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
    return gif;
}

inline std::string GifFrame(const GifPixelFrame& frame) {
    std::string bytes("\x21\xF9\x04\x00", 4);  // graphic control: no disposal, no transparency
    PutLe16(&bytes, static_cast<uint32_t>(frame.delayHundredths));
    bytes += std::string("\x00\x00", 2);
    bytes += '\x2C';
    PutLe16(&bytes, static_cast<uint32_t>(frame.x));
    PutLe16(&bytes, static_cast<uint32_t>(frame.y));
    PutLe16(&bytes, 1);
    PutLe16(&bytes, 1);
    bytes += '\0';
    // LZW, 2-bit codes: clear (4), the index, end (5), read 3 bits at a time.
    bytes += '\x02';
    bytes += '\x02';
    bytes += static_cast<char>(0x04 | (frame.colorIndex << 3) | 0x40);
    bytes += '\x01';
    bytes += '\0';
    return bytes;
}

inline std::string GifBytes(int width, int height, const std::vector<GifPixelFrame>& frames) {
    std::string gif = GifHeader(width, height);
    for (const GifPixelFrame& frame : frames) {
        gif += GifFrame(frame);
    }
    return gif + ';';
}

inline std::wstring FixturePath(const char* name) {
    std::wstring path = TAVIK_TEST_DATA_DIR L"/fixtures/ui/";
    for (const char* c = name; *c; ++c) {
        path += static_cast<wchar_t>(*c);
    }
    return path;
}

inline std::string ReadFixture(const char* name) {
    std::ifstream in(FixturePath(name).c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// A 32-bit top-down DIB section with the given premultiplied 0xAARRGGBB
// pixels, owned by the test.
class TestBitmap {
public:
    TestBitmap(int width, int height, const std::vector<uint32_t>& pixels) {
        void* bits = nullptr;
        bitmap_ = TavikUI::CreateDibSection32(width, height, TavikUI::DibRows::kTopDown, &bits);
        if (bitmap_) {
            memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
        }
    }
    ~TestBitmap() {
        if (bitmap_) {
            DeleteObject(bitmap_);
        }
    }
    TestBitmap(const TestBitmap&) = delete;
    TestBitmap& operator=(const TestBitmap&) = delete;
    HBITMAP Handle() const { return bitmap_; }

private:
    HBITMAP bitmap_ = nullptr;
};

// The 0xAARRGGBB pixels of a record's bitmap (top-down, as every record's
// bitmap is), top row first.
inline std::vector<uint32_t> RecordPixels(const ImageRecord& record) {
    DIBSECTION section = {};
    if (GetObjectW(record.bitmap, sizeof(section), &section) != sizeof(section)) {
        return {};
    }
    GdiFlush();
    const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    return std::vector<uint32_t>(bits, bits + static_cast<size_t>(record.width) * record.height);
}

struct RecordDeleter {
    void operator()(ImageRecord* record) const { CGdiRenderer::ReleaseImage(record); }
};
using RecordPtr = std::unique_ptr<ImageRecord, RecordDeleter>;

using RenderTests::Blue;
using RenderTests::Green;
using RenderTests::Red;

// Points the skin settings at a fresh temporary folder (no archive) and puts
// them back, with the folder removed, at the end.
class SkinSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static int serial = 0;
        folder_ = std::wstring(temp) + L"tavik_images_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                  std::to_wstring(++serial) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        CWindowManager::SetSkinArchive(L"", false);
        CWindowManager::SetResourceFolder(folder_.c_str());
        CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        CWindowManager::SetSkinArchive(L"", false);
        CWindowManager::SetResourceFolder(L"");
        for (const std::wstring& name : written_) {
            DeleteFileW((folder_ + name).c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }

    void Write(const std::wstring& name, const std::string& bytes) {
        ASSERT_TRUE(WriteFileBytes(folder_ + name, bytes));
        written_.insert(name);
    }
    // Opens the archive bytes as the cached in-memory skin archive.
    void UseMemoryArchive(const std::vector<ZipTest::Item>& items) {
        archive_ = ZipTest::BuildArchive(items);
        CWindowManager::SetSkinArchiveInMemory(archive_.data(), static_cast<uint32_t>(archive_.size()));
    }

    std::wstring folder_;
    std::set<std::wstring> written_;
    std::string archive_;
};

}  // namespace ImageTests
