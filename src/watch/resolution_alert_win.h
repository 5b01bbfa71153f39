#pragma once

#include <windows.h>

#include <string>

#include "watch/resolution_alert.h"
#include "widgets/notice_dialog_win.h"

namespace quillcrest {

// The wider check's alert, "TResolutionAlertDlg": what changed in the settings that decide where names go, one
// difference a line in a read-only box, and the buttons "Keep" and kSecondAlertButton. Shown modally, centred on
// the desktop, like the DNS server list's alert; its texts are read like any control's (WM_GETTEXT).
class ResolutionAlertWindow : public ResolutionAlert {
  public:
    static constexpr char kClassName[] = "TResolutionAlertDlg";
    static constexpr char kCaption[] = "Quillcrest: Name Lookup Settings Changed";

    explicit ResolutionAlertWindow(HWND owner);

    ResolutionAlertAnswer Show(const std::string& differences) override;
    // A message box modal for the whole program, captioned kUndoReportCaption, with the information icon.
    void ShowUndoReport(const std::string& report) override;

    HWND hwnd() const { return dialog_.hwnd(); }

  private:
    NoticeDialog dialog_;
};

// The dialog's design: its texts and its buttons; and where its list stands and which button is the default.
NoticeDialog::Design ResolutionAlertDesign();
NoticeDialog::Options ResolutionAlertOptions();
// What a result of the dialog answers: a button's answer, and for the close box and Escape, Close.
ResolutionAlertAnswer ResolutionAlertAnswerOf(int result);

}  // namespace quillcrest
