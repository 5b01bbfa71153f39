#pragma once

#include <optional>

#include "watch/watch_window.h"

namespace quillcrest::fakes {

// The main window's watch controls as plain state.
class FakeWatchWindow : public WatchWindow {
  public:
    std::optional<int> shownItem;
    int itemChanges = 0;
    bool applyShown = false;
    bool monitorOn = false;

    void ShowSelectionItem(int item) override {
        shownItem = item;
        ++itemChanges;
    }
    void ShowApplyButton(bool shown) override { applyShown = shown; }
    bool MonitorSwitchOn() const override { return monitorOn; }
};

}  // namespace quillcrest::fakes
