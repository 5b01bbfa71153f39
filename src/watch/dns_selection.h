#pragma once

#include <optional>
#include <string>

#include "watch/watch_window.h"

namespace quillcrest {

// The "DNS Selection" group and whether its choice still waits for Apply. The group's item lives here and the
// window only shows it, so that a change by the user and a change by the program have the same consequence:
// every change of the item marks the selection pending and shows "Apply"; choosing the item already chosen
// changes nothing.
class DnsSelection {
  public:
    explicit DnsSelection(WatchWindow& window) : window_(window) {}

    // nullopt until an item is chosen.
    std::optional<int> item() const { return item_; }
    bool pending() const { return pending_; }

    // The choice at start: OpenDNS when the list holds both OpenDNS addresses (letter case significant),
    // otherwise the default item; then not pending, "Apply" hidden.
    void Start(const std::string& recentDnsList);
    void ChooseItem(int item);
    // After Apply: not pending, "Apply" hidden.
    void MarkApplied();
    // Each time the main window is shown: not pending; "Apply" keeps its state.
    void MarkNotPending() { pending_ = false; }

  private:
    WatchWindow& window_;
    std::optional<int> item_;
    bool pending_ = false;
};

}  // namespace quillcrest
