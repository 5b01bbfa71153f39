#pragma once

#include <string>

#include "base/ascii_case.h"
#include "base/text_equality.h"

namespace quillcrest {

// The text the start-with-Windows value holds for an executable: the path itself, in double quotes when it holds
// a blank, so that Windows cannot take "C:\Program" for the program to start.
std::string RunEntryFor(const std::string& exePath);

// True when the stored value names this executable: equal to its path, letter case aside, once one pair of
// surrounding double quotes is removed.
bool RunEntryNames(const std::string& storedValue,
                   const std::string& exePath,
                   const TextEquality& equals = EqualIgnoringAsciiCase);

}  // namespace quillcrest
