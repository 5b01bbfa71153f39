#include "settings/text_search.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace quillcrest {
namespace {

constexpr std::size_t kCharCount = 256;
// Positions are ints, and NextField must still be able to step one past the last character.
constexpr std::size_t kMaxTextLength = static_cast<std::size_t>(std::numeric_limits<int>::max()) - 1;
// More delimiter characters than there are byte values can only be a caller's mistake.
constexpr std::size_t kMaxDelimiters = kCharCount;
constexpr char kQuote = '"';
constexpr char kWildcard = '?';
constexpr unsigned char kCaseBit = 0x20;

constexpr std::array<unsigned char, kCharCount> MakeCasePartners() {
    std::array<unsigned char, kCharCount> table{};
    for (std::size_t c = 0; c < kCharCount; ++c) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        table[c] = static_cast<unsigned char>(letter ? (c ^ kCaseBit) : c);
    }
    return table;
}

// Only ASCII letters have partners: bytes 128..255 mean different letters in different code pages.
constexpr std::array<unsigned char, kCharCount> kCasePartner = MakeCasePartners();

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// |start| without overflow for the most negative int; the result is only compared against text lengths.
long long Magnitude(int start) {
    return start < 0 ? -static_cast<long long>(start) : static_cast<long long>(start);
}

}  // namespace

int SearchText(const std::string& text, const std::string& pattern, int start) {
    if (text.empty() || pattern.empty() || start == 0 || text.size() > kMaxTextLength)
        return 0;
    const long long length = static_cast<long long>(text.size());
    const long long patternLength = static_cast<long long>(pattern.size());
    const long long from = Magnitude(start);
    if (from > length || patternLength > length - from + 1)
        return 0;
    const bool blindToCase = start < 0;

    for (long long i = from; i <= length - patternLength + 1; ++i) {
        bool matches = true;
        for (long long j = 0; j < patternLength && matches; ++j) {
            const unsigned char p = Byte(pattern[j]);
            const unsigned char s = Byte(text[i - 1 + j]);
            matches = p == Byte(kWildcard) || p == s || (blindToCase && kCasePartner[p] == s);
        }
        if (matches)
            return static_cast<int>(i);
    }
    return 0;
}

int PosFrom(const std::string& text, const std::string& sought, int start) {
    const long long length = static_cast<long long>(text.size());
    const long long soughtLength = static_cast<long long>(sought.size());
    if (text.empty() || sought.empty() || start < 1 || start > length || text.size() > kMaxTextLength)
        return 0;
    if (soughtLength > length - start + 1)
        return 0;

    const long long lastStart = length - soughtLength + 1;
    for (long long i = start; i <= lastStart; ++i) {
        if (text[i - 1] != sought[0])
            continue;
        long long j = soughtLength - 1;
        while (j > 0 && text[i - 1 + j] == sought[j])
            --j;
        if (j == 0)
            return static_cast<int>(i);
    }
    return 0;
}

int FindDelimiter(const std::string& text, const std::string& delimiters, int start) {
    const long long length = static_cast<long long>(text.size());
    const long long from = Magnitude(start);
    if (text.empty() || delimiters.empty() || start == 0 || from > length || delimiters.size() > kMaxDelimiters ||
        text.size() > kMaxTextLength)
        return 0;

    // Built per call rather than kept in a shared buffer, so concurrent callers cannot disturb each other.
    std::bitset<kCharCount> delimiterSet;
    for (char d : delimiters) {
        delimiterSet.set(Byte(d));
        if (start < 0)
            delimiterSet.set(kCasePartner[Byte(d)]);
    }

    bool insideQuotes = false;
    for (long long p = from; p <= length; ++p) {
        const char c = text[p - 1];
        if (c == kQuote) {
            insideQuotes = !insideQuotes;
            if (insideQuotes)
                continue;
        } else if (insideQuotes) {
            continue;
        }
        if (delimiterSet.test(Byte(c)))
            return static_cast<int>(p);
    }
    return 0;
}

std::string NextField(const std::string& text, const std::string& delimiters, int& pos) {
    if (pos < 1 || static_cast<std::size_t>(pos) > text.size() || delimiters.empty() || text.size() > kMaxTextLength) {
        pos = 0;
        return std::string();
    }
    const int delimiter = FindDelimiter(text, delimiters, pos);
    const std::size_t first = static_cast<std::size_t>(pos) - 1;
    if (delimiter > 0) {
        std::string field = text.substr(first, static_cast<std::size_t>(delimiter - pos));
        pos = delimiter + 1;
        return field;
    }
    pos = 0;
    return text.substr(first);
}

}  // namespace quillcrest
