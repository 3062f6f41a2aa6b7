#include "ButtonGifUI.h"

#include <cwchar>

#include "GdiRenderer.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const BYTE kNoFade = 255;

}  // namespace

CButtonGifUI::CButtonGifUI() : advance_(false), currentDelay_(0) {}

CButtonGifUI::~CButtonGifUI() { StopAnimation(); }

const wchar_t* CButtonGifUI::ClassName() const { return L"ButtonGifUI"; }

void* CButtonGifUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ButtonGif") == 0) {
        return this;
    }
    return CControlUI::InterfaceByName(name);
}

void CButtonGifUI::StopAnimation() {
    if (manager_) {
        manager_->KillControlTimer(this, kFrameTimerId);
    }
    currentDelay_ = 0;
}

void CButtonGifUI::ShowOrHide(bool show) {
    if (!show) {
        StopAnimation();
    }
    CButtonUI::ShowOrHide(show);
}

void CButtonGifUI::HandleEvent(UIEvent& event) {
    if (event.type == kEventTimer && event.wParam == kFrameTimerId) {
        advance_ = true;
        InvalidateVisibleRect();
        return;
    }
    CButtonUI::HandleEvent(event);
}

void CButtonGifUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"NormalGifFile") == 0) {
        SetGifFile(value);
        return;
    }
    CButtonUI::ApplyAttribute(name, value);
}

void CButtonGifUI::SetGifFile(const wchar_t* name) {
    if (!name) {
        return;
    }
    if (frames_) {
        StopAnimation();
        frames_.reset();
    }
    frames_.reset(CGdiRenderer::LoadGif(name, nullptr, 0));
    InvalidateVisibleRect();
}

void CButtonGifUI::PaintStateImages(HDC dc) {
    if (!frames_) {
        CButtonUI::PaintStateImages(dc);
        return;
    }
    ImageRecord* frame = nullptr;
    if (advance_) {
        advance_ = false;
        frame = frames_->NextFrame();
    } else {
        frame = frames_->CurrentFrame();
    }
    if (!frame) {
        return;
    }
    const RECT source = {0, 0, frame->width, frame->height};
    const RECT noCorners = {0, 0, 0, 0};
    CGdiRenderer::DrawImageRect(dc, frame->bitmap, rect_, paintRect_, source, noCorners, frame->hasAlpha, kNoFade,
                                false, false, false);
    if (frame->frameDelay == currentDelay_ || !manager_) {
        return;
    }
    manager_->KillControlTimer(this, kFrameTimerId);
    // A timer the system refused keeps the old delay, so the next paint tries
    // again instead of leaving the animation stopped for good.
    if (manager_->SetControlTimer(this, kFrameTimerId, static_cast<UINT>(frame->frameDelay))) {
        currentDelay_ = frame->frameDelay;
    } else {
        currentDelay_ = 0;
    }
}

}  // namespace TavikUI
