#pragma once

#include <string>

namespace quillcrest {

// Asks a Yes/No question in a message box of this process, with the question-mark icon, "No" as the default
// button, above other windows. For a process that has no window of its own: the box is brought up however the
// process was started (a starter may ask for its windows hidden). True only for "Yes"; raises an Exception with
// the system's reason when the box cannot be shown.
bool AskInConfirmationBox(const std::string& text, const char* caption);
// The same for a UTF-8 text (names of adapters and hosts as Windows and the hosts file give them), shown through the
// UTF-16 functions.
bool AskInUnicodeConfirmationBox(const std::string& text, const char* caption);

}  // namespace quillcrest
