// The decoded frames of an animated GIF, played one after the other.
#pragma once

#include "PointerArray.h"

namespace TavikUI {

struct ImageRecord;

// Owns its frames (ImageRecord, each with its bitmap and delay) and a cursor
// that walks them in a loop.
class CGifHandler {
public:
    CGifHandler() = default;
    CGifHandler(const CGifHandler&) = delete;
    CGifHandler& operator=(const CGifHandler&) = delete;
    // Releases every frame.
    virtual ~CGifHandler();

    // Takes ownership; null is ignored.
    void AddFrame(ImageRecord* frame);
    // The frame at the cursor; the cursor then moves on, back to the first
    // frame after the last. Null without frames or while being destroyed.
    ImageRecord* NextFrame();
    // The frame at the cursor; null without frames or while being destroyed.
    ImageRecord* CurrentFrame() const;

private:
    CPointerArray frames_;
    int cursor_ = 0;
    bool closing_ = false;
};

}  // namespace TavikUI
