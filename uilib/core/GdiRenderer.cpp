#include "GdiRenderer.h"

namespace TavikUI {

// Image decoding is not built yet: every load answers failure, so the image
// cache stays empty and callers take their no-image path.
ImageRecord* CGdiRenderer::DecodeImage(const wchar_t* /*name*/, const wchar_t* /*resourceType*/,
                                       uint32_t /*maskColor*/) {
    return nullptr;
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

}  // namespace TavikUI
