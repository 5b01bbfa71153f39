#pragma once

#include <functional>
#include <string>
#include <vector>

#include "watch/resolution_alert.h"

namespace quillcrest::fakes {

// The wider check's alert: answers at once with `answer` and remembers each list it showed, and each report of
// "Undo". whileOpen runs while it is on screen, as ticks do inside its modal loop.
class FakeResolutionAlert : public ResolutionAlert {
  public:
    ResolutionAlertAnswer answer = ResolutionAlertAnswer::Close;
    std::function<void()> whileOpen;
    std::vector<std::string> shown;
    std::vector<std::string> undoReports;

    ResolutionAlertAnswer Show(const std::string& differences) override {
        shown.push_back(differences);
        if (whileOpen)
            whileOpen();
        return answer;
    }
    void ShowUndoReport(const std::string& report) override { undoReports.push_back(report); }
};

}  // namespace quillcrest::fakes
