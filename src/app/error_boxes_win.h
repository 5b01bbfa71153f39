#pragma once

#include <exception>
#include <string>

namespace quillcrest {

// The gate checks' modal box: title "Error", error icon, one "OK" button.
void ShowErrorBox(const char* text);
// The general error report for a failure that escaped an event handler.
void ShowGeneralErrorReport(const std::exception& error);

}  // namespace quillcrest
