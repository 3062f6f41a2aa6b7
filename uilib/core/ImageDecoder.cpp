#include "ImageDecoder.h"

#include <climits>

// The program reads images from memory only.
#define STBI_NO_STDIO
#include <stb/stb_image.h>

namespace TavikUI {

bool ImageExtentAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImagePixels && height <= kMaxImagePixels &&
           width * height <= kMaxImagePixels;
}

void FreeDecodedPixels::operator()(uint8_t* pixels) const { stbi_image_free(pixels); }

bool DecodeRgbaImage(const uint8_t* bytes, uint32_t size, RgbaImage& image) {
    image = RgbaImage();
    if (!bytes || size == 0 || size > static_cast<uint32_t>(INT_MAX)) {
        return false;
    }
    const int length = static_cast<int>(size);
    // The header tells the size: an image the cap refuses is never decoded.
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels) || !ImageExtentAllowed(width, height)) {
        return false;
    }
    uint8_t* pixels = stbi_load_from_memory(bytes, length, &width, &height, &channels, 4);
    if (!pixels) {
        return false;
    }
    image.pixels.reset(pixels);
    if (!ImageExtentAllowed(width, height)) {
        image = RgbaImage();
        return false;
    }
    image.width = width;
    image.height = height;
    return true;
}

}  // namespace TavikUI
