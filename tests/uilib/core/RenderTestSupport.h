// Helpers of the render tests: a 32-bit bitmap whose pixels (alpha included)
// can be set and read, searches for painted pixels, and text extents in a
// manager's fonts.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DibSection.h"
#include "WindowManager.h"

namespace RenderTests {

// 0x00RRGGBB parts of a pixel.
inline int Red(DWORD pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }
inline int Green(DWORD pixel) { return static_cast<int>((pixel >> 8) & 0xFF); }
inline int Blue(DWORD pixel) { return static_cast<int>(pixel & 0xFF); }
inline int Alpha(DWORD pixel) { return static_cast<int>(pixel >> 24); }

// A 32-bit top-down DIB section in a memory DC, filled with one raw value.
class RenderCanvas {
public:
    RenderCanvas(int width, int height, DWORD fill = 0x00FFFFFF) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = TavikUI::CreateDibSection32(width, height, TavikUI::DibRows::kTopDown, &bits);
        pixels_ = static_cast<DWORD*>(bits);
        old_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~RenderCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    RenderCanvas(const RenderCanvas&) = delete;
    RenderCanvas& operator=(const RenderCanvas&) = delete;

    void Fill(DWORD value) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) {
            pixels_[i] = value;
        }
    }
    HDC DC() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The raw pixel, alpha byte included.
    DWORD Raw(int x, int y) const {
        GdiFlush();
        return pixels_[y * width_ + x];
    }
    // 0x00RRGGBB.
    DWORD At(int x, int y) const { return Raw(x, y) & 0x00FFFFFF; }

    // The smallest rectangle holding every pixel of `area` that matches; empty
    // (all zeros) when none does.
    RECT BoxOf(const RECT& area, const std::function<bool(DWORD)>& matches) const {
        RECT box = {0, 0, 0, 0};
        bool found = false;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (!matches(At(x, y))) {
                    continue;
                }
                if (!found) {
                    box = {x, y, x + 1, y + 1};
                    found = true;
                } else {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
            }
        }
        return box;
    }
    int Count(const RECT& area, const std::function<bool(DWORD)>& matches) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += matches(At(x, y)) ? 1 : 0;
            }
        }
        return count;
    }
    RECT Whole() const { return {0, 0, width_, height_}; }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* pixels_ = nullptr;
};

// Painted over a white background: any pixel that is not white.
inline bool IsInk(DWORD pixel) { return (pixel & 0x00FFFFFF) != 0x00FFFFFF; }
// Clearly dark (the body of black text, not its light edges).
inline bool IsDark(DWORD pixel) { return Red(pixel) < 110 && Green(pixel) < 110 && Blue(pixel) < 110; }
inline bool IsReddish(DWORD pixel) { return Red(pixel) > 150 && Green(pixel) < 110 && Blue(pixel) < 110; }
inline bool IsBluish(DWORD pixel) { return Blue(pixel) > 150 && Red(pixel) < 110 && Green(pixel) < 110; }

inline SIZE TextExtent(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size;
}

inline int LineHeightOf(const TavikUI::FontRecord& record) {
    return static_cast<int>(record.metrics.tmHeight + record.metrics.tmExternalLeading);
}

// The face every render test draws in (mapped to the installed WenQuanYi
// font in the test prefix).
inline const wchar_t* TestFace() { return L"微软雅黑"; }

// Writes a 24-bit bitmap file whose columns take the colours of `columns`
// (0x00RRGGBB, one per column), in the temporary folder; answers its path,
// or "" when it cannot be written.
inline std::wstring WriteBitmapFile(const wchar_t* name, const std::vector<DWORD>& columns, int height) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    const int width = static_cast<int>(columns.size());
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    std::vector<BYTE> row(static_cast<size_t>(stride), 0);
    for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<BYTE>(columns[x]);
        row[x * 3 + 1] = static_cast<BYTE>(columns[x] >> 8);
        row[x * 3 + 2] = static_cast<BYTE>(columns[x] >> 16);
    }
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return L"";
    }
    DWORD written = 0;
    WriteFile(handle, &file, sizeof(file), &written, nullptr);
    WriteFile(handle, &info, sizeof(info), &written, nullptr);
    for (int y = 0; y < height; ++y) {
        WriteFile(handle, row.data(), static_cast<DWORD>(row.size()), &written, nullptr);
    }
    CloseHandle(handle);
    return path;
}

}  // namespace RenderTests
