#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "geoip_country_lookup.h"
#include "lookup_responder.h"
#include "lookupd_fakes.h"
#include "rogue_list.h"
#include "system_host_name_resolver.h"

namespace quillcrest::lookupd {
namespace {

using testing::Address;
using testing::TableCountries;
using testing::TableNames;

const std::uint32_t kAsker = Address(203, 0, 113, 7);

// One request, the world the responder sees, and the reply that must come back (nothing: no reply).
struct AnswerCase {
    const char* name;
    std::uint32_t source;
    std::string request;
    std::optional<std::string> reply;
};

std::string AnswerCaseName(const ::testing::TestParamInfo<AnswerCase>& info) {
    return info.param.name;
}

const AnswerCase kAnswerCases[] = {
    {"KnownServer", kAsker, "8.8.8.8", "203.0.113.7;8.8.8.8;dns.google;Canada;United States;none"},
    {"RogueServer", kAsker, "85.255.112.36",
     "203.0.113.7;85.255.112.36;rogue.example;Canada;Romania;Rogue <a href=\"https://x.example/\">info</a>"},
    {"ServerWithoutName", kAsker, "9.9.9.9", "203.0.113.7;9.9.9.9;9.9.9.9;Canada;Switzerland;none"},
    {"TrailingDotOfTheNameIsDropped", kAsker, "1.1.1.1", "203.0.113.7;1.1.1.1;one.one.one.one;Canada;Unknown;none"},
    {"NameWithMarkupIsReplacedByTheAddress", kAsker, "6.6.6.6", "203.0.113.7;6.6.6.6;6.6.6.6;Canada;Unknown;none"},
    {"NameWithDelimiterIsReplacedByTheAddress", kAsker, "7.7.7.7", "203.0.113.7;7.7.7.7;7.7.7.7;Canada;Unknown;none"},
    {"PrivateAddressesHaveNoCountryAndNoName", Address(192, 168, 1, 20), "10.0.0.138",
     "192.168.1.20;10.0.0.138;10.0.0.138;Unknown;Unknown;none"},
    {"LoopbackAsker", Address(127, 0, 0, 1), "8.8.8.8", "127.0.0.1;8.8.8.8;dns.google;Unknown;United States;none"},
    {"HostNameAsRequestGetsNoReply", kAsker, "dns.google", std::nullopt},
    {"AddressWithLineEndGetsNoReply", kAsker, "8.8.8.8\r\n", std::nullopt},
    {"EmptyRequestGetsNoReply", kAsker, "", std::nullopt},
    {"BinaryRequestGetsNoReply", kAsker, std::string("\x00\x01\x02\x03\x04\x05\x06", 7), std::nullopt},
};

class LookupdResponderTest : public ::testing::TestWithParam<AnswerCase> {
  protected:
    LookupdResponderTest()
        : rogueList(RogueList::Parse("85.255.112.0/20 Rogue <a href=\"https://x.example/\">info</a>\n")),
          countries({{kAsker, "Canada"},
                     {Address(8, 8, 8, 8), "United States"},
                     {Address(9, 9, 9, 9), "Switzerland"},
                     {Address(85, 255, 112, 36), "Romania"},
                     // Neither database nor resolver is asked about private addresses, whatever they would say.
                     {Address(10, 0, 0, 138), "Atlantis"},
                     {Address(192, 168, 1, 20), "Atlantis"}}),
          names({{Address(8, 8, 8, 8), "dns.google"},
                 {Address(85, 255, 112, 36), "rogue.example"},
                 {Address(1, 1, 1, 1), "one.one.one.one."},
                 {Address(6, 6, 6, 6), "<b>evil</b>"},
                 {Address(7, 7, 7, 7), "a;b"},
                 {Address(10, 0, 0, 138), "gateway.lan"}}),
          responder(rogueList, countries, names) {}

    RogueList rogueList;
    TableCountries countries;
    TableNames names;
    LookupResponder responder;
};

TEST_P(LookupdResponderTest, AnswersWithTheSixFields) {
    const AnswerCase& c = GetParam();
    SCOPED_TRACE(c.name);
    const std::optional<std::string> reply = responder.Answer(c.source, c.request);
    EXPECT_EQ(reply, c.reply);
    if (reply) {
        EXPECT_LE(reply->size(), ReplyBudget(c.request.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Requests, LookupdResponderTest, ::testing::ValuesIn(kAnswerCases), AnswerCaseName);

// A host name for 1.2.3.4, the shortest request, whose reply has 252 bytes of text to spend: the other fields
// of the reply to kAsker take 41 of them.
struct NameLengthCase {
    const char* name;
    std::string hostName;
    std::string reply;
};

void PrintTo(const NameLengthCase& row, std::ostream* out) {
    *out << row.name;
}

class LookupdReplyNameLengthTest : public ::testing::TestWithParam<NameLengthCase> {};

TEST_P(LookupdReplyNameLengthTest, ANameThatDoesNotFitGivesWayToTheAddress) {
    const NameLengthCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const RogueList rogueList;
    TableCountries countries({});
    TableNames names({{Address(1, 2, 3, 4), row.hostName}});
    LookupResponder responder(rogueList, countries, names);

    const std::optional<std::string> reply = responder.Answer(kAsker, "1.2.3.4");

    EXPECT_EQ(reply, row.reply);
    EXPECT_LE(row.reply.size(), ReplyBudget(7));
}

const std::string kName211 = std::string(203, 'h') + ".example";

const NameLengthCase kNameLengthCases[] = {
    {"NameFillingTheBudgetExactlyIsSent", kName211, "203.0.113.7;1.2.3.4;" + kName211 + ";Unknown;Unknown;none"},
    {"NameOneOverTheBudgetGivesWayToTheAddress", "h" + kName211, "203.0.113.7;1.2.3.4;1.2.3.4;Unknown;Unknown;none"},
    {"LongNameGivesWayToTheAddress", std::string(230, 'h') + ".example",
     "203.0.113.7;1.2.3.4;1.2.3.4;Unknown;Unknown;none"},
};

INSTANTIATE_TEST_SUITE_P(Names,
                         LookupdReplyNameLengthTest,
                         ::testing::ValuesIn(kNameLengthCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LookupdReplySizeTest, TheShortestRequestAllowsAReplyOf252Bytes) {
    EXPECT_EQ(ReplyBudget(7), 252u);
    EXPECT_EQ(kNameLengthCases[0].reply.size(), 252u) << "the first name does not fill the budget exactly";
}

TEST(LookupdReplySizeTest, TheLongestWarningStillFitsTheShortestRequest) {
    const RogueList rogueList = RogueList::Parse("1.2.3.0/24 " + std::string(kLongestWarning, 'w'));
    // The longest country names of the database, for both ends.
    const std::string country = "South Georgia and the South Sandwich Islands";
    TableCountries countries({{Address(1, 2, 3, 4), country}, {Address(203, 100, 113, 117), country}});
    TableNames names({});
    LookupResponder responder(rogueList, countries, names);

    const std::optional<std::string> reply = responder.Answer(Address(203, 100, 113, 117), "1.2.3.4");

    ASSERT_TRUE(reply.has_value());
    EXPECT_LE(reply->size(), ReplyBudget(7));
}

TEST(LookupdReplySizeTest, AnAnswerThatCannotFitIsNotSent) {
    const RogueList rogueList = RogueList::Parse("1.2.3.0/24 " + std::string(kLongestWarning, 'w'));
    const std::string country(80, 'c');
    TableCountries countries({{Address(1, 2, 3, 4), country}, {kAsker, country}});
    TableNames names({});
    LookupResponder responder(rogueList, countries, names);

    EXPECT_EQ(responder.Answer(kAsker, "1.2.3.4"), std::nullopt);
}

TEST(LookupdSystemLookupsTest, LoopbackHasItsHostsFileName) {
    SystemHostNameResolver resolver;
    const std::optional<std::string> name = resolver.NameOf(Address(127, 0, 0, 1));
    ASSERT_TRUE(name.has_value());
    EXPECT_FALSE(name->empty());
}

TEST(LookupdSystemLookupsTest, TheCountryDatabaseAnswersOffline) {
    GeoIpCountryLookup countries;
    if (!countries.opened())
        GTEST_SKIP() << "no country database installed";
    EXPECT_EQ(countries.CountryOf(Address(8, 8, 8, 8)), "United States");
    EXPECT_EQ(countries.CountryOf(Address(127, 0, 0, 1)), std::nullopt);
}

TEST(LookupdSystemLookupsTest, AMissingCountryDatabaseKnowsNothing) {
    GeoIpCountryLookup countries("/nonexistent/GeoIP.dat");
    EXPECT_FALSE(countries.opened());
    EXPECT_EQ(countries.CountryOf(Address(8, 8, 8, 8)), std::nullopt);
}

}  // namespace
}  // namespace quillcrest::lookupd
