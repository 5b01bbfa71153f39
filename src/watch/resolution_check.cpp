#include "watch/resolution_check.h"

#include <exception>
#include <utility>
#include <vector>

#include "resolution/resolution_comparison.h"

namespace quillcrest {

ResolutionCheck::ResolutionCheck(const Platform& platform, CheckTurn& turn, const std::string& folder)
    : platform_(platform), turn_(turn), baseline_(platform.files, folder, platform.baselineSaveRoute) {}

void ResolutionCheck::Start() {
    const ResolutionSettings current = platform_.source.ReadAll();
    hostsFolder_ = HostsFolder(current.hosts);
    const std::optional<std::string> problem = baseline_.Load(current);
    if (problem)
        platform_.dialogs.ShowError(*problem);
    TellUnreadablePlaces(current);
}

void ResolutionCheck::Check() {
    if (!platform_.window.MonitorSwitchOn() || !turn_.Free())
        return;
    const CheckTurn::UserWait waiting(turn_);

    const ResolutionSettings current = platform_.source.ReadAll();
    hostsFolder_ = HostsFolder(current.hosts);
    FollowMonitorSwitch();
    TellUnreadablePlaces(current);
    const std::vector<ResolutionDifference> differences = CompareResolutionSettings(baseline_.settings(), current);
    if (differences.empty())
        return;
    const std::string listed = JoinedLines(DifferenceLines(differences, kMostDifferencesInAlert));
    const ResolutionAlertAnswer answer = platform_.alert.Show(listed);
    if (answer == ResolutionAlertAnswer::Undo)
        return Undo();
    if (answer != ResolutionAlertAnswer::Keep)
        return;
    try {
        baseline_.Keep(current);
    } catch (const std::exception& error) {
        // A declined consent prompt or a folder the user may not write: the user hears why, once.
        platform_.dialogs.ShowError(error.what());
    }
}

void ResolutionCheck::Undo() {
    std::optional<std::string> report;
    try {
        report = platform_.undoRoute.Undo(baseline_.settings());
    } catch (const std::exception& error) {
        platform_.dialogs.ShowError(error.what());
        return;
    }
    // No report: the user answered "No" to the question, and nothing was changed.
    if (report)
        platform_.alert.ShowUndoReport(*report);
}

void ResolutionCheck::TellUnreadablePlaces(const ResolutionSettings& current) {
    std::vector<std::string> places = UnreadablePlaces(current);
    if (places == toldUnreadable_)
        return;
    toldUnreadable_ = std::move(places);
    if (toldUnreadable_.empty())
        return;
    std::string told =
        "Quillcrest could not read these DNS settings, so it cannot tell whether they change: " + toldUnreadable_[0];
    for (std::size_t i = 1; i < toldUnreadable_.size(); ++i)
        told += "; " + toldUnreadable_[i];
    platform_.dialogs.ShowError(told + ".");
}

void ResolutionCheck::FollowMonitorSwitch() {
    const std::string wanted = platform_.window.MonitorSwitchOn() ? hostsFolder_ : std::string();
    if (wanted.empty()) {
        if (watchedFolder_) {
            platform_.hostsFolderWatch.Stop();
            watchedFolder_.reset();
        }
        return;
    }
    if (watchedFolder_ == wanted)
        return;
    platform_.hostsFolderWatch.Watch(wanted);
    watchedFolder_ = wanted;
}

}  // namespace quillcrest
