// Decodes still images (PNG, JPEG, BMP, GIF's first frame and the other
// formats the stb_image library reads) into RGBA pixels, refusing images too
// large for a skin before their pixels are allocated.
#pragma once

#include <cstdint>
#include <memory>

namespace TavikUI {

// The most pixels one decoded image (or all frames of a GIF together) may
// hold: 64 MB of RGBA.
constexpr int64_t kMaxImagePixels = int64_t(1) << 24;

// True for positive extents whose pixel count stays within kMaxImagePixels.
bool ImageExtentAllowed(int64_t width, int64_t height);

struct FreeDecodedPixels {
    void operator()(uint8_t* pixels) const;
};

// Top row first, 4 bytes per pixel in the order R, G, B, A.
struct RgbaImage {
    std::unique_ptr<uint8_t, FreeDecodedPixels> pixels;
    int32_t width = 0;
    int32_t height = 0;
};

// False for data the decoder cannot read, and for images whose header claims
// more than kMaxImagePixels (checked before decoding).
bool DecodeRgbaImage(const uint8_t* bytes, uint32_t size, RgbaImage& image);

}  // namespace TavikUI
