// Reading every frame of animated GIFs, and the frame list that plays them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "GifFrameReader.h"
#include "GifHandler.h"
#include "ImageTestSupport.h"

using namespace ImageTests;
using TavikUI::CGifFrameList;
using TavikUI::CGifHandler;
using TavikUI::GifFrameRecord;
using TavikUI::LoadGifFramesFromMemory;

namespace {

const uint32_t kRed = 0xFFFF0000;
const uint32_t kGreen = 0xFF00FF00;
const uint32_t kBlue = 0xFF0000FF;

struct ReadResult {
    GifFrameRecord* frames = nullptr;
    int count = -1;
    int channels = -1;
};

ReadResult ReadFrames(const std::string& bytes) {
    ReadResult result;
    result.frames = LoadGifFramesFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()),
                                            static_cast<int>(bytes.size()), &result.count, &result.channels, 4);
    return result;
}

uint32_t PixelOf(const GifFrameRecord& frame, int x, int y) {
    const uint8_t* p = frame.pixels + (static_cast<size_t>(y) * frame.width + x) * 4;
    return static_cast<uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
}

// The frames a handler holds, in order, walked with NextFrame from the start.
std::vector<ImageRecord*> FramesOf(CGifHandler& handler) {
    std::vector<ImageRecord*> frames;
    for (ImageRecord* frame = handler.NextFrame(); frame; frame = handler.NextFrame()) {
        if (!frames.empty() && frame == frames.front()) {
            break;
        }
        frames.push_back(frame);
    }
    return frames;
}

TEST(GifFrameReading, EveryFrameIsTheWholeCanvasWithItsDelay) {
    const ReadResult read = ReadFrames(GifBytes(2, 1, {{0, 0, 0, 5}, {1, 0, 1, 0}, {0, 0, 2, 12}}));
    const CGifFrameList frames(read.frames, read.count);
    ASSERT_EQ(read.count, 3);
    EXPECT_EQ(read.channels, 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frames.At(i).width, 2);
        EXPECT_EQ(frames.At(i).height, 1);
    }
    // The first frame leaves the rest of the canvas transparent.
    EXPECT_EQ(PixelOf(frames.At(0), 0, 0), kRed);
    EXPECT_EQ(PixelOf(frames.At(0), 1, 0) >> 24, 0u);
    // Later frames are composed over what was there.
    EXPECT_EQ(PixelOf(frames.At(1), 0, 0), kRed);
    EXPECT_EQ(PixelOf(frames.At(1), 1, 0), kGreen);
    EXPECT_EQ(PixelOf(frames.At(2), 0, 0), kBlue);
    EXPECT_EQ(PixelOf(frames.At(2), 1, 0), kGreen);
    EXPECT_EQ(frames.At(0).delay, 50);
    EXPECT_EQ(frames.At(1).delay, 0);
    EXPECT_EQ(frames.At(2).delay, 120);
}

TEST(GifFrameReading, SingleFrameAndFixtureAnimation) {
    const ReadResult single = ReadFrames(GifBytes(1, 1, {{0, 0, 3, 0}}));
    const CGifFrameList singleFrames(single.frames, single.count);
    EXPECT_EQ(single.count, 1);

    const ReadResult anim = ReadFrames(ReadFixture("anim3.gif"));
    const CGifFrameList animFrames(anim.frames, anim.count);
    ASSERT_EQ(anim.count, 3);
    EXPECT_EQ(PixelOf(animFrames.At(0), 3, 2), kRed);
    EXPECT_EQ(PixelOf(animFrames.At(1), 3, 2), kGreen);
    EXPECT_EQ(PixelOf(animFrames.At(2), 0, 0), kBlue);
    EXPECT_EQ(animFrames.At(2).delay, 300);
}

TEST(GifFrameReading, DamagedThirdFrameEndsTheAnimationAfterTwo) {
    std::string gif = GifBytes(2, 2, {{0, 0, 0, 1}, {1, 1, 1, 1}, {0, 1, 2, 1}, {1, 0, 3, 1}});
    // The third image descriptor is moved off the canvas.
    size_t descriptor = 0;
    for (int i = 0; i < 3; ++i) {
        descriptor = gif.find('\x2C', descriptor + 1);
        ASSERT_NE(descriptor, std::string::npos);
    }
    ZipTest::SetLe16(&gif, descriptor + 1, 2);
    const ReadResult read = ReadFrames(gif);
    const CGifFrameList frames(read.frames, read.count);
    EXPECT_EQ(read.count, 2);
    ASSERT_NE(read.frames, nullptr);
    EXPECT_EQ(PixelOf(frames.At(1), 1, 1), kGreen);
}

TEST(GifFrameReading, WhatIsNotAGifGivesNothing) {
    for (const std::string& bytes : {SolidPng(2, 2, kRed), ReadFixture("flat.jpg"), std::string("GIF8"),
                                     std::string("GIF89a"), GifHeader(2, 2), GifHeader(2, 2) + ";", std::string()}) {
        const ReadResult read = ReadFrames(bytes);
        EXPECT_EQ(read.frames, nullptr) << bytes.size();
        // The count is left alone.
        EXPECT_EQ(read.count, -1);
    }
    int count = -1;
    const std::string gif = GifBytes(1, 1, {{0, 0, 1, 0}});
    EXPECT_EQ(LoadGifFramesFromMemory(reinterpret_cast<const uint8_t*>(gif.data()), static_cast<int>(gif.size()),
                                      &count, nullptr, 3),
              nullptr);
}

TEST(GifFrameReading, TruncatedAnimationsKeepWhatWasRead) {
    const std::string gif = ReadFixture("anim3.gif");
    for (size_t keep = 1; keep < gif.size(); ++keep) {
        const ReadResult read = ReadFrames(gif.substr(0, keep));
        const CGifFrameList frames(read.frames, read.count);
        if (read.frames) {
            EXPECT_GE(read.count, 1) << keep;
            EXPECT_LE(read.count, 3) << keep;
            EXPECT_EQ(frames.At(0).width, 6) << keep;
        }
    }
}

TEST(GifFrameReading, CanvasSizeIsCapped) {
    // A header claiming 65535 x 65535 is refused before any canvas exists.
    const ReadResult huge = ReadFrames(GifBytes(0xFFFF, 0xFFFF, {{0, 0, 0, 0}}));
    EXPECT_EQ(huge.frames, nullptr);
    // Frames of a 2048 x 2048 canvas: four fill the cap, the rest are dropped.
    std::vector<GifPixelFrame> pixels;
    for (int i = 0; i < 6; ++i) {
        pixels.push_back({i, 0, i % 4, 1});
    }
    const ReadResult many = ReadFrames(GifBytes(2048, 2048, pixels));
    const CGifFrameList frames(many.frames, many.count);
    EXPECT_EQ(many.count, 4);
}

class GifLoadTest : public SkinSourceTest {};

TEST_F(GifLoadTest, FramesBecomeBitmapsWithDelays) {
    Write(L"anim.gif", ReadFixture("anim3.gif"));
    std::unique_ptr<CGifHandler> handler(CGdiRenderer::LoadGif(L"anim.gif", nullptr, 0));
    ASSERT_TRUE(handler);
    const std::vector<ImageRecord*> frames = FramesOf(*handler);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0]->frameDelay, 100);
    EXPECT_EQ(frames[1]->frameDelay, 100);
    EXPECT_EQ(frames[2]->frameDelay, 300);
    EXPECT_EQ(frames[1]->width, 6);
    EXPECT_FALSE(frames[1]->hasAlpha);
    EXPECT_EQ(RecordPixels(*frames[1])[0], kGreen);
}

TEST_F(GifLoadTest, FramesWithoutDelayGetTwoHundredMilliseconds) {
    UseMemoryArchive({ZipTest::FileItem("skin/nodelay.gif", ReadFixture("nodelay.gif"), true)});
    std::unique_ptr<CGifHandler> handler(CGdiRenderer::LoadGif(L"SKIN/NODELAY.GIF", nullptr, 0));
    ASSERT_TRUE(handler);
    const std::vector<ImageRecord*> frames = FramesOf(*handler);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->frameDelay, 200);
    EXPECT_EQ(frames[1]->frameDelay, 200);
}

TEST_F(GifLoadTest, MaskAppliesToEveryFrame) {
    Write(L"mask.gif", GifBytes(2, 1, {{0, 0, 0, 1}, {1, 0, 0, 1}}));
    std::unique_ptr<CGifHandler> handler(CGdiRenderer::LoadGif(L"mask.gif", nullptr, kRed));
    ASSERT_TRUE(handler);
    const std::vector<ImageRecord*> frames = FramesOf(*handler);
    ASSERT_EQ(frames.size(), 2u);
    for (ImageRecord* frame : frames) {
        EXPECT_TRUE(frame->hasAlpha);
        EXPECT_EQ(frame->maskColor, kRed);
        EXPECT_EQ(RecordPixels(*frame)[0], 0u);
    }
}

TEST_F(GifLoadTest, NothingToPlayGivesNull) {
    Write(L"still.png", SolidPng(2, 2, kRed));
    EXPECT_EQ(CGdiRenderer::LoadGif(L"still.png", nullptr, 0), nullptr);
    EXPECT_EQ(CGdiRenderer::LoadGif(L"absent.gif", nullptr, 0), nullptr);
    Write(L"header.gif", GifHeader(4, 4) + ";");
    EXPECT_EQ(CGdiRenderer::LoadGif(L"header.gif", nullptr, 0), nullptr);
}

TEST(GifHandler, CursorWalksTheFramesInALoop) {
    CGifHandler handler;
    EXPECT_EQ(handler.CurrentFrame(), nullptr);
    EXPECT_EQ(handler.NextFrame(), nullptr);
    handler.AddFrame(nullptr);
    EXPECT_EQ(handler.CurrentFrame(), nullptr);
    ImageRecord* first = new ImageRecord;
    ImageRecord* second = new ImageRecord;
    handler.AddFrame(first);
    handler.AddFrame(second);
    EXPECT_EQ(handler.CurrentFrame(), first);
    EXPECT_EQ(handler.NextFrame(), first);
    EXPECT_EQ(handler.CurrentFrame(), second);
    EXPECT_EQ(handler.NextFrame(), second);
    EXPECT_EQ(handler.NextFrame(), first);
    EXPECT_EQ(handler.CurrentFrame(), second);
}

TEST(GifHandler, DestroyedHandlerReleasesItsFrames) {
    auto* handler = new CGifHandler;
    auto* frame = new ImageRecord;
    frame->bitmap = CreateBitmap(1, 1, 1, 32, nullptr);
    const HBITMAP bitmap = frame->bitmap;
    ASSERT_NE(GetObjectType(bitmap), 0u);
    handler->AddFrame(frame);
    delete handler;
    // The bitmap went with the frame.
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

}  // namespace
