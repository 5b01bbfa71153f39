#include "resolution/undo_confirmation.h"

namespace quillcrest {
namespace {

const char* ShortReason(UndoImpossibility why) {
    switch (why) {
        case UndoImpossibility::ServersFromNetwork:
            return "handed out by the network, which would hand them out again";
        case UndoImpossibility::NewAdapter:
            return "new since the baseline: nothing to put back";
        case UndoImpossibility::HostsFileTooLarge:
            return "over 16 MiB: the baseline kept only its digest";
        case UndoImpossibility::ValueKeptBySizeOnly:
            return "the baseline kept a value of it by its size only";
        case UndoImpossibility::NotAStoreItem:
            return "not a setting Quillcrest puts back";
        case UndoImpossibility::BeyondOneUndo:
            return "left for the next \"Undo\"";
    }
    return "";
}

}  // namespace

std::string UndoConfirmationText(const UndoPlan& plan) {
    std::string text = "Quillcrest will put these DNS settings back as the baseline recorded them:\n";
    for (const UndoItem& item : plan.items)
        text += item.setting + ": " + item.toDo + "\n";
    if (!plan.leftAlone.empty()) {
        text += "\nLeft as they are:\n";
        for (const UndoLeftAlone& left : plan.leftAlone)
            text += left.setting + ": " + ShortReason(left.why) + "\n";
    }
    text += "\nPut these settings back? If you did not ask for it just now, choose No.";
    return text;
}

}  // namespace quillcrest
