#include "ShadowShape.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DibSection.h"

namespace TavikUI {
namespace {

// An empty row: its left lies past every right and its right before every
// left, so neighbours treat it as covering nothing. Far from the int limits
// so that the +1/-1 steps of erosion and stamping cannot overflow.
constexpr int kNoLeft = 1 << 28;
constexpr int kNoRight = -(1 << 28);
constexpr RowSpan kEmptyRow = {kNoLeft, kNoRight};

RowSpan Normalised(RowSpan span) { return span.IsEmpty() ? kEmptyRow : span; }

// Shadow rows y = 0..height-1 at indices y + 1, with one empty row at each
// end so every row has two neighbours.
class ShadowRows {
public:
    explicit ShadowRows(int height) : rows_(static_cast<size_t>(height) + 2, kEmptyRow) {}

    RowSpan& Row(int y) { return rows_[static_cast<size_t>(y) + 1]; }
    const RowSpan& Row(int y) const { return rows_[static_cast<size_t>(y) + 1]; }
    int Height() const { return static_cast<int>(rows_.size()) - 2; }

    // Each row keeps what it shares with both neighbours, one pixel in from
    // their edges: one pass shrinks the shape by a pixel on every side.
    void Erode() {
        const std::vector<RowSpan> before = rows_;
        for (size_t i = 1; i + 1 < rows_.size(); ++i) {
            const int left = 1 + std::max({before[i - 1].left, before[i].left, before[i + 1].left});
            const int right = std::min({before[i - 1].right, before[i].right, before[i + 1].right}) - 1;
            rows_[i] = Normalised({left, right});
        }
    }

private:
    std::vector<RowSpan> rows_;
};

// The (2r+1) x (2r+1) soft disc stamped along the shadow's edge.
class ShadowKernel {
public:
    ShadowKernel(int radius, int innerRadius, const ShadowParameters& parameters)
        : radius_(radius), side_(2 * radius + 1), values_(static_cast<size_t>(side_) * side_, 0) {
        const uint32_t full = PremultipliedPixel(parameters.color, parameters.darkness);
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                const double distance = std::sqrt(static_cast<double>(dx * dx + dy * dy));
                uint32_t value = 0;
                if (distance < innerRadius) {
                    value = full;
                } else if (distance <= radius) {
                    const double falloff = 1.0 - (distance - innerRadius) / (parameters.sharpness + 1.0);
                    const int alpha = static_cast<int>(falloff * parameters.darkness);
                    value = PremultipliedPixel(parameters.color, static_cast<uint8_t>(std::clamp(alpha, 0, 255)));
                }
                values_[static_cast<size_t>(dy + radius) * side_ + (dx + radius)] = value;
            }
        }
    }

    // Keeps, per pixel, the larger of the image and the kernel centred on
    // (x, y); parts outside the image are left out.
    void StampAt(ShadowImage& image, int x, int y) const {
        for (int dy = -radius_; dy <= radius_; ++dy) {
            const int row = y + dy;
            if (row < 0 || row >= image.height) {
                continue;
            }
            for (int dx = -radius_; dx <= radius_; ++dx) {
                const int column = x + dx;
                if (column < 0 || column >= image.width) {
                    continue;
                }
                uint32_t& pixel = image.pixels[static_cast<size_t>(row) * image.width + column];
                pixel = std::max(pixel, values_[static_cast<size_t>(dy + radius_) * side_ + (dx + radius_)]);
            }
        }
    }

private:
    int radius_;
    int side_;
    std::vector<uint32_t> values_;
};

// Sets [from, to) of the image row, clipped to the image.
void FillRow(ShadowImage& image, int y, int from, int to, uint32_t value) {
    from = std::max(from, 0);
    to = std::min(to, image.width);
    if (y < 0 || y >= image.height || from >= to) {
        return;
    }
    uint32_t* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
    std::fill(row + from, row + to, value);
}

void DeepenToDarkness(ShadowImage& image, const ShadowParameters& parameters) {
    uint32_t darkest = 0;
    for (uint32_t pixel : image.pixels) {
        darkest = std::max(darkest, pixel >> 24);
    }
    if (darkest == 0 || darkest >= parameters.darkness) {
        return;
    }
    for (uint32_t& pixel : image.pixels) {
        const uint32_t alpha = (pixel >> 24) * parameters.darkness / darkest;
        pixel = PremultipliedPixel(parameters.color, static_cast<uint8_t>(alpha));
    }
}

}  // namespace

uint32_t PremultipliedPixel(COLORREF color, uint8_t alpha) {
    const uint32_t red = GetRValue(color) * alpha / 255u;
    const uint32_t green = GetGValue(color) * alpha / 255u;
    const uint32_t blue = GetBValue(color) * alpha / 255u;
    return (static_cast<uint32_t>(alpha) << 24) | (red << 16) | (green << 8) | blue;
}

std::vector<RowSpan> RegionRowSpans(HRGN region, int width, int height) {
    std::vector<RowSpan> spans(static_cast<size_t>(std::max(height, 0)), kEmptyRow);
    if (!region) {
        return spans;
    }
    for (int y = 0; y < height; ++y) {
        int first = 0;
        while (first < width && !PtInRegion(region, first, y)) {
            ++first;
        }
        if (first == width) {
            continue;
        }
        int last = width - 1;
        while (last > first && !PtInRegion(region, last, y)) {
            --last;
        }
        spans[y] = {first, last + 1};
    }
    return spans;
}

ShadowImage ComputeShadowImage(const std::vector<RowSpan>& windowSpans, int width, int height,
                               const ShadowParameters& parameters) {
    ShadowImage image;
    const int size = parameters.size;
    const int sharpness = parameters.sharpness;
    image.width = width + 2 * size;
    image.height = height + 2 * size;
    if (image.width <= 0 || image.height <= 0 || width <= 0 || height <= 0) {
        image.width = image.height = 0;
        return image;
    }
    image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
    const int rowsKnown = std::min(height, static_cast<int>(windowSpans.size()));
    auto windowSpan = [&](int windowRow) {
        return windowRow >= 0 && windowRow < rowsKnown ? Normalised(windowSpans[windowRow]) : kEmptyRow;
    };

    // 1. The window's shape, moved right and down by size.
    ShadowRows shadow(image.height);
    for (int y = 0; y < image.height; ++y) {
        const RowSpan span = windowSpan(y - size);
        shadow.Row(y) = span.IsEmpty() ? kEmptyRow : RowSpan{span.left + size, span.right + size};
    }

    // 2. A soft edge wider than the spread eats into the shape first.
    for (int pass = 0; pass < sharpness - size; ++pass) {
        shadow.Erode();
    }

    // 3. The kernel.
    const int radius = std::max(sharpness, size);
    const int inner = size > sharpness ? size - sharpness : 0;
    const ShadowKernel kernel(radius, inner, parameters);

    // 4. Stamps along the edge: in each row, only the pixels that the rows
    // above and below do not both cover.
    for (int y = radius; y <= image.height - radius - 1; ++y) {
        const RowSpan span = shadow.Row(y);
        if (span.IsEmpty()) {
            continue;
        }
        const RowSpan& above = shadow.Row(y - 1);
        const RowSpan& below = shadow.Row(y + 1);
        int x = span.left;
        const int leftEnd = std::min(std::max(above.left, below.left) + 1, span.right);
        for (; x < leftEnd; ++x) {
            kernel.StampAt(image, x, y);
        }
        for (x = std::max(x, std::min(above.right, below.right) - 1); x < span.right; ++x) {
            kernel.StampAt(image, x, y);
        }
    }

    // 5. The inside is solid, except where the window itself lies.
    const uint32_t full = PremultipliedPixel(parameters.color, parameters.darkness);
    const int firstRow = std::min(std::max(size - parameters.offsetY, 0), radius);
    const int endRow = std::max(image.height - radius, std::min(height + size - parameters.offsetY, image.height));
    for (int y = firstRow; y < endRow; ++y) {
        const RowSpan span = shadow.Row(y);
        const RowSpan under = windowSpan(y - size + parameters.offsetY);
        if (under.IsEmpty()) {
            if (!span.IsEmpty()) {
                FillRow(image, y, span.left, span.right, full);
            }
            continue;
        }
        const int holeLeft = std::max(under.left + size - parameters.offsetX, 0);
        const int holeRight = std::min(under.right + size - parameters.offsetX, image.width);
        FillRow(image, y, holeLeft, holeRight, 0);
        if (!span.IsEmpty()) {
            FillRow(image, y, span.left, std::min(span.right, holeLeft), full);
            FillRow(image, y, std::max(span.left, holeRight), span.right, full);
        }
    }

    // 6. The darkest pixel left showing has the darkness: where the window
    // hides the full part (a spread shadow without offset), the soft edge is
    // deepened in proportion.
    DeepenToDarkness(image, parameters);
    return image;
}

HBITMAP CreateShadowBitmap(const ShadowImage& image) {
    if (image.width <= 0 || image.height <= 0) {
        return nullptr;
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDibSection32(image.width, image.height, DibRows::kBottomUp, &bits);
    if (!bitmap) {
        return nullptr;
    }
    auto* target = static_cast<uint32_t*>(bits);
    const size_t rowBytes = static_cast<size_t>(image.width) * sizeof(uint32_t);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(target + static_cast<size_t>(image.height - 1 - y) * image.width,
                    image.pixels.data() + static_cast<size_t>(y) * image.width, rowBytes);
    }
    GdiFlush();
    return bitmap;
}

}  // namespace TavikUI
