#pragma once

#include <cstddef>
#include <string>

#include "lookup/lookup_answer.h"

namespace quillcrest {

// A trimmed reply of at most this many characters cannot hold an answer and is only "unverified".
constexpr std::size_t kLongestUnverifiedReply = 30;

// The reply without leading and trailing bytes whose code is 32 or less (blanks and control characters).
std::string TrimReply(const std::string& reply);

// Classifies a reply that the exchange delivered and, when it is long enough, reads its ";"-separated fields:
// public address; server address; server host name; public country; server country; warning. Missing fields stay
// empty, fields past the sixth are ignored, a ";" inside double quotes does not split (the quotes are kept). A
// server address that starts with "127.", "192." or "10." gets the warning "None" whatever the sixth field says.
LookupResult ParseLookupReply(const std::string& reply);

}  // namespace quillcrest
