#include "GifHandler.h"

#include "GdiRenderer.h"

namespace TavikUI {

CGifHandler::~CGifHandler() {
    closing_ = true;
    for (int i = 0; i < frames_.Count(); ++i) {
        CGdiRenderer::ReleaseImage(static_cast<ImageRecord*>(frames_.AtUnchecked(i)));
    }
    frames_.Clear();
}

void CGifHandler::AddFrame(ImageRecord* frame) {
    if (frame && !frames_.Append(frame)) {
        // The list cannot grow: the frame is dropped rather than leaked.
        CGdiRenderer::ReleaseImage(frame);
    }
}

ImageRecord* CGifHandler::NextFrame() {
    ImageRecord* frame = CurrentFrame();
    if (frame) {
        cursor_ = cursor_ + 1 < frames_.Count() ? cursor_ + 1 : 0;
    }
    return frame;
}

ImageRecord* CGifHandler::CurrentFrame() const {
    return closing_ ? nullptr : static_cast<ImageRecord*>(frames_.At(cursor_));
}

}  // namespace TavikUI
