// The one translation unit that compiles the stb_image library: the frame
// loop below needs the library's GIF decoder state and next-frame call, which
// are visible only here.
#include "GifFrameReader.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "ImageDecoder.h"

#define STB_IMAGE_IMPLEMENTATION
// The program reads images from memory only.
#define STBI_NO_STDIO
#include <stb/stb_image.h>

namespace TavikUI {
namespace {

// Frees the decoder's canvas, background and history blocks on every path.
struct GifDecoderState {
    stbi__gif gif = {};
    ~GifDecoderState() {
        STBI_FREE(gif.out);
        STBI_FREE(gif.history);
        STBI_FREE(gif.background);
    }
};

// Appends a copy of the current canvas; false when memory runs out.
bool AppendFrame(GifFrameRecord*& frames, int& count, const uint8_t* canvas, const stbi__gif& gif) {
    const size_t canvasBytes = static_cast<size_t>(gif.w) * static_cast<size_t>(gif.h) * 4;
    auto* pixels = static_cast<uint8_t*>(malloc(canvasBytes));
    if (!pixels) {
        return false;
    }
    // The array grows by one record at a time.
    auto* grown = static_cast<GifFrameRecord*>(realloc(frames, sizeof(GifFrameRecord) * (count + 1)));
    if (!grown) {
        free(pixels);
        return false;
    }
    frames = grown;
    memcpy(pixels, canvas, canvasBytes);
    frames[count] = GifFrameRecord{pixels, gif.w, gif.h, gif.delay};
    ++count;
    return true;
}

// The frame loop on a context reading from memory: null when the first frame
// fails, else every frame up to the end marker, the first damaged frame or
// the size cap.
GifFrameRecord* DecodeAllGifFrames(stbi__context* context, int* frameCount, int* channels) {
    if (!stbi__gif_test(context)) {
        return nullptr;
    }
    std::unique_ptr<GifDecoderState> state(new (std::nothrow) GifDecoderState());
    if (!state) {
        return nullptr;
    }
    stbi__gif& gif = state->gif;
    GifFrameRecord* frames = nullptr;
    int count = 0;
    int fileChannels = 0;
    for (;;) {
        // Disposal "restore previous" needs the frame before the last one.
        uint8_t* twoBack = count >= 2 ? frames[count - 2].pixels : nullptr;
        uint8_t* canvas = stbi__gif_load_next(context, &gif, &fileChannels, 4, twoBack);
        // The decoder answers the context itself at the end of the stream.
        if (!canvas || canvas == reinterpret_cast<uint8_t*>(context)) {
            break;
        }
        if (!ImageExtentAllowed(gif.w, int64_t(gif.h) * (count + 1))) {
            break;
        }
        if (!AppendFrame(frames, count, canvas, gif)) {
            FreeGifFrames(frames, count);
            return nullptr;
        }
    }
    if (count == 0) {
        free(frames);
        return nullptr;
    }
    *frameCount = count;
    if (channels) {
        *channels = fileChannels;
    }
    return frames;
}

}  // namespace

GifFrameRecord* LoadGifFramesFromMemory(const uint8_t* bytes, int length, int* frameCount, int* channels,
                                        int channelsWanted) {
    if (!bytes || length <= 0 || !frameCount || channelsWanted != 4) {
        return nullptr;
    }
    // The canvas size is checked before the decoder allocates it.
    stbi__context probe;
    stbi__start_mem(&probe, bytes, length);
    int width = 0;
    int height = 0;
    if (!stbi__gif_info_raw(&probe, &width, &height, nullptr) || !ImageExtentAllowed(width, height)) {
        return nullptr;
    }
    stbi__context context;
    stbi__start_mem(&context, bytes, length);
    return DecodeAllGifFrames(&context, frameCount, channels);
}

void FreeGifFrames(GifFrameRecord* frames, int frameCount) {
    if (!frames) {
        return;
    }
    for (int i = 0; i < frameCount; ++i) {
        free(frames[i].pixels);
    }
    free(frames);
}

}  // namespace TavikUI
