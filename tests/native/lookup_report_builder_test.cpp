#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "lookup/lookup_reply.h"
#include "lookup/report_builder.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

// Two lines that several documents below hold, exactly as the HTML view receives them.
const std::string kNotOpenDns =
    R"(<font face="Tahoma" size="1" color="#FF0000"><img align=bottom src="warning.gif" border="0"> <b>Your primary DNS server is NOT an OpenDNS server</b></font><br><br>)";
const std::string kUnreachable = R"(<font face="Tahoma" size="1"><b>Unable to connect to lookup server</b> <br>)";

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

// One lookup run and the report's lines exactly as the HTML view receives them.
struct HtmlCase {
    const char* name;
    std::vector<LookupResult> results;
    std::vector<std::string> lines;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const HtmlCase& row, std::ostream* out) {
    *out << row.name;
}

const std::vector<HtmlCase>& HtmlCases() {
    static const std::vector<HtmlCase> cases = {
        {"NoServers", {}, {kNotOpenDns}},
        {"OneServerWithItsNameAndCountry",
         {Answered("208.67.222.222", "203.0.113.7;208.67.222.222;resolver1.opendns.com;Canada;United States;none")},
         {
             R"(<font face="Tahoma" size="1" color="#008000"><b>Your Public IP Address is:</b> 203.0.113.7</font><br>)",
             R"(<font face="Tahoma" size="1" color="#008000"><b>Your Country is:</b> Canada</font><br>)",
             R"(<br>)",
             R"(<font face="Tahoma" size="1" color="#0000ff"><img align=bpttom src="information.gif" border="0"><b> Your computer has 1 DNS servers defined.</font></b> <br>)",
             R"(<br>)",
             R"(<font face="Tahoma" size="1" color="#008000"><img align=bottom alt="" src="check2.gif" border="0"><b> Your primary DNS server is an OpenDNS server</b></font><br><br>)",
             R"(<b><font face="Tahoma" size="1" color="#000099">Results for DNS Server 1</font></b><br>)",
             R"(<font face="Tahoma" size="1"><b>IP Address:</b> 208.67.222.222</font><br>)",
             R"(<font face="Tahoma" size="1"><b>Host Name:</b> resolver1.opendns.com</font><br>)",
             R"(<font face="Tahoma" size="1"><b>Country:</b> United States</font><br>)",
             R"(<b><font face="Tahoma" size="1">Warnings:</b> none</font><br>)",
             R"(<br>)",
         }},
        // The two servers without an answer keep their places and their numbers; an empty warning is a warning.
        {"EmptyWarningAfterTwoServersWithoutAnAnswer",
         {Unverified(), Unreachable(),
          Answered("85.255.112.36", "203.0.113.7;85.255.112.36;rogue.example;Canada;Romania;")},
         {
             R"(<font face="Tahoma" size="1" color="#008000"><b>Your Public IP Address is:</b> 203.0.113.7</font><br>)",
             R"(<font face="Tahoma" size="1" color="#008000"><b>Your Country is:</b> Canada</font><br>)",
             R"(<br>)",
             R"(<font face="Tahoma" size="1" color="#0000ff"><img align=bpttom src="information.gif" border="0"><b> Your computer has 3 DNS servers defined.</font></b> <br>)",
             R"(<br>)",
             kNotOpenDns,
             R"(<font face="Tahoma" size="1"><b>Could not verify DNS</b> <br>)",
             kUnreachable,
             R"(<b><font face="Tahoma" size="1" color="#000099">Results for DNS Server 3</font></b><br>)",
             R"(<font face="Tahoma" size="1"><b>IP Address:</b> 85.255.112.36</font><br>)",
             R"(<font face="Tahoma" size="1"><b>Host Name:</b> rogue.example</font><br>)",
             R"(<font face="Tahoma" size="1"><b>Country:</b> Romania</font><br>)",
             R"(<font face="Tahoma" size="1" color="#FF0000"><b>Warnings:</b> </font><br>)",
             R"(<br>)",
         }},
        // The service's texts enter the document as they came, markup and ampersands included.
        {"ServiceTextsEnterAsTheyCame",
         {Answered("85.255.112.36", R"(<b>198.51.100.7</b>;85.255.112.36;rogue&co.example;Canada & more;Romania;)"
                                    R"(Rogue & known <a href="http://example.invalid/r?a=1&b=2">here</a>)")},
         {
             R"(<font face="Tahoma" size="1" color="#008000"><b>Your Public IP Address is:</b> <b>198.51.100.7</b></font><br>)",
             R"(<font face="Tahoma" size="1" color="#008000"><b>Your Country is:</b> Canada & more</font><br>)",
             R"(<br>)",
             R"(<font face="Tahoma" size="1" color="#0000ff"><img align=bpttom src="information.gif" border="0"><b> Your computer has 1 DNS servers defined.</font></b> <br>)",
             R"(<br>)",
             kNotOpenDns,
             R"(<b><font face="Tahoma" size="1" color="#000099">Results for DNS Server 1</font></b><br>)",
             R"(<font face="Tahoma" size="1"><b>IP Address:</b> 85.255.112.36</font><br>)",
             R"(<font face="Tahoma" size="1"><b>Host Name:</b> rogue&co.example</font><br>)",
             R"(<font face="Tahoma" size="1"><b>Country:</b> Romania</font><br>)",
             R"(<font face="Tahoma" size="1" color="#FF0000"><b>Warnings:</b> Rogue & known <a href="http://example.invalid/r?a=1&b=2">here</a></font><br>)",
             R"(<br>)",
         }},
    };
    return cases;
}

class LookupReportHtmlTest : public ::testing::TestWithParam<HtmlCase> {};

TEST_P(LookupReportHtmlTest, LinesAreExactlyTheDocumentsLines) {
    const HtmlCase& c = GetParam();
    SCOPED_TRACE(c.name);

    EXPECT_EQ(BuildLookupReport(c.results, "").lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(Documents, LookupReportHtmlTest, ::testing::ValuesIn(HtmlCases()), fakes::RowName<HtmlCase>);

// The report as a reader sees it: every line with its markup taken out and its ends trimmed, one a line. What the
// lines say and in which order; LookupReportHtmlTest checks the markup itself.
std::string ReadableText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        std::string visible;
        bool inTag = false;
        for (char c : line) {
            if (c == '<')
                inTag = true;
            else if (c == '>')
                inTag = false;
            else if (!inTag)
                visible += c;
        }
        const std::size_t first = visible.find_first_not_of(' ');
        const std::size_t last = visible.find_last_not_of(' ');
        text += (first == std::string::npos ? std::string() : visible.substr(first, last - first + 1)) + "\n";
    }
    return text;
}

// One lookup run: the results per configured server, the default list it is compared with, the report as read
// and the decisions that go with it.
struct ReportCase {
    const char* name;
    std::vector<LookupResult> results;
    std::string defaultDnsList;
    const char* text;  // ReadableText of the report
    std::string reportedServers;
    int warningsCount;
    bool offerSaveAsDefault;
    LookupRunEnding ending;
};

void PrintTo(const ReportCase& row, std::ostream* out) {
    *out << row.name;
}

const std::vector<ReportCase>& ReportCases() {
    static const std::vector<ReportCase> cases = {
        {"NoServers",
         {},
         "",
         "Your primary DNS server is NOT an OpenDNS server\n",
         "",
         0,
         false,
         LookupRunEnding::Silent},
        {"AllServersUnreachable",
         {Unreachable(), Unreachable()},
         "8.8.8.8",
         "Your primary DNS server is NOT an OpenDNS server\n"
         "Unable to connect to lookup server\n"
         "Unable to connect to lookup server\n",
         "",
         0,
         false,
         LookupRunEnding::Silent},
        {"UnverifiedServerAlone",
         {Unverified()},
         "",
         "Your primary DNS server is NOT an OpenDNS server\n"
         "Could not verify DNS\n",
         "",
         0,
         false,
         LookupRunEnding::Silent},
        {"OpenDnsPrimaryWithQuietWarnings",
         {Answered("208.67.222.222", "203.0.113.7;208.67.222.222;resolver1.OpenDNS.com;Canada;United States;none"),
          Answered("208.67.220.220", "203.0.113.7;208.67.220.220;resolver2.opendns.com;Canada;United States;NONE")},
         "208.67.222.222,208.67.220.220",
         R"(Your Public IP Address is: 203.0.113.7
Your Country is: Canada

Your computer has 2 DNS servers defined.

Your primary DNS server is an OpenDNS server
Results for DNS Server 1
IP Address: 208.67.222.222
Host Name: resolver1.OpenDNS.com
Country: United States
Warnings: none

Results for DNS Server 2
IP Address: 208.67.220.220
Host Name: resolver2.opendns.com
Country: United States
Warnings: NONE

)",
         "208.67.222.222,208.67.220.220",
         0,
         false,
         LookupRunEnding::NoWarnings},
        {"FailedPrimaryIsNotOpenDnsEvenWhenTheSecondIs",
         {Unreachable(),
          Answered("208.67.220.220", "203.0.113.7;208.67.220.220;resolver2.opendns.com;Canada;United States;none")},
         "",
         R"(Your Public IP Address is: 203.0.113.7
Your Country is: Canada

Your computer has 2 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Unable to connect to lookup server
Results for DNS Server 2
IP Address: 208.67.220.220
Host Name: resolver2.opendns.com
Country: United States
Warnings: none

)",
         "208.67.220.220",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"EmptyWarningCounts",
         {Answered("85.255.112.36", "203.0.113.7;85.255.112.36;rogue.example;Canada;Romania;")},
         "85.255.112.36",
         R"(Your Public IP Address is: 203.0.113.7
Your Country is: Canada

Your computer has 1 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Results for DNS Server 1
IP Address: 85.255.112.36
Host Name: rogue.example
Country: Romania
Warnings:

)",
         "85.255.112.36",
         1,
         false,
         LookupRunEnding::WarningsFound},
        {"EveryWarningCounts",
         {Answered("85.255.112.36",
                   "203.0.113.7;85.255.112.36;rogue.example;Canada;Romania;Rogue server <a href=\"x\">more</a>"),
          Answered("64.28.176.1", "203.0.113.7;64.28.176.1;rogue2.example;Canada;United States;Rogue too")},
         "",
         R"(Your Public IP Address is: 203.0.113.7
Your Country is: Canada

Your computer has 2 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Results for DNS Server 1
IP Address: 85.255.112.36
Host Name: rogue.example
Country: Romania
Warnings: Rogue server more

Results for DNS Server 2
IP Address: 64.28.176.1
Host Name: rogue2.example
Country: United States
Warnings: Rogue too

)",
         "85.255.112.36,64.28.176.1",
         2,
         true,
         LookupRunEnding::WarningsFound},
        {"PrivateServerShowsNoneWhateverTheServiceSays",
         {Answered("192.168.0.1", "203.0.113.7;192.168.0.1;router;Canada;Unknown;Rogue server")},
         "",
         R"(Your Public IP Address is: 203.0.113.7
Your Country is: Canada

Your computer has 1 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Results for DNS Server 1
IP Address: 192.168.0.1
Host Name: router
Country: Unknown
Warnings: None

)",
         "192.168.0.1",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"FirstUnansweredSecondAnsweredHasNoLeadingComma",
         {Unverified(), Answered("9.9.9.9", "198.51.100.9;9.9.9.9;dns9.quad9.net;Germany;Switzerland;none"),
          Unreachable()},
         "9.9.9.9,1.1.1.1",
         R"(Your Public IP Address is: 198.51.100.9
Your Country is: Germany

Your computer has 3 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Could not verify DNS
Results for DNS Server 2
IP Address: 9.9.9.9
Host Name: dns9.quad9.net
Country: Switzerland
Warnings: none

Unable to connect to lookup server
)",
         "9.9.9.9",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"PublicAddressOfTheLastAnsweredServerHeadsTheReport",
         {Answered("8.8.8.8", "198.51.100.1;8.8.8.8;dns.google;France;United States;none"),
          Answered("8.8.4.4", "198.51.100.2;8.8.4.4;dns.google;Spain;United States;none")},
         "8.8.8.8",
         R"(Your Public IP Address is: 198.51.100.2
Your Country is: Spain

Your computer has 2 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Results for DNS Server 1
IP Address: 8.8.8.8
Host Name: dns.google
Country: United States
Warnings: none

Results for DNS Server 2
IP Address: 8.8.4.4
Host Name: dns.google
Country: United States
Warnings: none

)",
         "8.8.8.8,8.8.4.4",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"AnswerWithoutPublicAddressHasNoPublicBlock",
         {Answered("8.8.8.8", ";8.8.8.8;dns.google;France;United States;none;;;;;")},
         "",
         R"(Your primary DNS server is NOT an OpenDNS server
Results for DNS Server 1
IP Address: 8.8.8.8
Host Name: dns.google
Country: United States
Warnings: none

)",
         "8.8.8.8",
         0,
         true,
         LookupRunEnding::NoWarnings},
        {"ReportedServersEqualToTheDefaultApartFromCaseOfferNothing",
         {Answered("FE.example.server", "203.0.113.7;FE.example.server;host;Canada;Canada;none")},
         "fe.EXAMPLE.server",
         R"(Your Public IP Address is: 203.0.113.7
Your Country is: Canada

Your computer has 1 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Results for DNS Server 1
IP Address: FE.example.server
Host Name: host
Country: Canada
Warnings: none

)",
         "FE.example.server",
         0,
         false,
         LookupRunEnding::NoWarnings},
        {"OneCharacterServerListIsNeverOffered",
         {Answered("x", "203.0.113.7;x;a-long-enough-host-name;Canada;Canada;none")},
         "8.8.8.8",
         R"(Your Public IP Address is: 203.0.113.7
Your Country is: Canada

Your computer has 1 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Results for DNS Server 1
IP Address: x
Host Name: a-long-enough-host-name
Country: Canada
Warnings: none

)",
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
         R"(Your Public IP Address is: 203.0.113.7
Your Country is: Canada

Your computer has 2 DNS servers defined.

Your primary DNS server is NOT an OpenDNS server
Results for DNS Server 1
IP Address: 6.6.6.6
Host Name: evil.example
Country: Canada
Warnings: none

Results for DNS Server 2
IP Address: 1.1.1.1,6.6.6.6
Host Name: evil.example
Country: Canada
Warnings: none

)",
         "9.9.9.9,149.112.112.112",
         0,
         false,
         LookupRunEnding::NoWarnings},
    };
    return cases;
}

class LookupReportBuilderTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(LookupReportBuilderTest, BuildsTheWholeReport) {
    const ReportCase& c = GetParam();
    SCOPED_TRACE(c.name);

    const LookupReport report = BuildLookupReport(c.results, c.defaultDnsList);

    EXPECT_EQ(ReadableText(report.lines), c.text);
    EXPECT_EQ(report.reportedServers, c.reportedServers);
    EXPECT_EQ(report.warningsCount, c.warningsCount);
    EXPECT_EQ(report.offerSaveAsDefault, c.offerSaveAsDefault);
    EXPECT_EQ(report.ending, c.ending);
}

INSTANTIATE_TEST_SUITE_P(Runs, LookupReportBuilderTest, ::testing::ValuesIn(ReportCases()), fakes::RowName<ReportCase>);

TEST(LookupReportDocumentTest, EveryLineEndsWithCarriageReturnAndLineFeed) {
    const LookupReport report = BuildLookupReport({Unreachable()}, "");

    EXPECT_EQ(report.Html(), kNotOpenDns + "\r\n" + kUnreachable + "\r\n");
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
