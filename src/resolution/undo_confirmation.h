#pragma once

#include <string>

#include "resolution/undo_plan.h"

namespace quillcrest {

// The window in which the run that puts settings back asks before it acts. The consent prompt names only the
// program; this text names every setting and what becomes of it.
inline constexpr char kUndoConfirmationCaption[] = "Quillcrest: Confirm Undo";

// What the plan will put back, one line per item ("<setting>: <what it does>"); then, when there are any, the
// differences it leaves as they are, one line each with the short reason; then the question, which "No" answers
// by default:
//   Quillcrest will put these DNS settings back as the baseline recorded them:
//   name resolution rule ".corp.example" ("policy rules"): delete it
//   hosts file ("C:\Windows\System32\drivers\etc\hosts"): write back its recorded content (30 bytes)
//
//   Left as they are:
//   IPv6 DNS servers ("Wi-Fi"): handed out by the network, which would hand them out again
//
//   Put these settings back? If you did not ask for it just now, choose No.
std::string UndoConfirmationText(const UndoPlan& plan);

}  // namespace quillcrest
