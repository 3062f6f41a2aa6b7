// The main window's small windows: the modal message window and the help
// menu. Message windows belong to the UI thread; the job thread asks for one
// by message and waits for the answer.
#include "TavikDownloadDlg.h"

#include "MessageDlg.h"
#include "SkinMenu.h"

using TavikUI::CWideString;

namespace {

constexpr DWORD kMessageStyle = 0x10CF0000;  // WS_VISIBLE | WS_OVERLAPPEDWINDOW
constexpr POINT kHelpMenuPoint = {885, 40};  // below the help button

// A message window the job thread asks the UI thread for.
struct MessageDlgRequest {
    const wchar_t* skinFile;
    CWideString result;
};

}  // namespace

CWideString CTavikDownloadDlg::ShowMessageDlg(const wchar_t* skinFile) {
    if (!OnUiThread()) {
        MessageDlgRequest request{skinFile, CWideString()};
        // Answered by the UI thread once the box has closed; a window that is
        // gone answers nothing, which reads as a cancel.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(Handle(), kShowMessageDlgMessage, 0, reinterpret_cast<LPARAM>(&request), SMTO_NORMAL,
                            INFINITE, &ignored);
        return request.result;
    }
    CMessageDlg box(skinFile);
    if (!box.CreateNativeWindow(Handle(), L"MessageBox", kMessageStyle, WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT)) {
        return CWideString();
    }
    box.CenterOnOwner();
    SetControlVisible(L"Gray", true);
    box.RunModal();
    SetControlVisible(L"Gray", false);
    return box.GetResult();
}

LRESULT CTavikDownloadDlg::AnswerMessageDlgRequest(LPARAM request) {
    auto* asked = reinterpret_cast<MessageDlgRequest*>(request);
    // A closing window shows no more boxes: the empty answer reads as a
    // cancel. The pages the job set before asking come first.
    if (asked != nullptr && !closing_) {
        changes_.RunAll();
        asked->result = ShowMessageDlg(asked->skinFile);
    }
    return 0;
}

void CTavikDownloadDlg::ShowHelpMenu() { CSkinMenu::Open(kHelpMenuPoint, Handle()); }
