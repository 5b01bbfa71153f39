#include "elevation/action_mode_win.h"

#include <windows.h>

#include <exception>
#include <optional>

#include "base/com_setup_win.h"
#include "base/utf8_text_win.h"
#include "elevation/action_exit_code.h"
#include "elevation/confirmation_box_win.h"
#include "elevation/dns_baseline_confirmation.h"
#include "elevation/dns_change_confirmation.h"
#include "elevation/privileged_action.h"
#include "elevation/program_protection_win.h"
#include "elevation/protected_program_folder.h"
#include "netconfig/adapter_dns_win.h"
#include "netconfig/com_error.h"
#include "netconfig/connection_names_win.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/elevated_undo_win.h"
#include "resolution/system_resolution_reader_win.h"
#include "resolution/undo_confirmation.h"
#include "resolution/undo_outcome_code.h"
#include "settings/process_facts_win.h"
#include "startup/start_with_windows_win.h"
#include "watch/allowed_list.h"
#include "watch/dns_baseline_storage.h"
#include "watch/file_system_win.h"

namespace quillcrest {
namespace {

std::uint32_t ChangeDnsServers(const std::vector<DnsAssignment>& assignments) {
    // Any program of the user can start this one with "runas", and the consent prompt names only the program:
    // the change itself is shown here, in a window programs of the user cannot answer, and made only on "Yes".
    const std::string question = DnsChangeConfirmationText(assignments, ConnectionNamesOrNone(ReadConnectionNames));
    if (!AskInConfirmationBox(question, kDnsChangeConfirmationCaption))
        return ActionExitForDeclinedInWindow();

    // WMI needs the apartment and the process-wide security the program always sets up.
    const ComSetup comSetup;
    const DnsChangeOutcome outcome = ChangeEach(assignments, [](const DnsAssignment& assignment) {
        return SetAdaptorDNS(assignment.settingId, assignment.servers);
    });
    return ActionExitForDnsOutcome(assignments, outcome);
}

// The folder of this executable, where the files that only administrators may change in a protected installation
// lie (ProtectedProgramFolder: never a folder its user can change, nor one relative to the working directory).
std::string OwnProtectedFolder() {
    const std::string program = GetExePathUtf8();
    SystemProgramProtection protection(WideFromUtf8(program));
    return ProtectedProgramFolder(program, protection);
}

// The list joins the allowed list beside this executable, saved as the program always saves it. It needs no
// question of its own: it only ever holds canonical addresses, exactly the text the consent prompt's details show.
void AllowDnsList(const std::string& dnsList) {
    WinFileSystem files;
    AllowedList allowedList(files, OwnProtectedFolder());
    allowedList.Load();
    allowedList.AddDNSToGoodList(dnsList);
}

// The DNS settings go back to the baseline stored beside this executable, and only to that one: the command line
// names nothing, and the folder must be one only administrators can change, or a baseline planted there by a
// program of the user would be written with full rights. The plan is shown and carried out only on "Yes"; its
// outcome, item by item, is the exit code.
std::uint32_t UndoDnsChanges() {
    WinFileSystem files;
    // Read as the unelevated program reads it before starting this run, so that both make the same plan.
    ElevatedUndo undo = PrepareElevatedUndo(ReadStoredDnsBaseline(files, DnsBaselinePath(OwnProtectedFolder())));
    if (undo.prepared.status != PreparedUndo::Status::Ready)
        return ActionExitForUndoNotReady(undo.prepared.status);
    if (!AskInUnicodeConfirmationBox(undo.prepared.confirmationText, kUndoConfirmationCaption))
        return ActionExitForDeclinedInWindow();
    return ActionExitForUndoOutcome(UndoOutcomeCode(undo.prepared.plan, undo.carryOut()));
}

// The settings as this run reads them become the baseline beside this executable; the caller hands over nothing.
// Where they differ from a stored baseline, the differences are shown in a window programs of the user cannot
// answer, and kept only on "Yes".
std::uint32_t KeepDnsBaseline() {
    const std::string path = DnsBaselinePath(OwnProtectedFolder());
    SystemResolutionReader reader;
    WinFileSystem files;
    const bool kept = KeepDnsBaselineIfConfirmed(
        files, path, reader.ReadAll(), [](const std::vector<ResolutionDifference>& differences) {
            return AskInUnicodeConfirmationBox(DnsBaselineConfirmationText(differences),
                                               kDnsBaselineConfirmationCaption);
        });
    return kept ? kActionExitDone : ActionExitForDeclinedInWindow();
}

std::uint32_t Carry(const PrivilegedAction& action) {
    switch (action.kind) {
        case PrivilegedActionKind::kWriteRunValue:
            // Always this executable's own path: the command line names no path at all.
            RegisterStartWithWindows();
            return kActionExitDone;
        case PrivilegedActionKind::kDeleteRunValue:
            UnregisterStartWithWindows();
            return kActionExitDone;
        case PrivilegedActionKind::kAllowDnsList:
            AllowDnsList(action.dnsList);
            return kActionExitDone;
        case PrivilegedActionKind::kUndoDnsChanges:
            return UndoDnsChanges();
        case PrivilegedActionKind::kKeepDnsBaseline:
            return KeepDnsBaseline();
        case PrivilegedActionKind::kSetDnsServers:
            break;
    }
    return ChangeDnsServers(action.assignments);
}

}  // namespace

std::uint32_t RunActionMode(std::string_view arguments) {
    const std::optional<PrivilegedAction> action = ParseActionArguments(arguments);
    if (!action)
        return ActionExitForRefusedCommandLine();
    try {
        return Carry(*action);
    } catch (const ERunValueRefused& error) {
        return ActionExitForError(error.code());
    } catch (const EComError& error) {
        return ActionExitForError(error.code());
    } catch (const EProgramUnprotected&) {
        // Only another program than this one's unelevated copy asks this of an unprotected program.
        return ActionExitForError(ERROR_ACCESS_DENIED);
    } catch (const EFileError& error) {
        return ActionExitForError(error.code() != 0 ? error.code() : static_cast<std::uint32_t>(E_FAIL));
    } catch (const std::exception&) {
        return ActionExitForError(static_cast<std::uint32_t>(E_FAIL));
    }
}

}  // namespace quillcrest
