#include "MessageDlg.h"

#include <cwchar>

#include "ButtonUrlUI.h"
#include "ControlUI.h"

using TavikUI::CControlUI;
using TavikUI::CWideString;
using TavikUI::NotifyMapEntry;
using TavikUI::NotifyMessage;

namespace {

const NotifyMapEntry* MessageDlgRows() {
    static const NotifyMapEntry rows[] = {
        TavikUI::NotifyRow(L"click", L"", &CMessageDlg::HandleClick),
        TavikUI::NotifyRowEnd(),
    };
    return rows;
}

}  // namespace

CMessageDlg::CMessageDlg(const wchar_t* skinFile) : CXMLWnd(skinFile) {}

CMessageDlg::~CMessageDlg() = default;

const TavikUI::NotifyMap* CMessageDlg::MessageDlgNotifyMap() {
    static const TavikUI::NotifyMap map = {&WindowImplBase::WindowImplBaseNotifyMap, MessageDlgRows()};
    return &map;
}

const TavikUI::NotifyMap* CMessageDlg::NotifyMap() const { return MessageDlgNotifyMap(); }

LRESULT CMessageDlg::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCLBUTTONDBLCLK) {
        return 0;
    }
    return CXMLWnd::RouteWindowMessage(message, wParam, lParam);
}

void CMessageDlg::WindowReady() {
    CenterOnOwner();
    if (CControlUI* version = Manager().FindControlByName(L"Version")) {
        version->SetText(kToolVersionText);
    }
}

void CMessageDlg::HandleClick(NotifyMessage& message) {
    if (message.sender != nullptr) {
        result_ = message.sender->Name();
    }
    CloseWithCode(1);
}

CControlUI* CMessageDlg::CreateControlForTag(const wchar_t* tag) {
    if (tag != nullptr && wcscmp(tag, L"ButtonURL") == 0) {
        return new TavikUI::CButtonUrlUI();
    }
    return nullptr;
}

CWideString CMessageDlg::GetResult() const { return result_; }
