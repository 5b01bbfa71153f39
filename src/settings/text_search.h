#pragma once

#include <string>

namespace quillcrest {

// Positions are 1-based; 0 means "not found" (or, for a field position, "exhausted"). A negative start in
// SearchText and FindDelimiter searches from |start| blind to the case of ASCII letters. No operation throws:
// a bad argument gives 0 or the empty text.

// First position at or after |start| where pattern matches; "?" in the pattern stands for any one character.
int SearchText(const std::string& text, const std::string& pattern, int start);

// First position at or after start where sought occurs, bytes compared exactly.
int PosFrom(const std::string& text, const std::string& sought, int start);

// First position at or after |start| holding one of delimiters outside double quotes. Quote state is counted
// from |start|; a closing quote is itself found when '"' is among the delimiters.
int FindDelimiter(const std::string& text, const std::string& delimiters, int start);

// The field starting at pos, up to the next delimiter outside double quotes (quotes kept). Moves pos past that
// delimiter, or to 0 when the text is exhausted. Start with pos = 1; once pos is 0 every call gives "".
std::string NextField(const std::string& text, const std::string& delimiters, int& pos);

}  // namespace quillcrest
