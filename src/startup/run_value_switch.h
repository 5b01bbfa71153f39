#pragma once

#include <optional>
#include <string>

namespace quillcrest {

// The start-with-Windows value ("VORLANKE" under the machine's Run key) as this process sees it.
class RunValueStore {
  public:
    virtual ~RunValueStore() = default;
    // The value exists and names this executable.
    virtual bool NamesThisProgram() = 0;
    // The value exists, whatever it names.
    virtual bool Present() = 0;
    // Write the value naming this executable, or delete it; both raise an Exception with the system's reason.
    virtual void Write() = 0;
    virtual void Delete() = 0;
};

// The same value changed with administrator rights that this process may lack. The program wires in one elevated
// run of itself per change (elevation/elevating_run_value.h), so that this folder needs nothing above it.
class RunValueWithRights {
  public:
    virtual ~RunValueWithRights() = default;
    // True when this process has the rights itself: the store then changes the value in-process.
    virtual bool InProcess() = 0;
    // Write the value naming this executable, or delete it, with the rights this process lacks; both raise an
    // Exception with the reason when that fails or the user declines.
    virtual void Write() = 0;
    virtual void Delete() = 0;
};

inline constexpr char kWatchWithoutStartPrefix[] = "Quillcrest will watch now but will not start with Windows: ";
inline constexpr char kStillStartsPrefix[] = "Quillcrest will still start with Windows: ";

// The monitor check box's hold on the Run value. The watch itself needs no rights and follows the box as
// clicked; the value follows it when it can: in-process when elevated (or when the store takes the change),
// otherwise through one elevated run of the program per click.
class RunValueSwitch {
  public:
    RunValueSwitch(RunValueStore& store, RunValueWithRights& withRights) : store_(store), withRights_(withRights) {}

    // The box was released with the mouse and shows `ticked`. Answers the one message for the user when the
    // value could not follow ("Quillcrest will watch now but will not start with Windows: <reason>"), nothing
    // when it did or had nothing to do. Never raises.
    std::optional<std::string> OnBoxReleased(bool ticked);
    // The window hides to the tray: the value follows the box only where that needs no prompt, and silently.
    void FollowBoxQuietly(bool ticked);

  private:
    // Brings the value in line with the box; raises on failure or decline.
    void Follow(bool ticked, bool mayPrompt);

    RunValueStore& store_;
    RunValueWithRights& withRights_;
};

}  // namespace quillcrest
