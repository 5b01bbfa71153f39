#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "elevation/privileged_action.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

constexpr char kGuidA[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kGuidB[] = "{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}";

std::string SetDns(const std::string& tokens) {
    return "/set-dns " + tokens;
}

std::string Assign(const char* guid, const std::string& servers) {
    return std::string(guid) + "=" + servers;
}

// An argument text and the action it must give, or nullopt for a text the elevated run must refuse.
struct ParseCase {
    const char* name;
    std::string arguments;
    std::optional<PrivilegedAction> expected;
};

PrivilegedAction DnsAction(std::vector<DnsAssignment> assignments) {
    return {PrivilegedActionKind::kSetDnsServers, std::move(assignments), {}};
}

PrivilegedAction AllowAction(const std::string& dnsList) {
    return {PrivilegedActionKind::kAllowDnsList, {}, dnsList};
}

// A list of `count` servers, each as long as a dotted address can be.
std::string LongestServers(std::size_t count) {
    std::string list;
    for (std::size_t i = 0; i < count; ++i)
        list += (i > 0 ? "," : "") + std::string("255.255.255.255");
    return list;
}

std::string ManyAssignments(std::size_t count) {
    std::string tokens;
    for (std::size_t i = 0; i < count; ++i)
        tokens += (i > 0 ? " " : "") + Assign(kGuidA, "10.0.0.1");
    return tokens;
}

const std::vector<ParseCase>& ParseCases() {
    static const std::vector<ParseCase> cases = {
        // Accepted: exactly the forms the program writes.
        {"two servers", SetDns(Assign(kGuidA, "208.67.222.222,208.67.220.220")),
         DnsAction({{kGuidA, {"208.67.222.222", "208.67.220.220"}}})},
        {"dhcp and three servers, lower-case hex",
         SetDns(Assign(kGuidA, "") + " " + Assign(kGuidB, "10.0.0.1,0.0.0.0,255.255.255.255")),
         DnsAction({{kGuidA, {}}, {kGuidB, {"10.0.0.1", "0.0.0.0", "255.255.255.255"}}})},
        {"as many adapters as allowed", SetDns(ManyAssignments(kMostActionAssignments)),
         DnsAction(std::vector<DnsAssignment>(kMostActionAssignments, {kGuidA, {"10.0.0.1"}}))},
        {"write run value", "/write-run-value", PrivilegedAction{PrivilegedActionKind::kWriteRunValue, {}, {}}},
        {"delete run value", "/delete-run-value", PrivilegedAction{PrivilegedActionKind::kDeleteRunValue, {}, {}}},
        {"keep the dns baseline", "/keep-dns-baseline",
         PrivilegedAction{PrivilegedActionKind::kKeepDnsBaseline, {}, {}}},
        {"undo dns changes", "/undo-dns-changes", PrivilegedAction{PrivilegedActionKind::kUndoDnsChanges, {}, {}}},
        {"allowed list of two servers", "/allow-dns-list 10.0.0.1,10.0.0.2", AllowAction("10.0.0.1,10.0.0.2")},
        {"allowed list of one server", "/allow-dns-list 0.0.0.0", AllowAction("0.0.0.0")},
        {"empty allowed list is the verb alone", "/allow-dns-list", AllowAction("")},
        {"longest allowed list", "/allow-dns-list " + LongestServers(kMostAllowedListServers),
         AllowAction(LongestServers(kMostAllowedListServers))},
        // Refused: anything else.
        {"empty", "", std::nullopt},
        {"unknown action", "/format-disk", std::nullopt},
        {"action in other case", "/SET-DNS " + Assign(kGuidA, ""), std::nullopt},
        {"set-dns with no adapter", "/set-dns", std::nullopt},
        {"set-dns with a trailing blank", "/set-dns ", std::nullopt},
        {"extra argument after run value", "/write-run-value C:\\evil.exe", std::nullopt},
        {"extra blank after run value", "/delete-run-value ", std::nullopt},
        {"two actions", "/write-run-value /delete-run-value", std::nullopt},
        // The baseline's order takes no data: the elevated run reads the settings itself.
        {"baseline with a file to keep", "/keep-dns-baseline C:\\Users\\me\\DNSBaseline.txt", std::nullopt},
        {"baseline with a trailing blank", "/keep-dns-baseline ", std::nullopt},
        {"baseline with settings", "/keep-dns-baseline hosts-line=127.0.0.9", std::nullopt},
        {"baseline followed by another action", "/keep-dns-baseline /write-run-value", std::nullopt},
        {"baseline verb in other case", "/Keep-DNS-Baseline", std::nullopt},
        {"baseline verb joined to its argument", "/keep-dns-baseline=1", std::nullopt},
        {"baseline verb cut short", "/keep-dns-baselin", std::nullopt},
        // The undo order takes no data: the elevated run reads what to put back from its own folder.
        {"undo with a baseline file", "/undo-dns-changes C:\\Users\\me\\DNSBaseline.txt", std::nullopt},
        {"undo with a hosts line", "/undo-dns-changes 127.0.0.9 bank.example", std::nullopt},
        {"undo with a registry key", "/undo-dns-changes HKLM\\SOFTWARE\\Policies", std::nullopt},
        {"undo with a trailing blank", "/undo-dns-changes ", std::nullopt},
        {"undo followed by another action", "/undo-dns-changes /write-run-value", std::nullopt},
        {"undo verb in other case", "/Undo-DNS-Changes", std::nullopt},
        {"undo verb joined to an argument", "/undo-dns-changes=1", std::nullopt},
        {"undo verb cut short", "/undo-dns-change", std::nullopt},
        {"undo verb with a fullwidth solidus", "\xEF\xBC\x8Fundo-dns-changes", std::nullopt},
        {"fourth server", SetDns(Assign(kGuidA, "1.1.1.1,2.2.2.2,3.3.3.3,4.4.4.4")), std::nullopt},
        {"ipv6 server", SetDns(Assign(kGuidA, "::1")), std::nullopt},
        {"ipv6 beside ipv4", SetDns(Assign(kGuidA, "10.0.0.1,fd00::53")), std::nullopt},
        {"host name server", SetDns(Assign(kGuidA, "dns.example.com")), std::nullopt},
        {"octet above 255", SetDns(Assign(kGuidA, "10.0.0.256")), std::nullopt},
        {"leading zero octet", SetDns(Assign(kGuidA, "010.0.0.1")), std::nullopt},
        {"short address", SetDns(Assign(kGuidA, "127.1")), std::nullopt},
        {"empty server between commas", SetDns(Assign(kGuidA, "10.0.0.1,,10.0.0.2")), std::nullopt},
        {"trailing comma", SetDns(Assign(kGuidA, "10.0.0.1,")), std::nullopt},
        {"signed octet", SetDns(Assign(kGuidA, "+1.0.0.1")), std::nullopt},
        {"zero octet with a leading zero", SetDns(Assign(kGuidA, "00.0.0.1")), std::nullopt},
        {"zero octet of three zeros", SetDns(Assign(kGuidA, "10.0.0.000")), std::nullopt},
        {"identifier without braces", SetDns("4D36E972-E325-11CE-BFC1-08002BE10318=10.0.0.1"), std::nullopt},
        {"identifier in parentheses", SetDns("(4D36E972-E325-11CE-BFC1-08002BE10318)=10.0.0.1"), std::nullopt},
        {"identifier with a non-hex digit", SetDns("{4D36E972-E325-11CE-BFC1-08002BE1031G}=10.0.0.1"), std::nullopt},
        {"identifier with a quote (query injection)", SetDns("{4D36E972-E325-11CE-BFC1-08002BE1031'}=10.0.0.1"),
         std::nullopt},
        {"identifier one digit short", SetDns("{4D36E972-E325-11CE-BFC1-08002BE1031}=10.0.0.1"), std::nullopt},
        {"no equals sign", SetDns(kGuidA), std::nullopt},
        {"second equals sign", SetDns(Assign(kGuidA, "10.0.0.1=10.0.0.2")), std::nullopt},
        {"quoted field", SetDns("\"" + Assign(kGuidA, "10.0.0.1") + "\""), std::nullopt},
        {"quote inside a server", SetDns(Assign(kGuidA, "10.0.0.1\" /write-run-value")), std::nullopt},
        {"tab separator", "/set-dns\t" + Assign(kGuidA, "10.0.0.1"), std::nullopt},
        {"double blank", "/set-dns  " + Assign(kGuidA, "10.0.0.1"), std::nullopt},
        {"semicolon separator", SetDns(Assign(kGuidA, "10.0.0.1;10.0.0.2")), std::nullopt},
        {"NUL inside a field", SetDns(Assign(kGuidA, std::string("10.0.0.1\0", 9) + "0")), std::nullopt},
        {"too many adapters", SetDns(ManyAssignments(kMostActionAssignments + 1)), std::nullopt},
        {"overlong input", SetDns(Assign(kGuidA, "10.0.0.1") + std::string(kMostActionArgumentChars, ' ')),
         std::nullopt},
        // The allowed list: only the text the program itself writes.
        {"allowed list with a trailing blank", "/allow-dns-list ", std::nullopt},
        {"allowed list with a blank after a comma", "/allow-dns-list 10.0.0.1, 10.0.0.2", std::nullopt},
        {"allowed list with a second token", "/allow-dns-list 10.0.0.1 10.0.0.2", std::nullopt},
        {"allowed list followed by another action", "/allow-dns-list 10.0.0.1 /write-run-value", std::nullopt},
        {"allowed list with an empty server", "/allow-dns-list 10.0.0.1,,10.0.0.2", std::nullopt},
        {"allowed list with a leading comma", "/allow-dns-list ,10.0.0.1", std::nullopt},
        {"allowed list with a trailing comma", "/allow-dns-list 10.0.0.1,", std::nullopt},
        {"allowed list with a leading zero", "/allow-dns-list 10.0.0.01", std::nullopt},
        {"allowed list with an ipv6 server", "/allow-dns-list fd00::53", std::nullopt},
        {"allowed list with a host name", "/allow-dns-list dns.example.com", std::nullopt},
        {"allowed list as the file holds it", "/allow-dns-list 10.0.0.1\r\n", std::nullopt},
        {"allowed list joined by an equals sign", "/allow-dns-list=10.0.0.1", std::nullopt},
        {"allowed list verb in other case", "/Allow-DNS-List 10.0.0.1", std::nullopt},
        {"one server more than an allowed list holds",
         "/allow-dns-list " + LongestServers(kMostAllowedListServers) + ",1.1.1.1", std::nullopt},
        // Bytes outside printable ASCII, as a command line converted from UTF-16 carries look-alike characters.
        {"fullwidth digit in an allowed list", "/allow-dns-list 10.0.0.\xEF\xBC\x91", std::nullopt},
        {"superscript digit in a server", SetDns(Assign(kGuidA, "10.0.0.\xC2\xB9")), std::nullopt},
        {"fullwidth letter in an identifier", SetDns("{4D36E972-E325-11CE-BFC1-08002BE1031\xEF\xBC\xA1}=10.0.0.1"),
         std::nullopt},
        {"no-break space after an action", "/write-run-value\xC2\xA0", std::nullopt},
        {"delete character after an action", "/delete-run-value\x7F", std::nullopt},
        {"control character inside a list", "/allow-dns-list 10.0.0.1\x01", std::nullopt},
        {"lone high byte", "\xFF", std::nullopt},
    };
    return cases;
}

// Failures name the row rather than dump its bytes.
void PrintTo(const ParseCase& row, std::ostream* out) {
    *out << row.name;
}

class ActionArgumentsParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ActionArgumentsParseTest, AcceptsExactlyTheWrittenFormsAndRefusesTheRest) {
    const ParseCase& row = GetParam();
    SCOPED_TRACE(row.arguments.substr(0, 200));
    const std::optional<PrivilegedAction> parsed = ParseActionArguments(row.arguments);
    ASSERT_EQ(parsed.has_value(), row.expected.has_value());
    if (!parsed)
        return;
    EXPECT_TRUE(*parsed == *row.expected);
    // What was accepted is exactly what the program writes for it.
    EXPECT_EQ(FormatActionArguments(*parsed), row.arguments);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         ActionArgumentsParseTest,
                         ::testing::ValuesIn(ParseCases()),
                         [](const ::testing::TestParamInfo<ParseCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

struct CommandLineCase {
    const char* name;
    const char* commandLine;
    const char* arguments;
};

class ArgumentsAfterProgramNameTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(ArgumentsAfterProgramNameTest, SkipsTheProgramNameAndTheBlanksAfterIt) {
    const CommandLineCase& row = GetParam();
    SCOPED_TRACE(row.commandLine);
    EXPECT_EQ(ArgumentsAfterProgramName(row.commandLine), row.arguments);
}

const CommandLineCase kCommandLineCases[] = {
    {"bare name alone", "Quillcrest.exe", ""},
    {"quoted path with a blank alone", "\"C:\\Program Files\\Quillcrest.exe\"", ""},
    {"quoted path and trailing blanks", "\"C:\\Program Files\\Quillcrest.exe\"  ", ""},
    {"quoted path and an action", "\"C:\\Program Files\\Quillcrest.exe\" /write-run-value", "/write-run-value"},
    {"bare path and an action after a tab", "C:\\Apps\\Quillcrest.exe\t/delete-run-value", "/delete-run-value"},
    {"unclosed quote is all name", "\"C:\\Apps\\Quillcrest.exe /write-run-value", ""},
    {"blank inside the arguments stays", "Q.exe /set-dns a  b", "/set-dns a  b"},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         ArgumentsAfterProgramNameTest,
                         ::testing::ValuesIn(kCommandLineCases),
                         [](const ::testing::TestParamInfo<CommandLineCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

}  // namespace
}  // namespace quillcrest
