#include "TextHostImpl.h"

#include <cwchar>

#include "ColorChannels.h"
#include "RichEditUI.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

// The interface ids the import libraries here lack.
const IID kTextServicesId = {0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
const IID kTextHostId = {0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

const LONG kDefaultMaxLength = 0x7FFF;
const DWORD kCharFormatMask =
    CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_OFFSET | CFM_CHARSET;
const DWORD kParaFormatMask = 0x8001003F;
const LONG kTabStop = 720;
const int kTwipsPerInch = 1440;
const int kHimetricPerInch = 2540;
const int kBoldWeight = 700;
const DWORD kScrollBarStyles = WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL;
}  // namespace

CTextHostImpl::CTextHostImpl()
    : control_(nullptr),
      references_(0),
      services_(nullptr),
      style_(0),
      bits_(0),
      selectionBarWidth_(0),
      maxLength_(kDefaultMaxLength),
      clientRect_(),
      extent_(),
      charFormat_(),
      paraFormat_(),
      acceleratorPos_(-1),
      // The edit's masking character: with none the engine would show a
      // password field's text.
      passwordChar_(L'*') {}

CTextHostImpl::~CTextHostImpl() { ReleaseServices(); }

void CTextHostImpl::ReleaseServices() {
    if (ITextServices* services = services_) {
        services_ = nullptr;
        services->Release();
    }
}

HWND CTextHostImpl::Window() const {
    CWindowManager* manager = control_ ? control_->Manager() : nullptr;
    return manager ? manager->Window() : nullptr;
}

int CTextHostImpl::PixelsPerInch(int axis) const {
    CWindowManager* manager = control_ ? control_->Manager() : nullptr;
    const HDC dc = manager ? manager->PaintDC() : nullptr;
    const int pixels = dc ? GetDeviceCaps(dc, axis) : 0;
    return pixels > 0 ? pixels : USER_DEFAULT_SCREEN_DPI;
}

void CTextHostImpl::TakeFontIntoFormat(HFONT font) {
    LOGFONTW logFont = {};
    if (!font || GetObjectW(font, sizeof(logFont), &logFont) == 0) {
        return;
    }
    charFormat_.yHeight = logFont.lfHeight * -kTwipsPerInch / PixelsPerInch(LOGPIXELSY);
    if (logFont.lfWeight >= kBoldWeight) {
        charFormat_.dwEffects |= CFE_BOLD;
    }
    if (logFont.lfItalic) {
        charFormat_.dwEffects |= CFE_ITALIC;
    }
    if (logFont.lfUnderline) {
        charFormat_.dwEffects |= CFE_UNDERLINE;
    }
    charFormat_.bCharSet = logFont.lfCharSet;
    charFormat_.bPitchAndFamily = logFont.lfPitchAndFamily;
    wcsncpy(charFormat_.szFaceName, logFont.lfFaceName, LF_FACESIZE - 1);
    charFormat_.szFaceName[LF_FACESIZE - 1] = 0;
}

bool CTextHostImpl::Init(CRichEditUI* control, DWORD style, const wchar_t* text) {
    control_ = control;
    references_ = 1;
    CWindowManager* manager = control->Manager();

    charFormat_ = CHARFORMAT2W();
    charFormat_.cbSize = sizeof(CHARFORMAT2W);
    charFormat_.dwMask = kCharFormatMask;
    charFormat_.crTextColor = ToColorRef(control->TextColor());
    TakeFontIntoFormat(manager ? manager->FontAt(control->FontIndex()) : nullptr);

    paraFormat_ = PARAFORMAT2();
    paraFormat_.cbSize = sizeof(PARAFORMAT2);
    paraFormat_.dwMask = kParaFormatMask;
    paraFormat_.wAlignment = PFA_LEFT;
    paraFormat_.cTabCount = 1;
    paraFormat_.rgxTabs[0] = kTabStop;

    style_ = style;
    if (control->IsRich()) {
        bits_ |= kRichText;
    }
    maxLength_ = control->Limit();
    if (!(style_ & (WS_HSCROLL | ES_AUTOHSCROLL))) {
        bits_ |= kWordWrap;
    }
    if (style_ & ES_CENTER) {
        paraFormat_.wAlignment = PFA_CENTER;
    } else if (style_ & ES_RIGHT) {
        paraFormat_.wAlignment = PFA_RIGHT;
    }
    bits_ |= kInPlaceActive;

    const HMODULE library = LoadLibraryW(L"msftedit.dll");
    if (!library) {
        return false;
    }
    auto create =
        reinterpret_cast<PCreateTextServices>(reinterpret_cast<void*>(GetProcAddress(library, "CreateTextServices")));
    if (!create) {
        return false;
    }
    IUnknown* unknown = nullptr;
    if (FAILED(create(nullptr, this, &unknown)) || !unknown) {
        return false;
    }
    void* services = nullptr;
    const HRESULT queried = unknown->QueryInterface(kTextServicesId, &services);
    unknown->Release();
    if (FAILED(queried) || !services) {
        return false;
    }
    services_ = static_cast<ITextServices*>(services);
    if (text && *text && FAILED(services_->TxSetText(text))) {
        return false;
    }
    return true;
}

void CTextHostImpl::SignalCharFormatChange() {
    if (services_) {
        services_->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
    }
}

void CTextHostImpl::SetFont(HFONT font) {
    // The new font's effects replace the old ones.
    charFormat_.dwEffects &= ~static_cast<DWORD>(CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE);
    TakeFontIntoFormat(font);
    SignalCharFormatChange();
}

void CTextHostImpl::SetColor(DWORD argb) {
    charFormat_.crTextColor = ToColorRef(argb);
    SignalCharFormatChange();
}

void CTextHostImpl::SetRichText(bool rich) {
    bits_ = rich ? (bits_ | kRichText) : (bits_ & ~kRichText);
    if (services_) {
        services_->OnTxPropertyBitsChange(TXTBIT_RICHTEXT, rich ? TXTBIT_RICHTEXT : 0);
    }
}

void CTextHostImpl::SetTransparent(bool transparent) {
    bits_ = transparent ? (bits_ | kTransparent) : (bits_ & ~kTransparent);
    if (services_) {
        services_->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
    }
}

void CTextHostImpl::SetClientRect(const RECT& rect) {
    clientRect_ = rect;
    extent_.cx = MulDiv(clientRect_.Width(), kHimetricPerInch, PixelsPerInch(LOGPIXELSX));
    extent_.cy = MulDiv(clientRect_.Height(), kHimetricPerInch, PixelsPerInch(LOGPIXELSY));
    if (services_) {
        services_->OnTxPropertyBitsChange(TXTBIT_VIEWINSETCHANGE, TXTBIT_VIEWINSETCHANGE);
    }
}

void CTextHostImpl::Activate(const RECT* rect) {
    bits_ |= kInPlaceActive;
    if (!services_ || FAILED(services_->OnTxInPlaceActivate(rect))) {
        bits_ &= ~kInPlaceActive;
    }
}

bool CTextHostImpl::DoSetCursor(const RECT* rect, POINT point) {
    const RECT area = rect ? *rect : static_cast<RECT>(clientRect_);
    if (!services_ || !PtInRect(&area, point)) {
        return false;
    }
    CWindowManager* manager = control_->Manager();
    const RECT* client = (bits_ & kInPlaceActive) ? nullptr : &area;
    services_->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr, manager ? manager->PaintDC() : nullptr, nullptr,
                             client, point.x, point.y);
    return true;
}

// --- IUnknown ----------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CTextHostImpl::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kTextHostId)) {
        *object = static_cast<ITextHost*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTextHostImpl::AddRef() { return static_cast<ULONG>(++references_); }

ULONG STDMETHODCALLTYPE CTextHostImpl::Release() {
    const LONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left > 0 ? left : 0);
}

// --- ITextHost ---------------------------------------------------------------------

HDC CTextHostImpl::TxGetDC() {
    CWindowManager* manager = control_ ? control_->Manager() : nullptr;
    return manager ? manager->PaintDC() : nullptr;
}

INT CTextHostImpl::TxReleaseDC(HDC /*dc*/) { return TRUE; }

WINBOOL CTextHostImpl::TxShowScrollBar(INT bar, WINBOOL show) {
    CScrollBarUI* vertical = control_->VerticalScrollBar();
    CScrollBarUI* horizontal = control_->HorizontalScrollBar();
    if (vertical && (bar == SB_VERT || bar == SB_BOTH)) {
        vertical->ShowOrHide(show != FALSE);
    }
    if (horizontal && (bar == SB_HORZ || bar == SB_BOTH)) {
        horizontal->ShowOrHide(show != FALSE);
    }
    return TRUE;
}

WINBOOL CTextHostImpl::TxEnableScrollBar(INT bar, INT arrows) {
    const bool shown = arrows != ESB_DISABLE_BOTH;
    if (bar == SB_VERT || bar == SB_BOTH) {
        control_->CreateScrollBars(true, bar == SB_BOTH || control_->HorizontalScrollBar() != nullptr);
        control_->VerticalScrollBar()->ShowOrHide(shown);
    }
    if (bar == SB_HORZ || bar == SB_BOTH) {
        control_->CreateScrollBars(bar == SB_BOTH || control_->VerticalScrollBar() != nullptr, true);
        control_->HorizontalScrollBar()->ShowOrHide(shown);
    }
    return TRUE;
}

WINBOOL CTextHostImpl::TxSetScrollRange(INT bar, LONG minimum, INT maximum, WINBOOL /*redraw*/) {
    CScrollBarUI* target =
        bar == SB_VERT ? control_->VerticalScrollBar() : (bar == SB_HORZ ? control_->HorizontalScrollBar() : nullptr);
    if (!target) {
        return TRUE;
    }
    const LONG page = bar == SB_VERT ? clientRect_.Height() : clientRect_.Width();
    if (maximum - minimum > page) {
        target->ShowOrHide(true);
        target->SetRange(static_cast<int>(maximum - minimum - page));
    } else {
        target->ShowOrHide(false);
    }
    return TRUE;
}

WINBOOL CTextHostImpl::TxSetScrollPos(INT bar, INT position, WINBOOL /*redraw*/) {
    CScrollBarUI* target =
        bar == SB_VERT ? control_->VerticalScrollBar() : (bar == SB_HORZ ? control_->HorizontalScrollBar() : nullptr);
    if (target) {
        target->SetPosition(position);
    }
    return TRUE;
}

void CTextHostImpl::TxInvalidateRect(LPCRECT rect, WINBOOL /*mode*/) {
    CWindowManager* manager = control_->Manager();
    if (manager) {
        manager->InvalidateArea(rect ? *rect : static_cast<RECT>(clientRect_));
    }
}

void CTextHostImpl::TxViewChange(WINBOOL /*update*/) {
    if (control_->RepaintsOnViewChange()) {
        control_->InvalidateVisibleRect();
    }
}

WINBOOL CTextHostImpl::TxCreateCaret(HBITMAP bitmap, INT width, INT height) {
    return CreateCaret(Window(), bitmap, width, height);
}

WINBOOL CTextHostImpl::TxShowCaret(WINBOOL show) { return show ? ShowCaret(Window()) : HideCaret(Window()); }

WINBOOL CTextHostImpl::TxSetCaretPos(INT x, INT y) { return SetCaretPos(x, y); }

WINBOOL CTextHostImpl::TxSetTimer(UINT id, UINT timeout) {
    bits_ |= kTimerRunning;
    CWindowManager* manager = control_->Manager();
    return manager && manager->SetControlTimer(control_, id, timeout) ? TRUE : FALSE;
}

void CTextHostImpl::TxKillTimer(UINT id) {
    if (CWindowManager* manager = control_->Manager()) {
        manager->KillControlTimer(control_, id);
    }
    bits_ &= ~kTimerRunning;
}

void CTextHostImpl::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {}

void CTextHostImpl::TxSetCapture(WINBOOL capture) {
    CWindowManager* manager = control_->Manager();
    if (!manager) {
        return;
    }
    if (capture) {
        manager->CaptureMouse();
        bits_ |= kMouseCaptured;
    } else {
        manager->ReleaseMouse();
        bits_ &= ~kMouseCaptured;
    }
}

void CTextHostImpl::TxSetFocus() { control_->TakeFocus(); }

void CTextHostImpl::TxSetCursor(HCURSOR cursor, WINBOOL /*text*/) { SetCursor(cursor); }

WINBOOL CTextHostImpl::TxScreenToClient(LPPOINT point) { return ScreenToClient(Window(), point); }

WINBOOL CTextHostImpl::TxClientToScreen(LPPOINT point) { return ClientToScreen(Window(), point); }

HRESULT CTextHostImpl::TxActivate(LONG* /*oldState*/) { return S_OK; }

HRESULT CTextHostImpl::TxDeactivate(LONG /*newState*/) { return S_OK; }

HRESULT CTextHostImpl::TxGetClientRect(LPRECT rect) {
    *rect = clientRect_;
    return S_OK;
}

HRESULT CTextHostImpl::TxGetViewInset(LPRECT rect) {
    *rect = RECT{0, 0, 0, 0};
    return S_OK;
}

HRESULT CTextHostImpl::TxGetCharFormat(const CHARFORMATW** format) {
    *format = reinterpret_cast<const CHARFORMATW*>(&charFormat_);
    return S_OK;
}

HRESULT CTextHostImpl::TxGetParaFormat(const PARAFORMAT** format) {
    *format = reinterpret_cast<const PARAFORMAT*>(&paraFormat_);
    return S_OK;
}

COLORREF CTextHostImpl::TxGetSysColor(int index) { return GetSysColor(index); }

HRESULT CTextHostImpl::TxGetBackStyle(TXTBACKSTYLE* style) {
    *style = (bits_ & kTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTextHostImpl::TxGetMaxLength(DWORD* length) {
    *length = static_cast<DWORD>(maxLength_);
    return S_OK;
}

HRESULT CTextHostImpl::TxGetScrollBars(DWORD* scrollBars) {
    *scrollBars = style_ & kScrollBarStyles;
    return S_OK;
}

HRESULT CTextHostImpl::TxGetPasswordChar(TCHAR* character) {
    *character = passwordChar_;
    return S_OK;
}

HRESULT CTextHostImpl::TxGetAcceleratorPos(LONG* position) {
    *position = acceleratorPos_;
    return S_OK;
}

HRESULT CTextHostImpl::TxGetExtent(LPSIZEL extent) {
    *extent = extent_;
    return S_OK;
}

HRESULT CTextHostImpl::OnTxCharFormatChange(const CHARFORMATW* /*format*/) { return S_OK; }

HRESULT CTextHostImpl::OnTxParaFormatChange(const PARAFORMAT* /*format*/) { return S_OK; }

HRESULT CTextHostImpl::TxGetPropertyBits(DWORD mask, DWORD* bits) {
    DWORD answer = 0;
    if (bits_ & kRichText) {
        answer |= TXTBIT_RICHTEXT;
    }
    if (style_ & ES_MULTILINE) {
        answer |= TXTBIT_MULTILINE;
    }
    if (style_ & ES_READONLY) {
        answer |= TXTBIT_READONLY;
    }
    if (style_ & ES_PASSWORD) {
        answer |= TXTBIT_USEPASSWORD;
    }
    if (!(style_ & ES_NOHIDESEL)) {
        answer |= TXTBIT_HIDESELECTION;
    }
    if (bits_ & kAutoWordSelect) {
        answer |= TXTBIT_AUTOWORDSEL;
    }
    if (bits_ & kWordWrap) {
        answer |= TXTBIT_WORDWRAP;
    }
    if (bits_ & kAllowBeep) {
        answer |= TXTBIT_ALLOWBEEP;
    }
    if (bits_ & kSaveSelection) {
        answer |= TXTBIT_SAVESELECTION;
    }
    *bits = answer & mask;
    return S_OK;
}

HRESULT CTextHostImpl::TxNotify(DWORD code, void* data) {
    if (code == EN_REQUESTRESIZE && data) {
        const auto* request = static_cast<const REQRESIZE*>(data);
        CUIRect resized = clientRect_;
        resized.right = resized.left + (request->rc.right - request->rc.left);
        resized.bottom = resized.top + (request->rc.bottom - request->rc.top);
        SetClientRect(resized);
    }
    control_->OnTxNotify(code, data);
    return S_OK;
}

HIMC CTextHostImpl::TxImmGetContext() { return nullptr; }

void CTextHostImpl::TxImmReleaseContext(HIMC /*context*/) {}

HRESULT CTextHostImpl::TxGetSelectionBarWidth(LONG* width) {
    *width = selectionBarWidth_;
    return S_OK;
}

}  // namespace TavikUI
