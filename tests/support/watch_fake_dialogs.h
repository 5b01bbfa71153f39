#pragma once

#include <functional>
#include <string>
#include <vector>

#include "watch/watch_dialogs.h"

namespace quillcrest::fakes {

constexpr int kDialogResultFixIt = 2;

// Dialogs that answer at once with preset results and remember what they were asked. whileAlertOpen runs while
// the alert is on screen, as ticks do inside its modal loop.
class FakeWatchDialogs : public WatchDialogs {
  public:
    int alertResult = kDialogResultFixIt;
    bool confirmAnswer = false;
    int exitResult = kDialogResultFixIt;
    LookupWindowResult lookupResult;
    std::function<void()> whileAlertOpen;
    std::function<void()> whileConfirmOpen;

    int alerts = 0;
    std::vector<std::string> questions;
    int exitDialogs = 0;
    std::vector<std::string> lookupDefaults;
    std::vector<std::string> errors;
    std::vector<std::string> notices;

    int ShowAlert() override {
        ++alerts;
        if (whileAlertOpen)
            whileAlertOpen();
        return alertResult;
    }
    bool Confirm(const std::string& question) override {
        questions.push_back(question);
        if (whileConfirmOpen)
            whileConfirmOpen();
        return confirmAnswer;
    }
    int ShowExitDialog() override {
        ++exitDialogs;
        return exitResult;
    }
    LookupWindowResult ShowLookupWindow(const std::string& defaultDnsList) override {
        lookupDefaults.push_back(defaultDnsList);
        return lookupResult;
    }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void ShowNotice(const std::string& message) override { notices.push_back(message); }
};

}  // namespace quillcrest::fakes
