#pragma once

namespace quillcrest {

// Items of the "DNS Selection" group.
constexpr int kSelectionDefault = 0;  // "Use my Default (originall) DNS settings"
constexpr int kSelectionOpenDns = 1;  // "Use OpenDNS for all DNS Queries"

// The controls of the main window that the DNS watch drives. Setting them from here runs none of the window's
// own handlers: the watch raises the consequences of a change itself.
class WatchWindow {
  public:
    virtual ~WatchWindow() = default;

    // Checks the selection group's radio button for item and repaints the group.
    virtual void ShowSelectionItem(int item) = 0;
    virtual void ShowApplyButton(bool shown) = 0;
    // Whether "Monitor My DNS Settings for Unauthorized Changes" is ticked right now.
    virtual bool MonitorSwitchOn() const = 0;
};

}  // namespace quillcrest
