// The download job and the MediaTek library.
//
// Left for the download issue: these bodies start nothing and load nothing,
// so a ready package cannot be flashed yet and no MediaTek library is bound.
#include "TavikDownloadDlg.h"

void CTavikDownloadDlg::QueueDownloadJob(TavikUI::NotifyMessage& /*message*/) {}

bool CTavikDownloadDlg::LoadMtkDownloadDll() { return false; }

void CTavikDownloadDlg::ReleaseMtkLibrary() {
    if (mtkLibrary_) {
        FreeLibrary(mtkLibrary_);
        mtkLibrary_ = nullptr;
    }
}
