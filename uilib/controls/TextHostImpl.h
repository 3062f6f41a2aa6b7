// The host a CRichEditUI gives the rich-edit text services of "msftedit.dll":
// everything window-related the engine asks for (device context, caret,
// timers, capture, scroll bars, formats and property bits) answered from the
// control and its manager. Reference counted; the last Release deletes it.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <imm.h>
#include <richedit.h>
#include <textserv.h>

#include <cstdint>

#include "UIRect.h"

namespace TavikUI {

class CRichEditUI;

class CTextHostImpl : public ITextHost {
public:
    // Host bits.
    static constexpr uint32_t kAutoWordSelect = 0x01;
    static constexpr uint32_t kWordWrap = 0x02;
    static constexpr uint32_t kAllowBeep = 0x04;
    static constexpr uint32_t kRichText = 0x08;
    static constexpr uint32_t kSaveSelection = 0x10;
    static constexpr uint32_t kInPlaceActive = 0x20;
    static constexpr uint32_t kTransparent = 0x40;
    static constexpr uint32_t kTimerRunning = 0x80;
    static constexpr uint32_t kMouseCaptured = 0x100;

    CTextHostImpl();
    CTextHostImpl(const CTextHostImpl&) = delete;
    CTextHostImpl& operator=(const CTextHostImpl&) = delete;

    // Takes the control's formats, style and limit, and creates the text
    // services with the text; false when the library, its function, the
    // interface or the text cannot be had.
    bool Init(CRichEditUI* control, DWORD style, const wchar_t* text);
    // Releases the text services (which may hold the host): done before the
    // control lets the host go.
    void ReleaseServices();
    ITextServices* Services() const { return services_; }

    void SetFont(HFONT font);
    void SetColor(DWORD argb);
    void SetRichText(bool rich);
    void SetTransparent(bool transparent);
    void SetClientRect(const RECT& rect);
    const CUIRect& ClientRect() const { return clientRect_; }
    // In-place activation in the rectangle (the client rectangle for null).
    void Activate(const RECT* rect);
    bool IsCaptured() const { return (bits_ & kMouseCaptured) != 0; }
    // The engine sets the cursor when the point lies in the rectangle (the
    // client rectangle for null); false otherwise.
    bool DoSetCursor(const RECT* rect, POINT point);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC dc) override;
    WINBOOL TxShowScrollBar(INT bar, WINBOOL show) override;
    WINBOOL TxEnableScrollBar(INT bar, INT arrows) override;
    WINBOOL TxSetScrollRange(INT bar, LONG minimum, INT maximum, WINBOOL redraw) override;
    WINBOOL TxSetScrollPos(INT bar, INT position, WINBOOL redraw) override;
    void TxInvalidateRect(LPCRECT rect, WINBOOL mode) override;
    void TxViewChange(WINBOOL update) override;
    WINBOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
    WINBOOL TxShowCaret(WINBOOL show) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT id, UINT timeout) override;
    void TxKillTimer(UINT id) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN update, LPRECT updateRect,
                          UINT flags) override;
    void TxSetCapture(WINBOOL capture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR cursor, WINBOOL text) override;
    WINBOOL TxScreenToClient(LPPOINT point) override;
    WINBOOL TxClientToScreen(LPPOINT point) override;
    HRESULT TxActivate(LONG* oldState) override;
    HRESULT TxDeactivate(LONG newState) override;
    HRESULT TxGetClientRect(LPRECT rect) override;
    HRESULT TxGetViewInset(LPRECT rect) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
    COLORREF TxGetSysColor(int index) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
    HRESULT TxGetMaxLength(DWORD* length) override;
    HRESULT TxGetScrollBars(DWORD* scrollBars) override;
    HRESULT TxGetPasswordChar(TCHAR* character) override;
    HRESULT TxGetAcceleratorPos(LONG* position) override;
    HRESULT TxGetExtent(LPSIZEL extent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
    HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
    HRESULT TxNotify(DWORD code, void* data) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC context) override;
    HRESULT TxGetSelectionBarWidth(LONG* width) override;

private:
    virtual ~CTextHostImpl();

    // Height, charset, pitch, face and the bold, italic and underline effects
    // of the font into the character format.
    void TakeFontIntoFormat(HFONT font);
    void SignalCharFormatChange();
    HWND Window() const;
    int PixelsPerInch(int axis) const;

    CRichEditUI* control_;
    LONG references_;
    ITextServices* services_;
    DWORD style_;
    uint32_t bits_;
    LONG selectionBarWidth_;
    LONG maxLength_;
    CUIRect clientRect_;
    SIZEL extent_;
    CHARFORMAT2W charFormat_;
    PARAFORMAT2 paraFormat_;
    LONG acceleratorPos_;
    wchar_t passwordChar_;
};

}  // namespace TavikUI
