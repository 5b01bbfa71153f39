#include "html/html_entities.h"

#include <cstdint>

#include "html/html_text.h"

namespace quillcrest {
namespace {

struct NamedReference {
    const char* name;
    unsigned char byte;
};

// Names are matched exactly: "&Auml;" and "&auml;" are different letters.
constexpr NamedReference kNamedReferences[] = {
    {"quot", 0x22},   {"amp", 0x26},    {"apos", 0x27},   {"lt", 0x3C},     {"gt", 0x3E},     {"euro", 0x80},
    {"sbquo", 0x82},  {"fnof", 0x83},   {"bdquo", 0x84},  {"hellip", 0x85}, {"dagger", 0x86}, {"Dagger", 0x87},
    {"circ", 0x88},   {"permil", 0x89}, {"Scaron", 0x8A}, {"lsaquo", 0x8B}, {"OElig", 0x8C},  {"lsquo", 0x91},
    {"rsquo", 0x92},  {"ldquo", 0x93},  {"rdquo", 0x94},  {"bull", 0x95},   {"ndash", 0x96},  {"mdash", 0x97},
    {"tilde", 0x98},  {"trade", 0x99},  {"scaron", 0x9A}, {"rsaquo", 0x9B}, {"oelig", 0x9C},  {"Yuml", 0x9F},
    {"nbsp", 0xA0},   {"iexcl", 0xA1},  {"cent", 0xA2},   {"pound", 0xA3},  {"curren", 0xA4}, {"yen", 0xA5},
    {"brvbar", 0xA6}, {"sect", 0xA7},   {"uml", 0xA8},    {"copy", 0xA9},   {"ordf", 0xAA},   {"laquo", 0xAB},
    {"not", 0xAC},    {"shy", 0xAD},    {"reg", 0xAE},    {"macr", 0xAF},   {"deg", 0xB0},    {"plusmn", 0xB1},
    {"sup2", 0xB2},   {"sup3", 0xB3},   {"acute", 0xB4},  {"micro", 0xB5},  {"para", 0xB6},   {"middot", 0xB7},
    {"cedil", 0xB8},  {"sup1", 0xB9},   {"ordm", 0xBA},   {"raquo", 0xBB},  {"frac14", 0xBC}, {"frac12", 0xBD},
    {"frac34", 0xBE}, {"iquest", 0xBF}, {"Agrave", 0xC0}, {"Aacute", 0xC1}, {"Acirc", 0xC2},  {"Atilde", 0xC3},
    {"Auml", 0xC4},   {"Aring", 0xC5},  {"AElig", 0xC6},  {"Ccedil", 0xC7}, {"Egrave", 0xC8}, {"Eacute", 0xC9},
    {"Ecirc", 0xCA},  {"Euml", 0xCB},   {"Igrave", 0xCC}, {"Iacute", 0xCD}, {"Icirc", 0xCE},  {"Iuml", 0xCF},
    {"ETH", 0xD0},    {"Ntilde", 0xD1}, {"Ograve", 0xD2}, {"Oacute", 0xD3}, {"Ocirc", 0xD4},  {"Otilde", 0xD5},
    {"Ouml", 0xD6},   {"times", 0xD7},  {"Oslash", 0xD8}, {"Ugrave", 0xD9}, {"Uacute", 0xDA}, {"Ucirc", 0xDB},
    {"Uuml", 0xDC},   {"Yacute", 0xDD}, {"THORN", 0xDE},  {"szlig", 0xDF},  {"agrave", 0xE0}, {"aacute", 0xE1},
    {"acirc", 0xE2},  {"atilde", 0xE3}, {"auml", 0xE4},   {"aring", 0xE5},  {"aelig", 0xE6},  {"ccedil", 0xE7},
    {"egrave", 0xE8}, {"eacute", 0xE9}, {"ecirc", 0xEA},  {"euml", 0xEB},   {"igrave", 0xEC}, {"iacute", 0xED},
    {"icirc", 0xEE},  {"iuml", 0xEF},   {"eth", 0xF0},    {"ntilde", 0xF1}, {"ograve", 0xF2}, {"oacute", 0xF3},
    {"ocirc", 0xF4},  {"otilde", 0xF5}, {"ouml", 0xF6},   {"divide", 0xF7}, {"oslash", 0xF8}, {"ugrave", 0xF9},
    {"uacute", 0xFA}, {"ucirc", 0xFB},  {"uuml", 0xFC},   {"yacute", 0xFD}, {"thorn", 0xFE},  {"yuml", 0xFF},
};

struct CodePage1252Special {
    std::uint32_t codePoint;
    unsigned char byte;
};

// Unicode characters that Windows-1252 keeps in 0x80-0x9F.
constexpr CodePage1252Special kSpecials[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86}, {0x2021, 0x87},
    {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C}, {0x017D, 0x8E}, {0x2018, 0x91},
    {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98},
    {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};

constexpr char kUnmappable = '?';

bool IsAsciiAlphanumeric(char c) {
    return IsAsciiLetter(c) || IsAsciiDigit(c);
}

int DigitValue(char c, bool hex) {
    if (IsAsciiDigit(c))
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char CodePointToByte(std::uint32_t codePoint) {
    if (codePoint == 0)
        return kUnmappable;
    // Numeric references to 128-159 mean the Windows-1252 characters there, as every browser reads them.
    if (codePoint < 0x100)
        return static_cast<char>(codePoint);
    for (const CodePage1252Special& special : kSpecials) {
        if (special.codePoint == codePoint)
            return static_cast<char>(special.byte);
    }
    return kUnmappable;
}

// Reads a reference starting at text[at] == '&'. Gives the byte and the length consumed, or length 0.
std::size_t ReadReference(std::string_view text, std::size_t at, ReferencePlace place, char& byte) {
    std::size_t pos = at + 1;
    if (pos < text.size() && text[pos] == '#') {
        ++pos;
        bool hex = pos < text.size() && (text[pos] == 'x' || text[pos] == 'X');
        if (hex)
            ++pos;
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && DigitValue(text[pos], hex) >= 0) {
            if (digits == kMaxNumericReferenceDigits)
                return 0;
            value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(DigitValue(text[pos], hex));
            ++digits;
            ++pos;
        }
        if (digits == 0)
            return 0;
        if (pos < text.size() && text[pos] == ';')
            ++pos;
        byte = CodePointToByte(value);
        return pos - at;
    }
    std::size_t nameEnd = pos;
    while (nameEnd < text.size() && IsAsciiAlphanumeric(text[nameEnd]) && nameEnd - pos <= kMaxEntityNameLength)
        ++nameEnd;
    std::string_view name = text.substr(pos, nameEnd - pos);
    if (name.empty() || name.size() > kMaxEntityNameLength)
        return 0;
    for (const NamedReference& reference : kNamedReferences) {
        if (name == reference.name) {
            // Old pages often leave out the semicolon; the name then simply ends at the first other character.
            if (nameEnd < text.size() && text[nameEnd] == ';') {
                ++nameEnd;
            } else if (place == ReferencePlace::AttributeValue && nameEnd < text.size() &&
                       (text[nameEnd] == '=' || IsAsciiAlphanumeric(text[nameEnd]))) {
                return 0;
            }
            byte = static_cast<char>(reference.byte);
            return nameEnd - at;
        }
    }
    return 0;
}

}  // namespace

std::string DecodeCharacterReferences(std::string_view text, ReferencePlace place) {
    std::string decoded;
    decoded.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '&') {
            char byte = 0;
            std::size_t length = ReadReference(text, at, place, byte);
            if (length > 0) {
                decoded.push_back(byte);
                at += length;
                continue;
            }
        }
        decoded.push_back(text[at] == '\0' ? kUnmappable : text[at]);
        ++at;
    }
    return decoded;
}

}  // namespace quillcrest
