#include "watch/watch_dialogs_win.h"

namespace quillcrest {
namespace {

constexpr COLORREF kRed = RGB(0xFF, 0x00, 0x00);
constexpr COLORREF kNavy = RGB(0x00, 0x00, 0x80);
constexpr int kDialogWidth = 420;

constexpr char kChangedText[] = "Quillcrest has detected that your DNS settings have been changed.";
constexpr char kIgnoreText[] =
    "If you wish to ignore the change, click OK and this dialog will not be displayed again. ";

}  // namespace

NoticeDialog::Design AlertDialogDesign() {
    return {"TAlertDlg",
            "Quillcrest Alert",
            kDialogWidth,
            IDI_WARNING,
            {{kChangedText, kRed, true},
             {"If you have changed locations or networks, this is probably ok. If not, click on \"Fix It\" to "
              "restore your DNS settings to their previous values.  ",
              kNavy},
             {kIgnoreText, kNavy}},
            {{"OK", kModalResultOk}, {"Fix It", kModalResultCancel}}};
}

NoticeDialog::Design ExitDialogDesign() {
    return {"TExitDlg",
            "Quillcrest Alert",
            kDialogWidth,
            IDI_WARNING,
            {{kChangedText, kNavy, true}, {kIgnoreText, kNavy}},
            {{"OK", kModalResultOk}, {"Fix it", kModalResultCancel}}};
}

}  // namespace quillcrest
