// Image loading (still images and GIF frames into premultiplied 32-bit DIB
// sections) and the nine-grid drawing of images.
#include <algorithm>
#include <cstdint>

#include "GdiRenderer.h"
#include "DibSection.h"
#include "GifFrameReader.h"
#include "GifHandler.h"
#include "ImageBlend.h"
#include "ImageDecoder.h"
#include "ImageSource.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const int32_t kDefaultFrameDelay = 200;

// Far beyond any screen or image, and small enough that the nine-grid sums
// and differences of a few coordinates cannot overflow.
const LONG kCoordinateLimit = 1 << 28;

RECT Clamped(const RECT& r) {
    auto clamp = [](LONG v) { return std::max(-kCoordinateLimit, std::min(kCoordinateLimit, v)); };
    return RECT{clamp(r.left), clamp(r.top), clamp(r.right), clamp(r.bottom)};
}

// Premultiplies RGBA into BGRA, clearing pixels that equal the mask colour
// (compared as 0xAARRGGBB after premultiplying). Answers whether any pixel
// ended up not fully opaque.
bool ConvertPixels(const uint8_t* rgba, uint32_t* bgra, size_t count, uint32_t maskColor) {
    bool hasAlpha = false;
    for (size_t i = 0; i < count; ++i, rgba += 4) {
        const uint32_t alpha = rgba[3];
        uint32_t red = rgba[0];
        uint32_t green = rgba[1];
        uint32_t blue = rgba[2];
        if (alpha != 255) {
            red = red * alpha / 255;
            green = green * alpha / 255;
            blue = blue * alpha / 255;
            hasAlpha = true;
        }
        uint32_t value = alpha << 24 | red << 16 | green << 8 | blue;
        if (maskColor != 0 && value == maskColor) {
            value = 0;
            hasAlpha = true;
        }
        bgra[i] = value;
    }
    return hasAlpha;
}

// A record holding a new DIB section with the converted pixels; null when the
// DIB cannot be created.
ImageRecord* CreateImageRecord(const uint8_t* rgba, int32_t width, int32_t height, uint32_t maskColor) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateDibSection32(width, height, DibRows::kTopDown, &bits);
    if (!bitmap) {
        return nullptr;
    }
    auto* record = new ImageRecord;
    record->bitmap = bitmap;
    record->width = width;
    record->height = height;
    record->hasAlpha = ConvertPixels(rgba, static_cast<uint32_t*>(bits),
                                     static_cast<size_t>(width) * static_cast<size_t>(height), maskColor);
    return record;
}

// Draws the pieces of one nine grid with one source bitmap.
class NineGridPainter {
public:
    NineGridPainter(HDC dc, HDC sourceDC, const RECT& paint, bool blend, BYTE fade)
        : dc_(dc), sourceDC_(sourceDC), paint_(paint), blend_(blend), fade_(fade) {}

    // One piece, whole, when it meets the paint rectangle; the DC clip does
    // the rest.
    void DrawPiece(const RECT& to, const RECT& from) const {
        if (WidthOf(to) <= 0 || HeightOf(to) <= 0 || WidthOf(from) <= 0 || HeightOf(from) <= 0) {
            return;
        }
        RECT visible;
        if (!IntersectRect(&visible, &to, &paint_)) {
            return;
        }
        if (blend_) {
            BlendImagePart(dc_, to, sourceDC_, from, fade_);
        } else if (WidthOf(to) == WidthOf(from) && HeightOf(to) == HeightOf(from)) {
            BitBlt(dc_, to.left, to.top, WidthOf(to), HeightOf(to), sourceDC_, from.left, from.top, SRCCOPY);
        } else {
            StretchBlt(dc_, to.left, to.top, WidthOf(to), HeightOf(to), sourceDC_, from.left, from.top, WidthOf(from),
                       HeightOf(from), SRCCOPY);
        }
    }

    // The centre: stretched, or laid in tiles of the source's extent along
    // the tiled directions, the last tile cut. A source without extent along
    // a tiled direction has nothing to tile.
    void DrawCentre(const RECT& to, const RECT& from, bool xTiled, bool yTiled) const {
        const int tileWidth = xTiled ? WidthOf(from) : WidthOf(to);
        const int tileHeight = yTiled ? HeightOf(from) : HeightOf(to);
        if (tileWidth <= 0 || tileHeight <= 0 || WidthOf(to) <= 0 || HeightOf(to) <= 0) {
            return;
        }
        if (!xTiled && !yTiled) {
            DrawPiece(to, from);
            return;
        }
        RECT visible;
        if (!IntersectRect(&visible, &to, &paint_)) {
            return;
        }
        // Tiles are laid from the destination's top left; only those that
        // meet the paint rectangle are visited.
        const int64_t firstTop = to.top + ((int64_t(visible.top) - to.top) / tileHeight) * tileHeight;
        const int64_t firstLeft = to.left + ((int64_t(visible.left) - to.left) / tileWidth) * tileWidth;
        for (int64_t top = firstTop; top < visible.bottom; top += tileHeight) {
            const int64_t bottom = std::min<int64_t>(top + tileHeight, to.bottom);
            for (int64_t left = firstLeft; left < visible.right; left += tileWidth) {
                const int64_t right = std::min<int64_t>(left + tileWidth, to.right);
                const RECT tile = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                                   static_cast<LONG>(bottom)};
                // Along a tiled direction the source is cut with the tile;
                // along the other it is stretched whole.
                const RECT part = {from.left, from.top,
                                   xTiled ? from.left + static_cast<LONG>(right - left) : from.right,
                                   yTiled ? from.top + static_cast<LONG>(bottom - top) : from.bottom};
                DrawPiece(tile, part);
            }
        }
    }

private:
    HDC dc_;
    HDC sourceDC_;
    RECT paint_;
    bool blend_;
    BYTE fade_;
};

}  // namespace

ImageRecord* CGdiRenderer::DecodeImage(const wchar_t* name, const wchar_t* resourceType, uint32_t maskColor) {
    ImageBytes bytes;
    if (!ReadImageBytes(name, resourceType, bytes)) {
        return nullptr;
    }
    RgbaImage image;
    if (!DecodeRgbaImage(bytes.data.get(), bytes.size, image)) {
        return nullptr;
    }
    return CreateImageRecord(image.pixels.get(), image.width, image.height, maskColor);
}

void CGdiRenderer::ReleaseImage(ImageRecord* record) {
    if (!record) {
        return;
    }
    if (record->bitmap) {
        DeleteObject(record->bitmap);
    }
    delete record;
}

CGifHandler* CGdiRenderer::LoadGif(const wchar_t* name, const wchar_t* resourceType, uint32_t maskColor) {
    ImageBytes bytes;
    if (!ReadImageBytes(name, resourceType, bytes) || bytes.size > static_cast<uint32_t>(INT32_MAX)) {
        return nullptr;
    }
    int count = 0;
    int channels = 0;
    GifFrameRecord* decoded =
        LoadGifFramesFromMemory(bytes.data.get(), static_cast<int>(bytes.size), &count, &channels, 4);
    const CGifFrameList frames(decoded, count);
    if (frames.Count() == 0) {
        return nullptr;
    }
    auto* handler = new CGifHandler;
    bool anyFrame = false;
    for (int i = 0; i < frames.Count(); ++i) {
        const GifFrameRecord& frame = frames.At(i);
        // A frame whose bitmap cannot be made is skipped.
        ImageRecord* record = CreateImageRecord(frame.pixels, frame.width, frame.height, maskColor);
        if (!record) {
            continue;
        }
        record->frameDelay = frame.delay != 0 ? frame.delay : kDefaultFrameDelay;
        record->resourceType.AssignText(resourceType ? resourceType : L"");
        record->maskColor = maskColor;
        handler->AddFrame(record);
        anyFrame = true;
    }
    if (!anyFrame) {
        delete handler;
        return nullptr;
    }
    return handler;
}

bool CGdiRenderer::DrawImage(HDC dc, CWindowManager* manager, const RECT& control, const RECT& paint,
                             const wchar_t* name, const wchar_t* resourceType, const ImageDrawState& state) {
    if (!dc || !manager || !name || !name[0]) {
        return false;
    }
    const bool hasType = resourceType && resourceType[0];
    ImageRecord* image = manager->ImageOrAdd(name, hasType ? resourceType : nullptr, state.maskColor);
    if (!image) {
        return false;
    }
    RECT source = state.source;
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0) {
        source = RECT{0, 0, image->width, image->height};
    }
    source.right = std::min<LONG>(source.right, image->width);
    source.bottom = std::min<LONG>(source.bottom, image->height);
    RECT meets;
    if (IntersectRect(&meets, &state.destination, &control) && IntersectRect(&meets, &state.destination, &paint)) {
        DrawImageRect(dc, image->bitmap, state.destination, paint, source, state.corners, image->hasAlpha, state.fade,
                      state.hole, state.xTiled, state.yTiled);
    }
    return true;
}

void CGdiRenderer::DrawImageRect(HDC dc, HBITMAP bitmap, const RECT& destination, const RECT& paint, const RECT& source,
                                 const RECT& corners, bool hasAlpha, BYTE fade, bool hole, bool xTiled, bool yTiled) {
    if (!dc || !bitmap) {
        return;
    }
    HDC sourceDC = CreateCompatibleDC(dc);
    if (!sourceDC) {
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(sourceDC, bitmap);
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin = {0, 0};
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);

    const NineGridPainter painter(dc, sourceDC, paint, hasAlpha || fade != 255, fade);
    const RECT d = Clamped(destination);
    const RECT s = Clamped(source);
    const RECT c = Clamped(corners);
    if (!hole) {
        const RECT centre = {d.left + c.left, d.top + c.top, d.right - c.right, d.bottom - c.bottom};
        const RECT centreSource = {s.left + c.left, s.top + c.top, s.right - c.right, s.bottom - c.bottom};
        painter.DrawCentre(centre, centreSource, xTiled, yTiled);
    }
    if (c.left > 0 && c.top > 0) {
        painter.DrawPiece({d.left, d.top, d.left + c.left, d.top + c.top},
                          {s.left, s.top, s.left + c.left, s.top + c.top});
    }
    if (c.top > 0) {
        painter.DrawPiece({d.left + c.left, d.top, d.right - c.right, d.top + c.top},
                          {s.left + c.left, s.top, s.right - c.right, s.top + c.top});
    }
    if (c.right > 0 && c.top > 0) {
        painter.DrawPiece({d.right - c.right, d.top, d.right, d.top + c.top},
                          {s.right - c.right, s.top, s.right, s.top + c.top});
    }
    if (c.left > 0) {
        painter.DrawPiece({d.left, d.top + c.top, d.left + c.left, d.bottom - c.bottom},
                          {s.left, s.top + c.top, s.left + c.left, s.bottom - c.bottom});
    }
    if (c.right > 0) {
        painter.DrawPiece({d.right - c.right, d.top + c.top, d.right, d.bottom - c.bottom},
                          {s.right - c.right, s.top + c.top, s.right, s.bottom - c.bottom});
    }
    if (c.left > 0 && c.bottom > 0) {
        painter.DrawPiece({d.left, d.bottom - c.bottom, d.left + c.left, d.bottom},
                          {s.left, s.bottom - c.bottom, s.left + c.left, s.bottom});
    }
    if (c.bottom > 0) {
        painter.DrawPiece({d.left + c.left, d.bottom - c.bottom, d.right - c.right, d.bottom},
                          {s.left + c.left, s.bottom - c.bottom, s.right - c.right, s.bottom});
    }
    if (c.right > 0 && c.bottom > 0) {
        painter.DrawPiece({d.right - c.right, d.bottom - c.bottom, d.right, d.bottom},
                          {s.right - c.right, s.bottom - c.bottom, s.right, s.bottom});
    }

    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    if (oldMode != 0) {
        SetStretchBltMode(dc, oldMode);
    }
    SelectObject(sourceDC, oldBitmap);
    DeleteDC(sourceDC);
}

}  // namespace TavikUI
