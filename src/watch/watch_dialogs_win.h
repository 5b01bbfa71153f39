#pragma once

#include <windows.h>

#include "widgets/notice_dialog_win.h"

namespace quillcrest {

// "TAlertDlg": tells the user that the DNS servers changed; "OK" (1) accepts the new list, "Fix It" (2) offers
// to put the old one back. Shown centred on the desktop.
NoticeDialog::Design AlertDialogDesign();
// "TExitDlg": asked when the main window closes with a selection that was never applied; "OK" (1) restores the
// recorded servers, "Fix it" (2) keeps the window open. Shown centred on the main window.
NoticeDialog::Design ExitDialogDesign();

}  // namespace quillcrest
