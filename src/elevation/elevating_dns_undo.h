#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "elevation/elevated_actions.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/undo_actions.h"
#include "watch/dns_undo_route.h"

namespace quillcrest {

// "Undo" as the program's rights and folder decide:
//  - elevated: the plan from the baseline this process compares with and the settings read now; this process
//    asks (the plan's confirmation text) and carries it out through UndoActions.
//  - not elevated, protected program: one elevated run of the program ("/undo-dns-changes"), which reads the
//    stored baseline file beside it and the settings itself, asks in its own window and answers its outcome in
//    its exit code. This process makes the same plan from the same file and the settings read just before, reads
//    the outcome back against it, and reports; a plan that differs from the run's (the settings changed in
//    between) reports that which items were put back cannot be told. Where this process finds nothing to put back,
//    nothing is started.
//  - not elevated, program in a folder its user can change: nothing can be put back (the elevated run is never
//    started from there, and this process lacks the rights); the report says how to do it.
class ElevatingDnsUndo : public DnsUndoRoute {
  public:
    struct Platform {
        ElevatedActions& elevated;
        // The changes this process makes when it is elevated.
        UndoActions& actions;
        // The settings as they are now.
        std::function<ResolutionSettings()> readSettings;
        // The stored baseline file, as the elevated run reads it.
        std::function<DnsBaselineReading()> readStoredBaseline;
        // This process's question: true for "Yes".
        std::function<bool(const std::string& question)> confirm;
    };

    explicit ElevatingDnsUndo(Platform platform) : platform_(std::move(platform)) {}

    std::optional<std::string> Undo(const ResolutionSettings& baseline) override;

  private:
    std::optional<std::string> UndoInProcess(const ResolutionSettings& baseline);
    std::string UndoInElevatedRun();

    Platform platform_;
};

// The report where this process may not put settings back and may not start the elevated run.
inline constexpr char kUndoNeedsAdministratorText[] =
    "Nothing was put back: putting DNS settings back needs administrator rights, and Quillcrest asks for them only "
    "when it is installed for all users (in a folder that only administrators can change). Start Quillcrest with "
    "\"Run as administrator\" and choose \"Undo\" again.";

}  // namespace quillcrest
