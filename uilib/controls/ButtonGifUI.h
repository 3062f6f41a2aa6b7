// A button that plays an animated GIF in its rectangle, each frame for its
// own delay, on control timer 15.
#pragma once

#include <windows.h>

#include <memory>

#include "ButtonUI.h"
#include "GifHandler.h"

namespace TavikUI {

class CButtonGifUI : public CButtonUI {
public:
    // The control timer that moves the animation on.
    static constexpr UINT kFrameTimerId = 15;

    CButtonGifUI();
    // Stops the frame timer; the frames go with the handler.
    ~CButtonGifUI() override;

    const wchar_t* ClassName() const override;
    // "ButtonGif" answers the GIF button; anything else goes to the control
    // query (it answers neither "Button" nor "Label").
    void* InterfaceByName(const wchar_t* name) override;
    // Hiding stops the animation; it starts again at the next paint.
    void ShowOrHide(bool show = true) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // Without frames the button's images; else the frame due.
    void PaintStateImages(HDC dc) override;

    // Replaces the animation with the frames of that GIF (null is ignored).
    // A file that cannot be loaded leaves the button without frames.
    void SetGifFile(const wchar_t* name);
    bool HasFrames() const { return frames_ != nullptr; }
    // The delay the frame timer runs with; 0 while it does not run.
    int CurrentDelay() const { return currentDelay_; }

private:
    void StopAnimation();

    bool advance_;
    std::unique_ptr<CGifHandler> frames_;
    int currentDelay_;
};

}  // namespace TavikUI
