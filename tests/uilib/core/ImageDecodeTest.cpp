// Decoding images into premultiplied 32-bit bitmaps, from every source the
// skins use, and refusing damaged or oversized ones.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ImageDecoder.h"
#include "ImageSource.h"
#include "ImageTestSupport.h"

using namespace ImageTests;
using TavikUI::DecodeRgbaImage;
using TavikUI::ImageExtentAllowed;
using TavikUI::RgbaImage;

namespace {

const uint32_t kOpaqueRed = 0xFFFF0000;
const uint32_t kOpaqueMagenta = 0xFFFF00FF;

RgbaImage DecodeBytes(const std::string& bytes) {
    RgbaImage image;
    DecodeRgbaImage(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), image);
    return image;
}

// The RGBA bytes of pixel (x, y) as 0xAARRGGBB.
uint32_t RgbaAt(const RgbaImage& image, int x, int y) {
    const uint8_t* p = image.pixels.get() + (static_cast<size_t>(y) * image.width + x) * 4;
    return static_cast<uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
}

TEST(ImageDecoding, EachFormatDecodesFromMemory) {
    const RgbaImage png = DecodeBytes(PngBytes(2, 1, {0xFF102030, 0x80FFFFFF}));
    ASSERT_TRUE(png.pixels);
    EXPECT_EQ(png.width, 2);
    EXPECT_EQ(png.height, 1);
    EXPECT_EQ(RgbaAt(png, 0, 0), 0xFF102030u);
    EXPECT_EQ(RgbaAt(png, 1, 0), 0x80FFFFFFu);

    const RgbaImage bmp = DecodeBytes(ReadFixture("rows.bmp"));
    ASSERT_TRUE(bmp.pixels);
    EXPECT_EQ(bmp.width, 4);
    EXPECT_EQ(bmp.height, 2);
    // Stored bottom up, delivered top row first.
    EXPECT_EQ(RgbaAt(bmp, 3, 0), 0xFFFF0000u);
    EXPECT_EQ(RgbaAt(bmp, 0, 1), 0xFF0000FFu);

    const RgbaImage jpeg = DecodeBytes(ReadFixture("flat.jpg"));
    ASSERT_TRUE(jpeg.pixels);
    EXPECT_EQ(jpeg.width, 16);
    const uint32_t pixel = RgbaAt(jpeg, 8, 8);
    EXPECT_NEAR(Red(pixel), 0x33, 4);
    EXPECT_NEAR(Green(pixel), 0x66, 4);
    EXPECT_NEAR(Blue(pixel), 0xCC, 4);
    EXPECT_EQ(pixel >> 24, 0xFFu);

    // A GIF as a still image is its first frame.
    const RgbaImage gif = DecodeBytes(ReadFixture("anim3.gif"));
    ASSERT_TRUE(gif.pixels);
    EXPECT_EQ(gif.width, 6);
    EXPECT_EQ(RgbaAt(gif, 5, 3), 0xFFFF0000u);
}

TEST(ImageDecoding, DamagedDataIsRefusedOrDecodedAtItsOwnSize) {
    EXPECT_FALSE(DecodeBytes("").pixels);
    EXPECT_FALSE(DecodeBytes("not an image at all, just some text").pixels);
    const std::string png = PngBytes(8, 8, std::vector<uint32_t>(64, 0xFF00FF00));
    // Cut inside the compressed pixels, inside the header, after the
    // signature.
    for (size_t keep : {png.size() - 20, size_t(30), size_t(8)}) {
        EXPECT_FALSE(DecodeBytes(png.substr(0, keep)).pixels) << keep;
    }
    // A flipped byte in the compressed data breaks the stream.
    std::string flipped = png;
    flipped[45] = static_cast<char>(flipped[45] ^ 0x5A);
    const RgbaImage damaged = DecodeBytes(flipped);
    if (damaged.pixels) {
        EXPECT_EQ(damaged.width, 8);
    }
    // JPEG and BMP cut short: refused, or decoded as far as the data goes.
    for (const char* name : {"flat.jpg", "rows.bmp", "anim3.gif"}) {
        const std::string bytes = ReadFixture(name);
        for (size_t keep = 1; keep < bytes.size(); keep += 7) {
            const RgbaImage cut = DecodeBytes(bytes.substr(0, keep));
            if (cut.pixels) {
                EXPECT_TRUE(ImageExtentAllowed(cut.width, cut.height)) << name << " " << keep;
            }
        }
    }
}

TEST(ImageDecoding, HeadersClaimingHugeSizesAreRefusedBeforeDecoding) {
    EXPECT_TRUE(ImageExtentAllowed(4096, 4096));
    EXPECT_TRUE(ImageExtentAllowed(1, TavikUI::kMaxImagePixels));
    EXPECT_FALSE(ImageExtentAllowed(4097, 4096));
    EXPECT_FALSE(ImageExtentAllowed(0, 10));
    EXPECT_FALSE(ImageExtentAllowed(10, -1));
    EXPECT_FALSE(ImageExtentAllowed(int64_t(1) << 32, int64_t(1) << 32));

    // A complete, valid grey PNG of 4097 x 4097: decodable, but over the cap.
    const int side = 4097;
    const std::string raw(static_cast<size_t>(side) * (side + 1), '\0');
    const std::string bigPng = PngHeader(side, side, 0) + PngChunk("IDAT", Deflated(raw)) + PngChunk("IEND", "");
    EXPECT_FALSE(DecodeBytes(bigPng).pixels);

    // Headers alone, claiming sizes nothing could hold.
    EXPECT_FALSE(DecodeBytes(PngHeader(100000, 100000, 6) + PngChunk("IDAT", Deflated("xyz"))).pixels);
    std::string bmp = ReadFixture("rows.bmp");
    ZipTest::SetLe32(&bmp, 18, 60000);
    ZipTest::SetLe32(&bmp, 22, 60000);
    EXPECT_FALSE(DecodeBytes(bmp).pixels);
    std::string gif = GifBytes(2, 2, {{0, 0, 1, 0}});
    ZipTest::SetLe16(&gif, 6, 0xFFFF);
    ZipTest::SetLe16(&gif, 8, 0xFFFF);
    EXPECT_FALSE(DecodeBytes(gif).pixels);
    std::string jpeg = ReadFixture("flat.jpg");
    const size_t frameHeader = jpeg.find("\xFF\xC0");
    ASSERT_NE(frameHeader, std::string::npos);
    // Height and width of the frame header, big endian.
    jpeg[frameHeader + 5] = jpeg[frameHeader + 6] = jpeg[frameHeader + 7] = jpeg[frameHeader + 8] = '\xFF';
    EXPECT_FALSE(DecodeBytes(jpeg).pixels);
}

class ImageSourceTest : public SkinSourceTest {};

TEST_F(ImageSourceTest, TranslucentPixelsArePremultipliedAndMarkTheImage) {
    Write(L"alpha.png", PngBytes(3, 1, {0x80C86432, 0xFF0000FF, 0x00FFFFFF}));
    RecordPtr record(CGdiRenderer::DecodeImage(L"alpha.png", nullptr, 0));
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->hasAlpha);
    const std::vector<uint32_t> pixels = RecordPixels(*record);
    // 200, 100, 50 at alpha 128: each channel x 128 / 255.
    EXPECT_EQ(pixels[0], 0x80643219u);
    EXPECT_EQ(pixels[1], 0xFF0000FFu);
    EXPECT_EQ(pixels[2], 0u);
}

TEST_F(ImageSourceTest, PixelsEqualToTheMaskBecomeTransparent) {
    Write(L"mask.png", PngBytes(3, 1, {kOpaqueMagenta, kOpaqueRed, 0x80FF0000}));
    RecordPtr opaque(CGdiRenderer::DecodeImage(L"mask.png", nullptr, kOpaqueMagenta));
    ASSERT_TRUE(opaque);
    EXPECT_TRUE(opaque->hasAlpha);
    EXPECT_EQ(RecordPixels(*opaque)[0], 0u);
    EXPECT_EQ(RecordPixels(*opaque)[1], kOpaqueRed);
    // The mask is compared after premultiplying.
    RecordPtr premultiplied(CGdiRenderer::DecodeImage(L"mask.png", nullptr, 0x80800000));
    ASSERT_TRUE(premultiplied);
    EXPECT_EQ(RecordPixels(*premultiplied)[2], 0u);
    EXPECT_EQ(RecordPixels(*premultiplied)[0], kOpaqueMagenta);
    // An opaque image whose pixels miss the mask stays without alpha.
    Write(L"red.png", SolidPng(2, 2, kOpaqueRed));
    RecordPtr unmasked(CGdiRenderer::DecodeImage(L"red.png", nullptr, kOpaqueMagenta));
    ASSERT_TRUE(unmasked);
    EXPECT_FALSE(unmasked->hasAlpha);
}

TEST_F(ImageSourceTest, ResourceFolderFileThenPlainPath) {
    Write(L"folder.png", SolidPng(3, 2, kOpaqueRed));
    RecordPtr fromFolder(CGdiRenderer::DecodeImage(L"folder.png", nullptr, 0));
    ASSERT_TRUE(fromFolder);
    EXPECT_EQ(fromFolder->width, 3);
    EXPECT_EQ(fromFolder->height, 2);
    // Not in the folder: the name is tried as a path of its own.
    RecordPtr byPath(CGdiRenderer::DecodeImage(FixturePath("rows.bmp").c_str(), nullptr, 0));
    ASSERT_TRUE(byPath);
    EXPECT_EQ(byPath->width, 4);
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"absent.png", nullptr, 0), nullptr);
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"", nullptr, 0), nullptr);
    EXPECT_EQ(CGdiRenderer::DecodeImage(nullptr, nullptr, 0), nullptr);
    // Empty and damaged files are refused.
    Write(L"empty.png", "");
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"empty.png", nullptr, 0), nullptr);
    Write(L"cut.png", SolidPng(4, 4, kOpaqueRed).substr(0, 40));
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"cut.png", nullptr, 0), nullptr);
}

TEST_F(ImageSourceTest, ProgramResourceByDecimalId) {
    RecordPtr record(CGdiRenderer::DecodeImage(L"101", L"PNG", 0));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->width, 2);
    EXPECT_EQ(RecordPixels(*record)[3], 0xFF00FF00u);
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"102", L"PNG", 0), nullptr);
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"101", L"JPEG", 0), nullptr);
    // Past the largest resource id the name is not taken as a number.
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"65637", L"PNG", 0), nullptr);
}

TEST_F(ImageSourceTest, ArchiveItemsWhenAnArchiveIsNamed) {
    UseMemoryArchive({ZipTest::FileItem("skin/Button.PNG", SolidPng(5, 1, kOpaqueRed), true),
                      ZipTest::FileItem("photo.jpg", ReadFixture("flat.jpg")),
                      ZipTest::FileItem("rows.bmp", ReadFixture("rows.bmp"), true),
                      ZipTest::FileItem("broken.png", "\x89PNG\r\n\x1A\n garbage")});
    // Found without regard to case, stored or deflated.
    RecordPtr png(CGdiRenderer::DecodeImage(L"skin\\button.png", nullptr, 0));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width, 5);
    RecordPtr jpeg(CGdiRenderer::DecodeImage(L"photo.jpg", nullptr, 0));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->width, 16);
    RecordPtr bmp(CGdiRenderer::DecodeImage(L"ROWS.BMP", nullptr, 0));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(RecordPixels(*bmp)[0], 0xFFFF0000u);
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"broken.png", nullptr, 0), nullptr);
    // With an archive named, the resource folder's files are not looked at.
    Write(L"loose.png", SolidPng(1, 1, kOpaqueRed));
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"loose.png", nullptr, 0), nullptr);
    EXPECT_TRUE(RecordPtr(CGdiRenderer::DecodeImage((folder_ + L"loose.png").c_str(), nullptr, 0)));
}

TEST_F(ImageSourceTest, ArchiveFileOpenedPerLoadOrKeptOpen) {
    Write(L"skin.zip", ZipTest::BuildArchive({ZipTest::FileItem("a.png", SolidPng(7, 3, kOpaqueRed), true)}));
    for (bool cached : {false, true}) {
        CWindowManager::SetSkinArchive(L"skin.zip", cached);
        RecordPtr record(CGdiRenderer::DecodeImage(L"a.png", nullptr, 0));
        ASSERT_TRUE(record) << cached;
        EXPECT_EQ(record->width, 7);
        EXPECT_EQ(CGdiRenderer::DecodeImage(L"b.png", nullptr, 0), nullptr);
        CWindowManager::SetSkinArchive(L"", false);
    }
    CWindowManager::SetSkinArchive(L"missing.zip", false);
    EXPECT_EQ(CGdiRenderer::DecodeImage(L"a.png", nullptr, 0), nullptr);
}

TEST_F(ImageSourceTest, ArchiveItemsClaimingHugeSizesAreRefused) {
    TavikUI::ImageBytes bytes;
    // The stored size in the archive says more than any image file may hold.
    ZipTest::Layout layout;
    std::string archive =
        ZipTest::BuildArchive({ZipTest::FileItem("big.png", SolidPng(2, 2, kOpaqueRed))}, "", "", &layout);
    ZipTest::SetLe32(&archive, layout.centralEntries[0] + ZipTest::Field::kCentralUncompressed, 0xFFFFFFF0u);
    archive_ = archive;
    CWindowManager::SetSkinArchiveInMemory(archive_.data(), static_cast<uint32_t>(archive_.size()));
    EXPECT_FALSE(TavikUI::ReadImageBytes(L"big.png", nullptr, bytes));
    EXPECT_FALSE(bytes.data);
}

TEST_F(ImageSourceTest, ManagerCachesLoadedImagesOnly) {
    Write(L"cached.png", SolidPng(2, 2, kOpaqueRed));
    CWindowManager manager;
    ImageRecord* first = manager.ImageOrAdd(L"cached.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(manager.ImageOrAdd(L"cached.png"), first);
    EXPECT_EQ(manager.ImageOrAdd(L"later.png"), nullptr);
    Write(L"later.png", SolidPng(2, 2, kOpaqueRed));
    EXPECT_NE(manager.ImageOrAdd(L"later.png"), nullptr);
}

}  // namespace
