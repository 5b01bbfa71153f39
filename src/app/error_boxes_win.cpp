#include "app/error_boxes_win.h"

#include <windows.h>

#include "app/error_report.h"
#include "app/gate_messages.h"
#include "widgets/message_box_win.h"

namespace quillcrest {

void ShowErrorBox(const char* text) {
    ShowModalMessageBox(text, kErrorBoxTitle, MB_OK | MB_ICONERROR);
}

void ShowGeneralErrorReport(const std::exception& error) {
    ShowModalMessageBox(GeneralErrorText(error.what()), kApplicationTitle, MB_OK | MB_ICONERROR);
}

}  // namespace quillcrest
