#pragma once

#include <string>

namespace quillcrest {

// Result number of a modal dialog that its "OK" button gives; every other result is treated alike.
constexpr int kDialogResultOk = 1;

// What the lookup window hands back when it closes.
struct LookupWindowResult {
    int result = 0;
    // The addresses of the servers that answered, joined by ",".
    std::string reportedServers;
};

// The modal windows the DNS watch opens. Each call returns only when the user has answered; timer ticks keep
// arriving while it waits.
class WatchDialogs {
  public:
    virtual ~WatchDialogs() = default;

    // The alert dialog: "OK" gives kDialogResultOk, "Fix It" and the close box give 2.
    virtual int ShowAlert() = 0;
    // A message box titled "Confirm" with the question-mark icon and the buttons Yes and No; true for Yes.
    virtual bool Confirm(const std::string& question) = 0;
    // The exit dialog, centred on the main window: "OK" gives kDialogResultOk, "Fix it" and the close box 2.
    virtual int ShowExitDialog() = 0;
    // The lookup window; defaultDnsList decides whether it offers "Save as Default".
    virtual LookupWindowResult ShowLookupWindow(const std::string& defaultDnsList) = 0;
    // The application's general error report, for a failure the watch survives but the user must hear of.
    virtual void ShowError(const std::string& message) = 0;
    // A message box with the information icon, for news that is not a failure.
    virtual void ShowNotice(const std::string& message) = 0;
};

}  // namespace quillcrest
