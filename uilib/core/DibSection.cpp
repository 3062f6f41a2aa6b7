#include "DibSection.h"

#include <cstddef>

namespace TavikUI {

BITMAPINFO Dib32Info(int width, int height, DibRows rows) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    // A negative height stores the rows from the top down.
    info.bmiHeader.biHeight = rows == DibRows::kTopDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

HBITMAP CreateDibSection32(int width, int height, DibRows rows, void** bits) {
    BITMAPINFO info = Dib32Info(width, height, rows);
    *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (bitmap && !*bits) {
        DeleteObject(bitmap);
        return nullptr;
    }
    if (!bitmap) {
        *bits = nullptr;
    }
    return bitmap;
}

CWorkBitmap::CWorkBitmap(HDC compatible, int width, int height) : width_(width), height_(height) {
    void* bits = nullptr;
    bitmap_ = CreateDibSection32(width, height, DibRows::kTopDown, &bits);
    pixels_ = static_cast<uint32_t*>(bits);
    dc_ = bitmap_ ? CreateCompatibleDC(compatible) : nullptr;
    if (dc_) {
        old_ = SelectObject(dc_, bitmap_);
    }
}

CWorkBitmap::~CWorkBitmap() {
    EndDrawing();
    if (bitmap_) {
        DeleteObject(bitmap_);
    }
}

void CWorkBitmap::EndDrawing() {
    if (dc_) {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        dc_ = nullptr;
    }
}

void CWorkBitmap::MakeOpaque() {
    GdiFlush();
    const size_t count = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    for (size_t i = 0; i < count; ++i) {
        pixels_[i] |= 0xFF000000u;
    }
}

}  // namespace TavikUI
