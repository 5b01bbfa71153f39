#include "app/error_boxes_win.h"

#include <windows.h>

#include "widgets/application_window_win.h"
#include "app/error_report.h"
#include "app/gate_messages.h"

namespace quillcrest {
namespace {

HWND BoxOwner() {
    HWND active = ::GetActiveWindow();
    return active ? active : ApplicationWindow();
}

}  // namespace

void ShowErrorBox(const char* text) {
    ::MessageBoxA(BoxOwner(), text, kErrorBoxTitle, MB_OK | MB_ICONERROR);
}

void ShowGeneralErrorReport(const std::exception& error) {
    const std::string text = GeneralErrorText(error.what());
    ::MessageBoxA(BoxOwner(), text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

}  // namespace quillcrest
