// A windowless multi-line text editor: the rich-edit text services draw into
// the manager's paint DC and reach the window through the host object
// (CTextHostImpl). Window messages reach the engine through the manager's
// message filter; the container's scroll bars follow the engine. Enter sends
// "return" where the want-return flags say so.
#pragma once

#include <windows.h>

#include "ContainerUI.h"
#include "UIInterfaces.h"
#include "WideString.h"

namespace TavikUI {

class CTextHostImpl;

class CRichEditUI : public CContainerUI, public IMessageFilterUI {
public:
    CRichEditUI();
    // Releases the engine and its host and leaves the manager's filters.
    ~CRichEditUI() override;

    const wchar_t* ClassName() const override;
    // "RichEdit" answers the control; anything else goes to the container.
    void* InterfaceByName(const wchar_t* name) override;
    // A Tab stop with set-cursor events while enabled.
    UINT BehaviourFlags() const override;
    // The engine's text; empty without an engine.
    CWideString Text() const override;
    // Stores the text and, with an engine, replaces its whole text without
    // an undo step.
    void SetText(const wchar_t* text) override;
    void Place(const RECT& rect) override;
    // Creates the engine once.
    void InitHook() override;
    // The engine's message filter moves with the control.
    void AttachToManager(CWindowManager* manager, CControlUI* parent, bool init = true) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Paint(HDC dc, const RECT& area) override;

    void SetScrollPosition(SIZE position) override;
    void ScrollLineUp() override;
    void ScrollLineDown() override;
    void ScrollPageUp() override;
    void ScrollPageDown() override;
    void ScrollToTop() override;
    void ScrollToBottom() override;
    void ScrollLineLeft() override;
    void ScrollLineRight() override;
    void ScrollPageLeft() override;
    void ScrollPageRight() override;
    void ScrollToLeftEnd() override;
    void ScrollToRightEnd() override;

    // To the engine; Enter is kept from it, and sent as "return", where the
    // want-return flags say so. S_FALSE without an engine.
    virtual HRESULT TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual bool RepaintsOnViewChange();
    // The engine's notifications that a parent window takes, as WM_NOTIFY.
    virtual void OnTxNotify(DWORD code, void* data);

    LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    void SetRich(bool rich);
    bool IsRich() const { return rich_; }
    void SetWantReturn(bool want) { wantReturn_ = want; }
    bool WantsReturn() const { return wantReturn_; }
    void SetWantCtrlReturn(bool want) { wantCtrlReturn_ = want; }
    bool WantsCtrlReturn() const { return wantCtrlReturn_; }
    bool IsReadOnly() const { return readOnly_; }
    void SetFont(int index);
    int FontIndex() const { return font_; }
    void SetTextColor(DWORD argb);
    DWORD TextColor() const { return textColor_; }
    int Limit() const { return limit_; }
    DWORD Style() const { return style_; }
    bool HasEngine() const { return host_ != nullptr; }

    // GETTEXTLENGTHEX flags (0 is GTL_DEFAULT).
    LONG TextLength(DWORD flags = 0) const;
    LRESULT SetSel(LONG first, LONG last);
    void ReplaceSel(const wchar_t* text, bool canUndo);

private:
    // The engine's natural height of the text at that width.
    LONG NaturalHeight(LONG width) const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetStyleBit(DWORD bits, bool on);
    int VerticalBarWidth() const;

    CTextHostImpl* host_;
    bool barShownByLayout_;
    bool wantReturn_;
    bool wantCtrlReturn_;
    bool rich_;
    bool readOnly_;
    DWORD textColor_;
    int font_;
    int limit_;
    DWORD style_;
    bool initialised_;
};

}  // namespace TavikUI
