#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/lookup_reply.h"
#include "lookup/report_builder.h"

namespace quillcrest {
namespace {

// The report's fixed lines, as the HTML view receives them.
const std::string kNotOpenDns =
    R"(<font face="Tahoma" size="1" color="#FF0000"><img align=bottom src="warning.gif" border="0"> <b>Your primary DNS server is NOT an OpenDNS server</b></font><br><br>)";
const std::string kIsOpenDns =
    R"(<font face="Tahoma" size="1" color="#008000"><img align=bottom alt="" src="check2.gif" border="0"><b> Your primary DNS server is an OpenDNS server</b></font><br><br>)";
const std::string kUnreachable = R"(<font face="Tahoma" size="1"><b>Unable to connect to lookup server</b> <br>)";
const std::string kUnverified = R"(<font face="Tahoma" size="1"><b>Could not verify DNS</b> <br>)";

std::vector<std::string> PublicBlock(const std::string& address, const std::string& country, const std::string& count) {
    return {
        R"(<font face="Tahoma" size="1" color="#008000"><b>Your Public IP Address is:</b> )" + address + "</font><br>",
        R"(<font face="Tahoma" size="1" color="#008000"><b>Your Country is:</b> )" + country + "</font><br>",
        "<br>",
        R"(<font face="Tahoma" size="1" color="#0000ff"><img align=bpttom src="information.gif" border="0"><b> Your computer has )" +
            count + R"( DNS servers defined.</font></b> <br>)",
        "<br>",
    };
}

std::vector<std::string> ServerBlock(const std::string& n,
                                     const std::string& address,
                                     const std::string& host,
                                     const std::string& country,
                                     const std::string& warningLine) {
    return {
        R"(<b><font face="Tahoma" size="1" color="#000099">Results for DNS Server )" + n + "</font></b><br>",
        R"(<font face="Tahoma" size="1"><b>IP Address:</b> )" + address + "</font><br>",
        R"(<font face="Tahoma" size="1"><b>Host Name:</b> )" + host + "</font><br>",
        R"(<font face="Tahoma" size="1"><b>Country:</b> )" + country + "</font><br>",
        warningLine,
        "<br>",
    };
}

std::string QuietWarning(const std::string& text) {
    return R"(<b><font face="Tahoma" size="1">Warnings:</b> )" + text + "</font><br>";
}

std::string RedWarning(const std::string& text) {
    return R"(<font face="Tahoma" size="1" color="#FF0000"><b>Warnings:</b> )" + text + "</font><br>";
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Results come from replies as the service sends them, so the private-address rule takes part; asked is the
// address the program sent.
LookupResult Answered(const std::string& asked, const std::string& reply) {
    LookupResult result = ParseLookupReply(reply);
    EXPECT_EQ(result.Outcome, LookupOutcome::Answered) << reply;
    result.AskedServer = asked;
    return result;
}

LookupResult Unreachable() {
    return LookupResult{LookupOutcome::Unreachable, {}, {}};
}

LookupResult Unverified() {
    return LookupResult{LookupOutcome::Unverified, {}, {}};
}

// One lookup run: the results per configured server, the default list it is compared with, and the whole
// report that must come out.
struct ReportCase {
    const char* name;
    std::vector<LookupResult> results;
    std::string defaultDnsList;
    std::vector<std::string> lines;
    std::string reportedServers;
    int warningsCount;
    bool offerSaveAsDefault;
    LookupRunEnding ending;
};

std::string CaseName(const ::testing::TestParamInfo<ReportCase>& info) {
    return info.param.name;
}

std::vector<ReportCase> ReportCases() {
    return {
        {"AllServersUnreachable",
         {Unreachable(), Unreachable()},
         "8.8.8.8",
         {kNotOpenDns, kUnreachable, kUnreachable},
         "",
         0,
         false,
         LookupRunEnding::Silent},
        {"UnverifiedServerAlone",
         {Unverified()},
         "",
         {kNotOpenDns, kUnverified},
         "",
         0,
         false,
         LookupRunEnding::Silent},
        {"OpenDnsPrimaryWithQuietWarnings",
         {Answered("208.67.222.222", "203.0.113.7;208.67.222.222;resolver1.OpenDNS.com;Canada;United States;none"),
          Answered("208.67.220.220", "203.0.113.7;208.67.220.220;resolver2.opendns.com;Canada;United States;NONE")},
         "208.67.222.222,208.67.220.220",
         Joined({PublicBlock("203.0.113.7", "Canada", "2"),
                 {kIsOpenDns},
                 ServerBlock("1", "208.67.222.222", "resolver1.OpenDNS.com", "United States", QuietWarning("none")),
                 ServerBlock("2", "208.67.220.220", "resolver2.opendns.com", "United States", QuietWarning("NONE"))}),
         "208.67.222.222,208.67.220.220",
         0,
         false,
         LookupRunEnding::NoWarnings},
        {"FailedPrimaryIsNotOpenDnsEvenWhenTheSecondIs",
         {Unreachable(),
          Answered("208.67.220.220", "203.0.113.7;208.67.220.220;resolver2.opendns.com;Canada;United States;none")},
         "",
         Joined({PublicBlock("203.0.113.7", "Canada", "2"),
                 {kNotOpenDns, kUnreachable},
                 ServerBlock("2", "208.67.220.220", "resolver2.opendns.com", "United States", QuietWarning("none"))}),
         "208.67.220.220",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"EmptyWarningIsRedAndCounts",
         {Answered("85.255.112.36", "203.0.113.7;85.255.112.36;rogue.example;Canada;Romania;")},
         "85.255.112.36",
         Joined({PublicBlock("203.0.113.7", "Canada", "1"),
                 {kNotOpenDns},
                 ServerBlock("1", "85.255.112.36", "rogue.example", "Romania", RedWarning(""))}),
         "85.255.112.36",
         1,
         false,
         LookupRunEnding::WarningsFound},
        {"WarningWithLinkEntersUnchanged",
         {Answered("85.255.112.36",
                   "203.0.113.7;85.255.112.36;rogue.example;Canada;Romania;Rogue server <a href=\"x\">more</a>"),
          Answered("64.28.176.1", "203.0.113.7;64.28.176.1;rogue2.example;Canada;United States;Rogue too")},
         "",
         Joined({PublicBlock("203.0.113.7", "Canada", "2"),
                 {kNotOpenDns},
                 ServerBlock("1", "85.255.112.36", "rogue.example", "Romania",
                             RedWarning("Rogue server <a href=\"x\">more</a>")),
                 ServerBlock("2", "64.28.176.1", "rogue2.example", "United States", RedWarning("Rogue too"))}),
         "85.255.112.36,64.28.176.1",
         2,
         true,
         LookupRunEnding::WarningsFound},
        {"PrivateServerShowsNoneWhateverTheServiceSays",
         {Answered("192.168.0.1", "203.0.113.7;192.168.0.1;router;Canada;Unknown;Rogue server")},
         "",
         Joined({PublicBlock("203.0.113.7", "Canada", "1"),
                 {kNotOpenDns},
                 ServerBlock("1", "192.168.0.1", "router", "Unknown", QuietWarning("None"))}),
         "192.168.0.1",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"FirstUnansweredSecondAnsweredHasNoLeadingComma",
         {Unverified(), Answered("9.9.9.9", "198.51.100.9;9.9.9.9;dns9.quad9.net;Germany;Switzerland;none"),
          Unreachable()},
         "9.9.9.9,1.1.1.1",
         Joined({PublicBlock("198.51.100.9", "Germany", "3"),
                 {kNotOpenDns, kUnverified},
                 ServerBlock("2", "9.9.9.9", "dns9.quad9.net", "Switzerland", QuietWarning("none")),
                 {kUnreachable}}),
         "9.9.9.9",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"PublicAddressOfTheLastAnsweredServerHeadsTheReport",
         {Answered("8.8.8.8", "198.51.100.1;8.8.8.8;dns.google;France;United States;none"),
          Answered("8.8.4.4", "198.51.100.2;8.8.4.4;dns.google;Spain;United States;none")},
         "8.8.8.8",
         Joined({PublicBlock("198.51.100.2", "Spain", "2"),
                 {kNotOpenDns},
                 ServerBlock("1", "8.8.8.8", "dns.google", "United States", QuietWarning("none")),
                 ServerBlock("2", "8.8.4.4", "dns.google", "United States", QuietWarning("none"))}),
         "8.8.8.8,8.8.4.4",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"AnswerWithoutPublicAddressHasNoPublicBlock",
         {Answered("8.8.8.8", ";8.8.8.8;dns.google;France;United States;none;;;;;")},
         "",
         Joined({{kNotOpenDns}, ServerBlock("1", "8.8.8.8", "dns.google", "United States", QuietWarning("none"))}),
         "8.8.8.8",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"ReportedServersEqualToTheDefaultApartFromCaseOfferNothing",
         {Answered("FE.example.server", "203.0.113.7;FE.example.server;host;Canada;Canada;none")},
         "fe.EXAMPLE.server",
         Joined({PublicBlock("203.0.113.7", "Canada", "1"),
                 {kNotOpenDns},
                 ServerBlock("1", "FE.example.server", "host", "Canada", QuietWarning("none"))}),
         "FE.example.server",
         0,
         false,
         LookupRunEnding::NoWarnings},
        {"OneCharacterServerListIsNeverOffered",
         {Answered("x", "203.0.113.7;x;a-long-enough-host-name;Canada;Canada;none")},
         "8.8.8.8",
         Joined({PublicBlock("203.0.113.7", "Canada", "1"),
                 {kNotOpenDns},
                 ServerBlock("1", "x", "a-long-enough-host-name", "Canada", QuietWarning("none"))}),
         "x",
         0,
         false,
         LookupRunEnding::NoWarnings},
        // A forged reply names an attacker's resolver, or a list with markup: the report shows what it said, but
        // the list kept for "Save as Default" is the one asked about, which equals the default and offers nothing.
        {"ReplyNamingOtherServersCannotPlantThem",
         {Answered("9.9.9.9", "203.0.113.7;6.6.6.6;evil.example;Canada;Canada;none"),
          Answered("149.112.112.112", "203.0.113.7;1.1.1.1,6.6.6.6<b>;evil.example;Canada;Canada;none")},
         "9.9.9.9,149.112.112.112",
         Joined({PublicBlock("203.0.113.7", "Canada", "2"),
                 {kNotOpenDns},
                 ServerBlock("1", "6.6.6.6", "evil.example", "Canada", QuietWarning("none")),
                 ServerBlock("2", "1.1.1.1,6.6.6.6<b>", "evil.example", "Canada", QuietWarning("none"))}),
         "9.9.9.9,149.112.112.112",
         0,
         false,
         LookupRunEnding::NoWarnings},
    };
}

class LookupReportBuilderTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(LookupReportBuilderTest, BuildsTheWholeReport) {
    const ReportCase& c = GetParam();
    SCOPED_TRACE(c.name);

    const LookupReport report = BuildLookupReport(c.results, c.defaultDnsList);

    EXPECT_EQ(report.lines, c.lines);
    EXPECT_EQ(report.reportedServers, c.reportedServers);
    EXPECT_EQ(report.warningsCount, c.warningsCount);
    EXPECT_EQ(report.offerSaveAsDefault, c.offerSaveAsDefault);
    EXPECT_EQ(report.ending, c.ending);
}

INSTANTIATE_TEST_SUITE_P(Runs, LookupReportBuilderTest, ::testing::ValuesIn(ReportCases()), CaseName);

TEST(LookupReportDocumentTest, EveryLineEndsWithCarriageReturnAndLineFeed) {
    const LookupReport report = BuildLookupReport({Unreachable()}, "");

    EXPECT_EQ(report.Html(), kNotOpenDns + "\r\n" + kUnreachable + "\r\n");
}

TEST(LookupReportDocumentTest, NoServersGiveOnlyTheNoticeAndNoOffer) {
    const LookupReport report = BuildLookupReport({}, "");

    EXPECT_EQ(report.lines, std::vector<std::string>{kNotOpenDns});
    EXPECT_FALSE(report.offerSaveAsDefault);
    EXPECT_EQ(report.ending, LookupRunEnding::Silent);
}

TEST(LookupReportDocumentTest, WarningBoxNamesTheCountAndExplains) {
    EXPECT_EQ(WarningsFoundMessage(2),
              "Warnings found: 2\r\n\r\nIf your results indicate your DNS had been hijacked, please click on the link "
              "shown for more information.\r\nIf your warnings indicate your countries do not match, this does not "
              "necessarily mean you have a problem. You should pay particular attention to the DNS server country. "
              "If the country indicated seems suspicious to you, we strongly recommend that you check with your "
              "Internet Service Provider.");
}

}  // namespace
}  // namespace quillcrest
