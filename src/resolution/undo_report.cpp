#include "resolution/undo_report.h"

#include <variant>

namespace quillcrest {
namespace {

constexpr char kIpv6Properties[] = "\"Internet Protocol Version 6 (TCP/IPv6)\"";

// Where a person sets an adapter's IPv6 DNS servers when no program can.
std::string ByHand(const UndoItem& item) {
    const auto* servers = std::get_if<SetAdapterIpv6Servers>(&item.action);
    std::string what = "choose \"Obtain DNS server address automatically\"";
    if (servers && !servers->servers.empty()) {
        std::string list;
        for (const std::string& server : servers->servers)
            list += (list.empty() ? "" : ", ") + server;
        what = "enter " + list + " under \"Use the following DNS server addresses\"";
    }
    return std::string("Set them by hand: in the adapter's properties, open ") + kIpv6Properties + " and " + what;
}

std::string RefusalText(const UndoItem& item, const UndoItemOutcome& outcome) {
    switch (outcome.refusal) {
        case UndoRefusal::None:
            return item.done;
        case UndoRefusal::AccessDenied:
            return item.byPolicy ? "not put back: access was denied; a policy of the organisation holds this key"
                                 : "not put back: access was denied";
        case UndoRefusal::FileInUse:
            return "not written: another program holds the file open, so it was left as it was";
        case UndoRefusal::FunctionMissing:
            return "not set: this Windows cannot set IPv6 DNS servers by program (that takes Windows 10 version 2004 "
                   "or later). " +
                   ByHand(item);
        case UndoRefusal::NotTheHostsFileInUse:
            return "not written: Windows now reads its hosts file from another place, so this file was left as it was";
        case UndoRefusal::LocationNotPutBack:
            return "not written: its location could not be put back first, so the file was left as it was";
        case UndoRefusal::SecurityNotKept:
            return "not written: its owner and permissions could not be kept for the new content, so the file was "
                   "left as it was";
        case UndoRefusal::Failed:
            break;
    }
    return outcome.errorCode != 0 ? "not put back: Windows refused it (error " + std::to_string(outcome.errorCode) + ")"
                                  : std::string("not put back: Windows refused it");
}

std::string LeftAloneText(const UndoLeftAlone& left) {
    switch (left.why) {
        case UndoImpossibility::ServersFromNetwork:
            return "not changed: the network itself hands out " + left.servers +
                   " (through DHCPv6 or a router advertisement), so setting the adapter back to automatic servers "
                   "would bring the same back at once. What you can do: leave that network, or turn IPv6 off for "
                   "this adapter in its properties (untick " +
                   kIpv6Properties + ")";
        case UndoImpossibility::NewAdapter:
            return "nothing to put back: the adapter is new since the baseline was taken";
        case UndoImpossibility::HostsFileTooLarge:
            return "not written back: the file was larger than 16 MiB when the baseline was taken, so only its digest "
                   "was kept, not its content";
        case UndoImpossibility::ValueKeptBySizeOnly:
            return "not put back: the baseline kept a value of it larger than 1 MiB by its size only, not its data";
        case UndoImpossibility::NotAStoreItem:
            return "not put back: it is not a setting Quillcrest puts back";
        case UndoImpossibility::BeyondOneUndo:
            return "not put back yet: one \"Undo\" puts back at most " + std::to_string(kMostUndoItems) +
                   " settings; choose \"Undo\" again for the rest";
    }
    return "";
}

}  // namespace

std::string UndoReportText(const UndoPlan& plan, const UndoOutcome& outcome) {
    std::string done;
    std::string notDone;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        // An item without an outcome was not carried out, and is never reported as done.
        const UndoItemOutcome itemOutcome =
            i < outcome.items.size() ? outcome.items[i] : UndoItemOutcome{UndoRefusal::Failed, 0};
        const std::string line = plan.items[i].setting + ": " + RefusalText(plan.items[i], itemOutcome);
        if (itemOutcome.done())
            done += line + "\n";
        else
            notDone += line + ".\n";
    }
    const bool someRefused = !notDone.empty();
    for (const UndoLeftAlone& left : plan.leftAlone)
        notDone += left.setting + ": " + LeftAloneText(left) + ".\n";

    std::string text = done.empty() ? "Nothing was put back.\n" : "Put back:\n" + done;
    if (!notDone.empty())
        text += "\nNot put back:\n" + notDone;
    if (!done.empty() && someRefused)
        text += "\nWhat was put back stays as it is now.\n";
    if (TouchesPolicy(plan))
        text += "\nA group policy of your organisation may write the policy rules and policy DNS servers again.\n";
    text.pop_back();
    return text;
}

std::string UndoNotReadyText(const PreparedUndo& prepared) {
    switch (prepared.status) {
        case PreparedUndo::Status::NoBaseline:
            return std::string("Nothing was put back: there is no stored baseline (") + kDnsBaselineFileName +
                   " beside the program) to put back.";
        case PreparedUndo::Status::BaselineNotUsable:
            return "Nothing was put back: the stored baseline cannot be used (" + prepared.problem + ").";
        case PreparedUndo::Status::NothingToPutBack:
            if (prepared.plan.leftAlone.empty())
                return "Nothing was put back: the DNS settings no longer differ from the baseline.";
            return UndoReportText(prepared.plan, {});
        case PreparedUndo::Status::Ready:
            break;
    }
    return UndoReportText(prepared.plan, {});
}

}  // namespace quillcrest
