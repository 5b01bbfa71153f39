#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "html/html_color.h"
#include "html/html_entities.h"
#include "html/html_length.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using quillcrest::fakes::RowName;

struct EntityCase {
    const char* name;
    std::string source;
    std::string expected;
};

class HtmlEntitiesTest : public ::testing::TestWithParam<EntityCase> {};

TEST_P(HtmlEntitiesTest, DecodesToCodePage1252) {
    const EntityCase& c = GetParam();
    SCOPED_TRACE(c.source);
    EXPECT_EQ(DecodeCharacterReferences(c.source), c.expected);
}

const EntityCase kEntityCases[] = {
    {"markup characters", "&lt;b&gt; &amp; &quot;x&quot; &apos;", "<b> & \"x\" '"},
    {"no break space", "a&nbsp;b",
     "a\xA0"
     "b"},
    {"latin letters keep their case", "&Auml;&auml;&eacute;&szlig;&yuml;", "\xC4\xE4\xE9\xDF\xFF"},
    {"symbols of the upper half", "&copy;&reg;&deg;&frac12;&times;", "\xA9\xAE\xB0\xBD\xD7"},
    {"windows specials", "&euro;&trade;&hellip;&mdash;&bull;&ldquo;&rdquo;", "\x80\x99\x85\x97\x95\x93\x94"},
    {"decimal reference", "&#65;&#233;", "A\xE9"},
    {"hexadecimal reference either case", "&#x41;&#X6a;", "Aj"},
    {"numeric 150 means the en dash", "&#150;", "\x96"},
    {"unicode en dash maps into the code page", "&#8211;&#x20AC;", "\x96\x80"},
    {"character outside the code page", "&#x4E2D;", "?"},
    {"numeric NUL becomes a question mark", "a&#0;b", "a?b"},
    {"raw NUL byte becomes a question mark", std::string("a\0b", 3), "a?b"},
    {"missing semicolon after a known name", "&copy 2009 &amp more", "\xA9 2009 & more"},
    {"unknown name stays", "&bogus; &", "&bogus; &"},
    {"name too long to be one stays", "&amplifiers;", "&amplifiers;"},
    {"numeric without digits stays", "&#; &#x;", "&#; &#x;"},
    {"too many digits stay", "&#0000000065;", "&#0000000065;"},
    {"huge number cannot overflow", "&#99999999;", "?"},
    {"ampersand at the very end", "a&", "a&"},
    {"names are case sensitive", "&AMP;", "&AMP;"},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlEntitiesTest, ::testing::ValuesIn(kEntityCases), RowName<EntityCase>);

struct ColorCase {
    const char* name;
    std::string source;
    std::optional<HtmlColor> expected;
};

class HtmlColorTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(HtmlColorTest, ReadsColourAttributes) {
    const ColorCase& c = GetParam();
    SCOPED_TRACE(c.source);
    std::optional<HtmlColor> color = ParseHtmlColor(c.source);
    ASSERT_EQ(color.has_value(), c.expected.has_value());
    if (color) {
        EXPECT_EQ(color->red, c.expected->red);
        EXPECT_EQ(color->green, c.expected->green);
        EXPECT_EQ(color->blue, c.expected->blue);
    }
}

const ColorCase kColorCases[] = {
    {"six digits", "#000099", HtmlColor{0x00, 0x00, 0x99}},
    {"lower case digits", "#ff00aa", HtmlColor{0xFF, 0x00, 0xAA}},
    {"without the hash", "008000", HtmlColor{0x00, 0x80, 0x00}},
    {"three digits", "#0f0", HtmlColor{0x00, 0xFF, 0x00}},
    {"name in any case", "ReD", HtmlColor{0xFF, 0x00, 0x00}},
    {"blanks around", "  navy ", HtmlColor{0x00, 0x00, 0x80}},
    {"not a digit", "#00GG00", std::nullopt},
    {"wrong length", "#12345", std::nullopt},
    {"unknown name", "reddish", std::nullopt},
    {"empty", "", std::nullopt},
    {"hash alone", "#", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlColorTest, ::testing::ValuesIn(kColorCases), RowName<ColorCase>);

struct LengthCase {
    const char* name;
    std::string source;
    bool present;
    int value;
    bool percent;
};

class HtmlLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(HtmlLengthTest, ReadsSizeAttributes) {
    const LengthCase& c = GetParam();
    SCOPED_TRACE(c.source);
    std::optional<HtmlLength> length = ParseHtmlLength(c.source, 1000);
    ASSERT_EQ(length.has_value(), c.present);
    if (length) {
        EXPECT_EQ(length->value, c.value);
        EXPECT_EQ(length->percent, c.percent);
    }
}

const LengthCase kLengthCases[] = {
    {"pixels", "300", true, 300, false},
    {"percent", "50%", true, 50, true},
    {"unit after the number is ignored", "120px", true, 120, false},
    {"fraction keeps the whole part", "33.3%", true, 33, true},
    {"blanks and plus sign", " +12 ", true, 12, false},
    {"cut to the limit", "99999999999999999999", true, 1000, false},
    {"no digits", "wide", false, 0, false},
    {"minus sign is no number", "-5", false, 0, false},
    {"empty", "", false, 0, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlLengthTest, ::testing::ValuesIn(kLengthCases), RowName<LengthCase>);

TEST(HtmlLengthResolveTest, PercentIsTakenOfTheWholeAndPixelsStay) {
    EXPECT_EQ((HtmlLength{50, true}).Resolve(300), 150);
    EXPECT_EQ((HtmlLength{100, true}).Resolve(-20), 0);
    EXPECT_EQ((HtmlLength{70, false}).Resolve(300), 70);
}

}  // namespace
}  // namespace quillcrest
