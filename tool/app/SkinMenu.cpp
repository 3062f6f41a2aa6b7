// The help menu of the main window.
//
// Left for the menu and message issue: no menu is opened yet.
#include "TavikDownloadDlg.h"

void CTavikDownloadDlg::ShowHelpMenu() {}
