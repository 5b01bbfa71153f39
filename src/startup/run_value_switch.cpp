#include "startup/run_value_switch.h"

#include <exception>

namespace quillcrest {

std::optional<std::string> RunValueSwitch::OnBoxReleased(bool ticked) {
    try {
        Follow(ticked, true);
    } catch (const std::exception& error) {
        return std::string(ticked ? kWatchWithoutStartPrefix : kStillStartsPrefix) + error.what();
    }
    return std::nullopt;
}

void RunValueSwitch::FollowBoxQuietly(bool ticked) {
    try {
        Follow(ticked, false);
    } catch (const std::exception&) {
        // The click that set the box has already told the user why the value does not follow it.
    }
}

void RunValueSwitch::Follow(bool ticked, bool mayPrompt) {
    // Nothing to change asks for nothing: an unticked box with no value, a ticked one whose value is in place.
    if (ticked ? store_.NamesThisProgram() : !store_.Present())
        return;
    if (withRights_.InProcess()) {
        ticked ? store_.Write() : store_.Delete();
        return;
    }
    if (!mayPrompt)
        return;
    ticked ? withRights_.Write() : withRights_.Delete();
}

}  // namespace quillcrest
