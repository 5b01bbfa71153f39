#pragma once

namespace quillcrest {

// A window timer that the watch switches on and off. Switching on a stopped timer starts its interval afresh;
// the watch never switches on a running one, so its interval is never restarted from here.
class CheckTimer {
  public:
    virtual ~CheckTimer() = default;

    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

}  // namespace quillcrest
