#include "watch/resolution_alert_win.h"

#include "resolution/undo_report.h"
#include "widgets/message_box_win.h"
#include "widgets/modal_window_win.h"

namespace quillcrest {
namespace {

constexpr COLORREF kRed = RGB(0xFF, 0x00, 0x00);
constexpr COLORREF kNavy = RGB(0x00, 0x00, 0x80);
// Wider than the other alert's: a line names what changed, where, and what it was and is.
constexpr int kDialogWidth = 540;
constexpr int kMostListedLines = 10;

constexpr char kChangedText[] =
    "Quillcrest has detected changes to the settings that decide where this PC looks up names:";

// The results of the buttons. The close box and Escape give kModalResultCancel, which is no button's.
constexpr int kKeepResult = kModalResultOk;
constexpr int kSecondButtonResult = 3;
static_assert(kSecondButtonResult != kModalResultCancel, "the close box must not press the second button");

constexpr std::size_t kSecondButtonIndex = 1;

}  // namespace

NoticeDialog::Design ResolutionAlertDesign() {
    return {ResolutionAlertWindow::kClassName,
            ResolutionAlertWindow::kCaption,
            kDialogWidth,
            IDI_WARNING,
            {{kChangedText, kRed, true}, {kKeepAlertButton.advice, kNavy}, {kSecondAlertButton.advice, kNavy}},
            {{kKeepAlertButton.text, kKeepResult}, {kSecondAlertButton.text, kSecondButtonResult}}};
}

NoticeDialog::Options ResolutionAlertOptions() {
    NoticeDialog::Options options;
    // Enter must not keep what someone else may have changed.
    options.defaultButton = kSecondButtonIndex;
    // The list follows the first text, which names it for screen readers.
    options.details = {1, kMostListedLines};
    return options;
}

ResolutionAlertAnswer ResolutionAlertAnswerOf(int result) {
    if (result == kKeepResult)
        return kKeepAlertButton.answer;
    if (result == kSecondButtonResult)
        return kSecondAlertButton.answer;
    return ResolutionAlertAnswer::Close;
}

ResolutionAlertWindow::ResolutionAlertWindow(HWND owner)
    : dialog_(ResolutionAlertDesign(), owner, ResolutionAlertOptions()) {}

ResolutionAlertAnswer ResolutionAlertWindow::Show(const std::string& differences) {
    dialog_.SetDetails(differences);
    return ResolutionAlertAnswerOf(dialog_.ShowModal());
}

void ResolutionAlertWindow::ShowUndoReport(const std::string& report) {
    ShowModalUnicodeMessageBox(report, kUndoReportCaption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace quillcrest
