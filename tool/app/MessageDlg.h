// The tool's modal message window: shows one skin file (notice, close
// warning, version notice, about box) and answers with the name of the
// control that closed it. Escape closes it with an empty answer.
#pragma once

#include <windows.h>

#include "WideString.h"
#include "XMLWnd.h"

// The tool's version, shown by the about box whatever its skin says.
constexpr wchar_t kToolVersionText[] = L"V1.2.0.1.beta";

class CMessageDlg : public TavikUI::CXMLWnd {
public:
    explicit CMessageDlg(const wchar_t* skinFile);
    ~CMessageDlg() override;

    LRESULT RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void WindowReady() override;
    // Any click: the sender's name becomes the answer and the window closes.
    void HandleClick(TavikUI::NotifyMessage& message) override;
    TavikUI::CControlUI* CreateControlForTag(const wchar_t* tag) override;
    const TavikUI::NotifyMap* NotifyMap() const override;
    static const TavikUI::NotifyMap* MessageDlgNotifyMap();

    virtual TavikUI::CWideString GetResult() const;

private:
    TavikUI::CWideString result_;
};
