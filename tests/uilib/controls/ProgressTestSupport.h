// Helpers of the progress tests: the builder callback a skinned window gives
// for the ring progress tag, a builder call that owns its result, and the
// pictures the bars and the ring draw.
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AnnulusProgressUI.h"
#include "ControlUI.h"
#include "SkinBuilder.h"

namespace ProgressTests {

// Makes the ring progress for "AnnulusProgress", as a skinned window's
// callback does; nothing else.
class RingCallback : public TavikUI::IDialogBuilderCallback {
public:
    TavikUI::CControlUI* CreateControlForTag(const wchar_t* tag) override {
        if (wcscmp(tag, L"AnnulusProgress") == 0) {
            return new TavikUI::CAnnulusProgressUI();
        }
        return nullptr;
    }
};

// Builds a skin text without a window; the result is owned by the caller.
inline std::unique_ptr<TavikUI::CControlUI> BuildSkin(const wchar_t* skin) {
    RingCallback callback;
    TavikUI::CSkinBuilder builder;
    return std::unique_ptr<TavikUI::CControlUI>(builder.Create(skin, nullptr, &callback, nullptr, nullptr));
}

template <class Control>
Control* As(TavikUI::CControlUI* control, const wchar_t* interfaceName) {
    return control ? static_cast<Control*>(control->InterfaceByName(interfaceName)) : nullptr;
}

// 0xAARRGGBB pixels, top row first, of a picture whose left `split` columns
// are `left` and the others `right`.
inline std::vector<uint32_t> SplitColumns(int width, int height, int split, uint32_t left, uint32_t right) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<size_t>(y) * width + x] = x < split ? left : right;
        }
    }
    return pixels;
}

// The same with the top `split` rows `top` and the others `bottom`.
inline std::vector<uint32_t> SplitRows(int width, int height, int split, uint32_t top, uint32_t bottom) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<size_t>(y) * width + x] = y < split ? top : bottom;
        }
    }
    return pixels;
}

// A square picture of `size` pixels holding an opaque ring between the two
// radii around its centre; transparent elsewhere.
inline std::vector<uint32_t> RingPixels(int size, double inner, double outer, uint32_t color) {
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size, 0);
    const double centre = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double distance = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            if (distance >= inner && distance <= outer) {
                pixels[static_cast<size_t>(y) * size + x] = color;
            }
        }
    }
    return pixels;
}

}  // namespace ProgressTests
