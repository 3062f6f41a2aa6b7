// The modal message window of the main window.
//
// Left for the menu and message issue: no window is shown and the answer is
// the empty one a box closed with Escape gives, which every caller reads as
// "cancel".
#include "TavikDownloadDlg.h"

TavikUI::CWideString CTavikDownloadDlg::ShowMessageDlg(const wchar_t* /*skinFile*/) {
    return TavikUI::CWideString();
}
