// Reads every frame of an animated GIF at once, each composed over the
// previous canvas, so frame k is the whole picture to show at step k.
#pragma once

#include <cstdint>

namespace TavikUI {

// One frame: a full-canvas RGBA block (top row first) with its delay.
struct GifFrameRecord {
    uint8_t* pixels;  // width x height x 4 bytes, owned by the record
    int32_t width;
    int32_t height;
    int32_t delay;  // milliseconds as the file gives them; 0 when it gives none
};
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(GifFrameRecord) == 16, "a frame record is 16 bytes on 32-bit Windows");
#endif

// All frames of the GIF in `bytes`, in order; the count goes to `frameCount`
// and the file's channel count as the decoder reports it to `channels`. Null
// (outputs untouched) for data that is not a GIF, a GIF without a decodable
// first frame, a canvas over the image size cap, `channelsWanted` other than
// 4, or memory running out. A damaged later frame ends the list at the last
// good frame; so do frames beyond the size cap counted over all frames.
// Free the result with FreeGifFrames.
GifFrameRecord* LoadGifFramesFromMemory(const uint8_t* bytes, int length, int* frameCount, int* channels,
                                        int channelsWanted);

// Frees each frame's pixels and the array.
void FreeGifFrames(GifFrameRecord* frames, int frameCount);

// Owns a frame array for the length of a scope.
class CGifFrameList {
public:
    CGifFrameList(GifFrameRecord* frames, int count) : frames_(frames), count_(frames ? count : 0) {}
    CGifFrameList(const CGifFrameList&) = delete;
    CGifFrameList& operator=(const CGifFrameList&) = delete;
    ~CGifFrameList() { FreeGifFrames(frames_, count_); }

    int Count() const { return count_; }
    const GifFrameRecord& At(int index) const { return frames_[index]; }

private:
    GifFrameRecord* frames_;
    int count_;
};

}  // namespace TavikUI
