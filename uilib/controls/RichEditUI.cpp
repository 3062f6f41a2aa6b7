#include "RichEditUI.h"

#include <imm.h>
#include <windowsx.h>

#include <cwchar>
#include <cwctype>
#include <vector>

#include "ControlValueText.h"
#include "ScrollBarUI.h"
#include "TextHostImpl.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const int kDefaultLimit = 0x7FFF;
const UINT kUnicodeCodePage = 1200;

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// The engine takes the mouse messages up to the extra buttons' double click
// and the keyboard messages up to WM_KEYLAST as older headers define it.
bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_XBUTTONDBLCLK; }
bool IsButtonMessage(UINT message) { return message >= WM_LBUTTONDOWN && message <= WM_RBUTTONDBLCLK; }
bool IsKeyboardMessage(UINT message) { return message >= WM_KEYFIRST && message <= 0x108; }

// Engine notifications a parent window receives.
bool IsParentNotification(DWORD code) {
    switch (code) {
    case EN_MSGFILTER:
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_STOPNOUNDO:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
    case EN_LINK:
    case EN_DRAGDROPDONE:
        return true;
    default:
        return false;
    }
}

}  // namespace

CRichEditUI::CRichEditUI()
    : host_(nullptr),
      barShownByLayout_(false),
      wantReturn_(true),
      wantCtrlReturn_(true),
      rich_(true),
      readOnly_(false),
      textColor_(0),
      font_(-1),
      limit_(kDefaultLimit),
      style_(ES_MULTILINE),
      initialised_(false) {
    SetWantsTab(true);
}

CRichEditUI::~CRichEditUI() {
    if (CTextHostImpl* host = host_) {
        host_ = nullptr;
        host->ReleaseServices();
        host->Release();
    }
    if (manager_) {
        manager_->UnregisterMessageFilter(this);
    }
}

const wchar_t* CRichEditUI::ClassName() const { return L"RichEditUI"; }

void* CRichEditUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"RichEdit") == 0) {
        return this;
    }
    return CContainerUI::InterfaceByName(name);
}

UINT CRichEditUI::BehaviourFlags() const { return IsEnabled() ? (kBehaviourTabStop | kBehaviourSetCursor) : 0u; }

LRESULT CRichEditUI::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    LRESULT result = 0;
    if (host_ && host_->Services()) {
        host_->Services()->TxSendMessage(message, wParam, lParam, &result);
    }
    return result;
}

LONG CRichEditUI::TextLength(DWORD flags) const {
    if (!host_) {
        return 0;
    }
    GETTEXTLENGTHEX length = {flags, kUnicodeCodePage};
    return static_cast<LONG>(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length)));
}

CWideString CRichEditUI::Text() const {
    if (!host_) {
        return CWideString();
    }
    const LONG length = TextLength(GTL_DEFAULT);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, 0);
    GETTEXTEX request = {};
    request.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    request.flags = GT_DEFAULT;
    request.codepage = kUnicodeCodePage;
    Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer.data()));
    return CWideString(buffer.data());
}

void CRichEditUI::SetText(const wchar_t* text) {
    text_.AssignText(text);
    if (!host_) {
        return;
    }
    SetSel(0, -1);
    ReplaceSel(text, false);
}

LRESULT CRichEditUI::SetSel(LONG first, LONG last) {
    CHARRANGE range = {first, last};
    return Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void CRichEditUI::ReplaceSel(const wchar_t* text, bool canUndo) {
    Send(EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text));
}

void CRichEditUI::SetRich(bool rich) {
    rich_ = rich;
    if (host_) {
        host_->SetRichText(rich);
    }
}

void CRichEditUI::SetFont(int index) {
    font_ = index;
    if (host_ && manager_) {
        host_->SetFont(manager_->FontAt(index));
    }
}

void CRichEditUI::SetTextColor(DWORD argb) {
    textColor_ = argb;
    if (host_) {
        host_->SetColor(argb);
    }
}

void CRichEditUI::SetStyleBit(DWORD bits, bool on) { style_ = on ? (style_ | bits) : (style_ & ~bits); }

int CRichEditUI::VerticalBarWidth() const { return verticalScrollBar_ ? verticalScrollBar_->DeclaredWidth() : 0; }

void CRichEditUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    const bool isTrue = IsTrueText(value);
    if (wcscmp(name, L"vscrollbar") == 0) {
        if (isTrue) {
            SetStyleBit(WS_VSCROLL | ES_DISABLENOSCROLL, true);
        }
        CContainerUI::ApplyAttribute(name, value);
    } else if (wcscmp(name, L"hscrollbar") == 0) {
        if (isTrue) {
            SetStyleBit(WS_HSCROLL | ES_DISABLENOSCROLL, true);
        }
        CContainerUI::ApplyAttribute(name, value);
    } else if (wcscmp(name, L"autovscroll") == 0) {
        if (isTrue) {
            SetStyleBit(ES_AUTOVSCROLL, true);
        }
        CContainerUI::ApplyAttribute(name, value);
    } else if (wcscmp(name, L"autohscroll") == 0) {
        if (isTrue) {
            SetStyleBit(ES_AUTOHSCROLL, true);
        }
        CContainerUI::ApplyAttribute(name, value);
    } else if (wcscmp(name, L"wanttab") == 0) {
        SetWantsTab(isTrue);
    } else if (wcscmp(name, L"wantreturn") == 0) {
        SetWantReturn(isTrue);
    } else if (wcscmp(name, L"wantctrlreturn") == 0) {
        SetWantCtrlReturn(isTrue);
    } else if (wcscmp(name, L"rich") == 0) {
        SetRich(isTrue);
    } else if (wcscmp(name, L"multiline") == 0) {
        if (wcscmp(value, L"false") == 0) {
            SetStyleBit(ES_MULTILINE, false);
        }
    } else if (wcscmp(name, L"readonly") == 0) {
        if (isTrue) {
            SetStyleBit(ES_READONLY, true);
            readOnly_ = true;
        }
    } else if (wcscmp(name, L"password") == 0) {
        if (isTrue) {
            SetStyleBit(ES_PASSWORD, true);
        }
    } else if (wcscmp(name, L"align") == 0) {
        if (wcsstr(value, L"left")) {
            SetStyleBit(ES_CENTER | ES_RIGHT, false);
        }
        if (wcsstr(value, L"center")) {
            SetStyleBit(ES_CENTER, true);
            SetStyleBit(ES_RIGHT, false);
        }
        if (wcsstr(value, L"right")) {
            SetStyleBit(ES_RIGHT, true);
            SetStyleBit(ES_CENTER, false);
        }
    } else if (wcscmp(name, L"font") == 0) {
        SetFont(ReadDecimal(value));
    } else if (wcscmp(name, L"textcolor") == 0) {
        while (*value == L' ') {
            ++value;
        }
        SetTextColor(ReadHexColor(value));
    } else {
        CContainerUI::ApplyAttribute(name, value);
    }
}

void CRichEditUI::AttachToManager(CWindowManager* manager, CControlUI* parent, bool init) {
    CWindowManager::MoveMessageFilter(this, manager_, manager, host_ != nullptr);
    CContainerUI::AttachToManager(manager, parent, init);
}

void CRichEditUI::InitHook() {
    if (initialised_) {
        return;
    }
    initialised_ = true;
    auto* host = new CTextHostImpl();
    if (!host->Init(this, style_, text_.Text())) {
        host->ReleaseServices();
        host->Release();
        return;
    }
    host_ = host;
    host_->SetTransparent(true);
    Send(EM_SETLANGOPTIONS, 0, 0);
    host_->Activate(nullptr);
    if (manager_) {
        manager_->RegisterMessageFilter(this);
    }
}

LONG CRichEditUI::NaturalHeight(LONG width) const {
    if (!host_ || !host_->Services()) {
        return 0;
    }
    LONG naturalWidth = width;
    LONG naturalHeight = 0;
    const SIZEL extent = {-1, -1};
    host_->Services()->TxGetNaturalSize(DVASPECT_CONTENT, manager_ ? manager_->PaintDC() : nullptr, nullptr, nullptr,
                                        TXTNS_FITTOCONTENT, &extent, &naturalWidth, &naturalHeight);
    return naturalHeight;
}

void CRichEditUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    CUIRect client = InnerRect();
    const bool barShownBefore = verticalScrollBar_ && verticalScrollBar_->IsVisible();
    if (barShownBefore) {
        client.right -= verticalScrollBar_->DeclaredWidth();
    }
    if (horizontalScrollBar_ && horizontalScrollBar_->IsVisible()) {
        client.bottom -= horizontalScrollBar_->DeclaredHeight();
    }
    if (host_) {
        host_->SetClientRect(client);
        // The engine hides the bar of a text that fits the box it was just
        // given; the text's own height decides whether it comes back.
        if (barShownBefore && (!verticalScrollBar_->IsVisible() || barShownByLayout_)) {
            const LONG natural = NaturalHeight(client.Width() + VerticalBarWidth());
            if (natural > client.Height()) {
                verticalScrollBar_->ShowOrHide(true);
                verticalScrollBar_->SetPosition(0);
                barShownByLayout_ = true;
            } else if (barShownByLayout_) {
                verticalScrollBar_->ShowOrHide(false);
                barShownByLayout_ = false;
            }
        }
    }
    if (verticalScrollBar_) {
        verticalScrollBar_->Place(
            RECT{client.right, client.top, client.right + verticalScrollBar_->DeclaredWidth(), client.bottom});
    }
    if (horizontalScrollBar_) {
        horizontalScrollBar_->Place(
            RECT{client.left, client.bottom, client.right, client.bottom + horizontalScrollBar_->DeclaredHeight()});
    }
    PlaceChildrenIn(client);
}

void CRichEditUI::Paint(HDC dc, const RECT& area) {
    PaintWithContent(dc, area, [&] {
        if (!host_ || !host_->Services()) {
            return;
        }
        const CUIRect& client = host_->ClientRect();
        RECTL bounds = {client.left, client.top, client.right, client.bottom};
        RECT update = area;
        host_->Services()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds, nullptr, &update,
                                  nullptr, 0, TXTVIEW_ACTIVE);
        if (barShownByLayout_ && NaturalHeight(client.Width() + VerticalBarWidth()) <= client.Height()) {
            MarkForLayout();
        }
    });
}

HRESULT CRichEditUI::TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!host_ || !host_->Services()) {
        return S_FALSE;
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool control = GetKeyState(VK_CONTROL) < 0;
        if (!wantReturn_ || (control && !wantCtrlReturn_)) {
            if (manager_) {
                manager_->SendNotification(this, L"return");
            }
            return S_OK;
        }
    }
    return host_->Services()->TxSendMessage(message, wParam, lParam, result);
}

bool CRichEditUI::RepaintsOnViewChange() { return true; }

void CRichEditUI::OnTxNotify(DWORD code, void* data) {
    if (!IsParentNotification(code) || !data || !manager_ || !manager_->Window()) {
        return;
    }
    auto* header = static_cast<NMHDR*>(data);
    const HWND window = manager_->Window();
    header->hwndFrom = window;
    header->idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(window, GWLP_ID));
    header->code = code;
    SendMessageW(window, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT CRichEditUI::FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!host_ || !IsVisible() || !IsEnabled() || !manager_) {
        return 0;
    }
    const bool mouse = IsMouseMessage(message);
    if (!AcceptsMouse() && mouse) {
        return 0;
    }
    if (message == WM_MOUSEWHEEL && !(LOWORD(wParam) & MK_CONTROL)) {
        return 0;
    }
    if (message == WM_IME_COMPOSITION) {
        const HWND window = manager_->Window();
        if (HIMC context = ImmGetContext(window)) {
            COMPOSITIONFORM form = {};
            form.dwStyle = CFS_POINT;
            GetCaretPos(&form.ptCurrentPos);
            ImmSetCompositionWindow(context, &form);
            ImmReleaseContext(window, context);
        }
        return 0;
    }
    bool takes = false;
    const bool captured = host_->IsCaptured();
    if (mouse || message == WM_SETCURSOR) {
        if (!captured) {
            POINT point = PointOf(lParam);
            if (message == WM_MOUSEWHEEL) {
                ScreenToClient(manager_->Window(), &point);
            } else if (message == WM_SETCURSOR) {
                GetCursorPos(&point);
                ScreenToClient(manager_->Window(), &point);
            }
            if (IsButtonMessage(message) && manager_->FindControlAt(point) != this) {
                return 0;
            }
            const CUIRect& client = host_->ClientRect();
            if (!PtInRect(&client, point) || manager_->HasMouseCapture()) {
                return 0;
            }
        }
        takes = message != WM_SETCURSOR;
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN) {
            TakeFocus();
        }
    } else if (IsKeyboardMessage(message) || message == WM_IME_CHAR) {
        if (!IsFocused()) {
            return 0;
        }
        takes = true;
    } else if (message == WM_CONTEXTMENU) {
        POINT point = PointOf(lParam);
        ScreenToClient(manager_->Window(), &point);
        if (manager_->FindControlAt(point) != this) {
            return 0;
        }
        takes = true;
    } else if (message == WM_HELP) {
        takes = false;
    } else {
        return 0;
    }
    LRESULT result = 0;
    const HRESULT answer = TxSendMessage(message, wParam, lParam, &result);
    if (answer != S_OK) {
        const bool keepsHandled = IsKeyboardMessage(message) || message == WM_IME_CHAR || (captured && mouse);
        if (!keepsHandled) {
            takes = false;
        }
    }
    handled = takes;
    return result;
}

void CRichEditUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CControlUI::HandleEvent(e); })) {
        return;
    }
    switch (event.type) {
    case kEventSetCursor:
        if (IsEnabled() && host_ && host_->DoSetCursor(nullptr, event.point)) {
            return;
        }
        break;
    case kEventSetFocus:
        if (host_) {
            host_->Activate(nullptr);
            Send(WM_SETFOCUS);
        }
        focused_ = true;
        InvalidateVisibleRect();
        return;
    case kEventKillFocus:
        if (host_) {
            host_->Activate(nullptr);
            Send(WM_KILLFOCUS);
        }
        focused_ = false;
        InvalidateVisibleRect();
        return;
    case kEventTimer:
        if (host_) {
            Send(WM_TIMER, event.wParam, event.lParam);
        }
        break;
    case kEventScrollWheel:
        if (event.keyState & kKeyStateControl) {
            return;
        }
        break;
    case kEventKeyDown:
    case kEventKeyUp:
    case kEventChar:
    case kEventSysKey:
    case kEventMouseMove:
    case kEventMouseLeave:
    case kEventMouseEnter:
    case kEventButtonDown:
    case kEventButtonUp:
    case kEventDoubleClick:
        return;
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

// --- Scrolling ---------------------------------------------------------------------

void CRichEditUI::SetScrollPosition(SIZE position) {
    const SIZE before = ScrollPosition();
    if (verticalScrollBar_ && verticalScrollBar_->IsVisible()) {
        verticalScrollBar_->SetPosition(position.cy);
    }
    if (horizontalScrollBar_ && horizontalScrollBar_->IsVisible()) {
        horizontalScrollBar_->SetPosition(position.cx);
    }
    const SIZE after = ScrollPosition();
    if (after.cy != before.cy) {
        Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, after.cy));
        // The plain-text engine may stop short of a downward move it was
        // asked for: the bar keeps the position asked.
        if (!rich_ && host_ && after.cy > before.cy && verticalScrollBar_->Position() <= after.cy) {
            verticalScrollBar_->SetPosition(after.cy);
        }
    }
    if (after.cx != before.cx) {
        Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, after.cx));
    }
}

void CRichEditUI::ScrollLineUp() { Send(WM_VSCROLL, SB_LINEUP); }

void CRichEditUI::ScrollLineDown() {
    const int before = verticalScrollBar_ ? verticalScrollBar_->Position() : 0;
    Send(WM_VSCROLL, SB_LINEDOWN);
    if (!rich_ && host_ && verticalScrollBar_ && verticalScrollBar_->Position() <= before) {
        verticalScrollBar_->SetPosition(verticalScrollBar_->Range());
    }
}

void CRichEditUI::ScrollPageUp() { Send(WM_VSCROLL, SB_PAGEUP); }

void CRichEditUI::ScrollPageDown() { Send(WM_VSCROLL, SB_PAGEDOWN); }

void CRichEditUI::ScrollToTop() { Send(WM_VSCROLL, SB_TOP); }

void CRichEditUI::ScrollToBottom() { Send(WM_VSCROLL, SB_BOTTOM); }

void CRichEditUI::ScrollLineLeft() { Send(WM_HSCROLL, SB_LINELEFT); }

void CRichEditUI::ScrollLineRight() { Send(WM_HSCROLL, SB_LINERIGHT); }

void CRichEditUI::ScrollPageLeft() { Send(WM_HSCROLL, SB_PAGELEFT); }

void CRichEditUI::ScrollPageRight() { Send(WM_HSCROLL, SB_PAGERIGHT); }

void CRichEditUI::ScrollToLeftEnd() { Send(WM_HSCROLL, SB_LEFT); }

void CRichEditUI::ScrollToRightEnd() { Send(WM_HSCROLL, SB_RIGHT); }

}  // namespace TavikUI
