#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "resolution/dns_baseline_file.h"
#include "resolution/resolution_comparison.h"
#include "resolution/sha256.h"
#include "resolution/unicode_text.h"
#include "settings/registry_api.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::Machine;

template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

constexpr char kAdapter[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kRule[] = "{2B6B9A1C-0000-4000-8000-000000000001}";

// Every form a value can take, every state a place can be in, and names and texts that need escapes.
Machine Everything() {
    Machine machine;
    const std::string loneSurrogate = Wtf8FromUtf16(std::u16string(1, char16_t(0xDC01)));
    machine.Adapter(kAdapter, "Ethernet \"2\"\t\xC3\xA4" + loneSurrogate, {"fd00::53", "::1"}, {"192.168.1.1"})
        .Adapter("{EMPTY}", "", {}, {})
        .Sz(RegistryStore::StaticIpv6Servers, kAdapter, "NameServer", "fd00::53")
        .Value(RegistryStore::LocalRules, kRule, "Name", kRegMultiSz, fakes::MultiSzData({".", "a\\b"}))
        .Sz(RegistryStore::LocalRules, kRule, "GenericDNSServers", "10.0.0.53;10.0.0.54")
        .Dword(RegistryStore::LocalRules, kRule, "ConfigOptions", 4294967295u)
        .Value(RegistryStore::LocalRules, kRule, "Qword", kRegQword, Bytes("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"))
        .Value(RegistryStore::LocalRules, kRule, "EmptyList", kRegMultiSz, Bytes("\0\0"))
        .Value(RegistryStore::LocalRules, kRule, "ListWithEmptyString", kRegMultiSz, Bytes("a\0\0\0\0\0\0\0"))
        .Value(RegistryStore::LocalRules, kRule, "TextWithoutNul", kRegSz, Bytes("a\0b\0"))
        .Value(RegistryStore::LocalRules, kRule, "OddText", kRegExpandSz, Bytes("a\0\0"))
        .Value(RegistryStore::LocalRules, kRule, "ShortDword", kRegDword, Bytes("\x01\x02"))
        .Value(RegistryStore::LocalRules, kRule, "Binary", kRegBinary, Bytes("\0\x01\xFF"))
        .Value(RegistryStore::LocalRules, kRule, "EmptyBinary", kRegBinary, "")
        .Value(RegistryStore::LocalRules, kRule, "Unnamed type", 0x12345678, "xyz")
        .Value(RegistryStore::LocalRules, kRule, "", kRegSz, fakes::SzData("default value"))
        .Value(RegistryStore::LocalRules, kRule, "Control\x01\x7F\r\n\\\"", kRegSz,
               fakes::SzData("line\r\nnext\ttab \x01"))
        .Value(RegistryStore::LocalRules, kRule, "Surrogate", kRegSz,
               LittleEndianBytes(u"x" + std::u16string{char16_t(0xD800), u'\0'}))
        .UnreadableKey(RegistryStore::LocalRules, "{LOCKED}")
        .UnreadableStore(RegistryStore::PolicyRules)
        .Sz(RegistryStore::InterfaceDoh, std::string(kAdapter) + "\\DohInterfaceSettings\\Doh6\\fd00::53",
            "DohTemplate", "https://dns.example/dns-query")
        .Value(RegistryStore::TcpipParameters, "", "DataBasePath", kRegExpandSz,
               fakes::SzData("%SystemRoot%\\System32\\drivers\\etc"));
    machine.Key(RegistryStore::LocalRules, kRule).values.push_back(RegistryValue{"Oversize", kRegSz, "", 1048577});
    return machine;
}

struct RoundTripRow {
    const char* name;
    ResolutionSettings settings;
};

std::vector<RoundTripRow> RoundTripRows() {
    return {
        {"Nothing_read", ResolutionSettings()},
        {"Every_form_and_state", Everything().Hosts("# hosts\r\n127.0.0.1 localhost\r\n").settings},
        {"Hosts_with_every_line_end_and_no_last_one", Everything().Hosts("a\r\nb\nc\rd\r\r\n\n\re").settings},
        {"Hosts_ending_in_a_lone_cr", Everything().Hosts("127.0.0.1 a\r").settings},
        {"Hosts_with_control_bytes_and_nuls", Everything().Hosts(Bytes("\x01\0\x7F\xFF\"\\ x\t\r\n")).settings},
        {"Hosts_in_utf16", Everything()
                               .Hosts(Bytes("\xFF\xFE"
                                            "1\0"
                                            "0\0"
                                            ".\0"
                                            "1\0\r\0\n\0"))
                               .settings},
        {"Empty_hosts_file", Everything().Hosts("").settings},
        {"No_hosts_file", Everything().NoHosts().settings},
        {"Hosts_over_the_limit", Everything().HostsTooLarge(kHostsFileParseLimit + 1, std::string(64, 'f')).settings},
        {"Hosts_unreadable", Everything().HostsUnreadable().settings},
        {"Adapters_unreadable", Everything().AdaptersUnreadable().settings},
    };
}

// Failures name the row rather than dump its bytes.
void PrintTo(const RoundTripRow& row, std::ostream* out) {
    *out << row.name;
}

class ResolutionBaselineRoundTripTest : public ::testing::TestWithParam<RoundTripRow> {};

TEST_P(ResolutionBaselineRoundTripTest, ReadsBackExactlyWhatWasWritten) {
    const RoundTripRow& row = GetParam();
    SCOPED_TRACE(row.name);
    const std::string text = SerializeDnsBaseline(row.settings);
    const DnsBaselineReading reading = ParseDnsBaseline(text);
    ASSERT_EQ(DescribeDnsBaselineReading(reading), "read") << text;
    EXPECT_TRUE(reading.settings == row.settings) << text;
    EXPECT_TRUE(CompareResolutionSettings(row.settings, reading.settings).empty());
    // One record per line, nothing but printable text and the line ends between them.
    EXPECT_EQ(SerializeDnsBaseline(reading.settings), text);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 || c == '\r' || c == '\n') << static_cast<int>(byte);
    }
}

INSTANTIATE_TEST_SUITE_P(Settings,
                         ResolutionBaselineRoundTripTest,
                         ::testing::ValuesIn(RoundTripRows()),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

TEST(ResolutionBaselineFileTest, TextIsReadableLineByLine) {
    const ResolutionSettings settings = Machine()
                                            .Adapter(kAdapter, "Ethernet", {"fd00::53"}, {"192.168.1.1"})
                                            .Rule(RegistryStore::LocalRules, kRule, ".corp.example", "10.0.0.53")
                                            .Dword(RegistryStore::LocalRules, kRule, "ConfigOptions", 8)
                                            .Value(RegistryStore::TcpipParameters, "", "DataBasePath", kRegExpandSz,
                                                   fakes::SzData("%SystemRoot%\\System32\\drivers\\etc"))
                                            .Hosts("# hosts\r\n127.0.0.1 localhost\r\n")
                                            .settings;
    const std::string expected =
        "Quillcrest DNS baseline 1\r\n"
        "adapters read\r\n"
        "adapter \"{4D36E972-E325-11CE-BFC1-08002BE10318}\" \"Ethernet\"\r\n"
        "ipv6 fd00::53\r\n"
        "ipv4 192.168.1.1\r\n"
        "store static-ipv6-servers absent\r\n"
        "store policy-client absent\r\n"
        "store policy-rules absent\r\n"
        "store local-rules read\r\n"
        "key \"{2B6B9A1C-0000-4000-8000-000000000001}\" read\r\n"
        "value \"Name\" REG_MULTI_SZ \".corp.example\"\r\n"
        "value \"GenericDNSServers\" REG_SZ \"10.0.0.53\"\r\n"
        "value \"ConfigOptions\" REG_DWORD 8\r\n"
        "store doh-well-known-servers absent\r\n"
        "store interface-doh absent\r\n"
        "store tcpip-parameters read\r\n"
        "key \"\" read\r\n"
        "value \"DataBasePath\" REG_EXPAND_SZ \"%SystemRoot%\\\\System32\\\\drivers\\\\etc\"\r\n"
        "hosts read \"C:\\\\Windows\\\\System32\\\\drivers\\\\etc\\\\hosts\" 30 " +
        Sha256Hex("# hosts\r\n127.0.0.1 localhost\r\n") +
        "\r\n"
        "hosts-line \"# hosts\\r\\n\"\r\n"
        "hosts-line \"127.0.0.1 localhost\\r\\n\"\r\n"
        "end\r\n";
    EXPECT_EQ(SerializeDnsBaseline(settings), expected);
}

TEST(ResolutionBaselineFileTest, SaysWhetherThereWasNoBaselineOrOneWasRead) {
    const DnsBaselineReading none = ParseDnsBaseline(std::nullopt);
    EXPECT_EQ(DescribeDnsBaselineReading(none), "no baseline");

    const DnsBaselineReading read = ParseDnsBaseline(SerializeDnsBaseline(Everything().settings));
    EXPECT_EQ(DescribeDnsBaselineReading(read), "read");

    // Lines ending in LF alone, as an editor may leave them, read the same.
    std::string lfOnly = SerializeDnsBaseline(Everything().settings);
    for (std::size_t at = lfOnly.find("\r\n"); at != std::string::npos; at = lfOnly.find("\r\n", at))
        lfOnly.erase(at, 1);
    const DnsBaselineReading fromLf = ParseDnsBaseline(lfOnly);
    ASSERT_EQ(DescribeDnsBaselineReading(fromLf), "read");
    EXPECT_TRUE(fromLf.settings == Everything().settings);
}

TEST(ResolutionBaselineFileTest, LivesBesideTheAllowedList) {
    EXPECT_EQ(DnsBaselinePath("C:\\Apps\\Quillcrest\\"), "C:\\Apps\\Quillcrest\\DNSBaseline.txt");
    EXPECT_EQ(DnsBaselinePath("C:\\Apps\\Quillcrest"), "C:\\Apps\\Quillcrest\\DNSBaseline.txt");
}

// ---- Damaged files ----

// A valid baseline with one line replaced, left out or added; the reason names what is wrong.
struct DamageRow {
    const char* name;
    std::string text;
    const char* reason;
};

std::string Valid() {
    return SerializeDnsBaseline(Machine()
                                    .Adapter(kAdapter, "Ethernet", {"fd00::53"})
                                    .Rule(RegistryStore::LocalRules, kRule, ".", "10.0.0.53")
                                    .Hosts("127.0.0.1 localhost\r\n")
                                    .settings);
}

std::string Replaced(const std::string& from, const std::string& to) {
    std::string text = Valid();
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

std::vector<DamageRow> DamageRows() {
    const std::string valid = Valid();
    return {
        {"Empty_file", "", "the file is empty"},
        {"Not_a_baseline", "1.1.1.1\r\n", "line 1: this is not a DNS baseline"},
        {"Unknown_version", Replaced("baseline 1", "baseline 2"), "line 1: format version 2 is not known"},
        {"Cut_short", valid.substr(0, valid.find("store local-rules")),
         "the file ends after line 7 without its end record: it is cut short"},
        {"Cut_in_the_middle_of_a_line", valid.substr(0, valid.find("end\r\n") + 2), "line 17: expected the end"},
        {"Something_after_the_end", valid + "adapters read\r\n", "line 18: something follows the end"},
        {"Unknown_record", Replaced("adapters read", "adaptors read"), "line 2: \"adapters\" must follow the header"},
        {"Unknown_state", Replaced("adapters read", "adapters maybe"), "line 2: unknown state \"maybe\""},
        {"Server_before_any_adapter", Replaced("adapters read\r\n", "adapters read\r\nipv6 ::1\r\n"),
         "line 3: a server stands before any adapter"},
        {"Server_that_is_no_address", Replaced("ipv6 fd00::53", "ipv6 fd00::5g"),
         "line 4: \"fd00::5g\" is not an IPv6 address"},
        {"Adapter_twice",
         Replaced("ipv6 fd00::53\r\n", "ipv6 fd00::53\r\nadapter \"{4d36e972-e325-11ce-bfc1-08002be10318}\" \"x\"\r\n"),
         "line 5: adapter \"{4d36e972-e325-11ce-bfc1-08002be10318}\" is listed twice"},
        {"Stores_out_of_order",
         Replaced("store policy-client absent\r\nstore policy-rules absent",
                  "store policy-rules absent\r\nstore policy-client absent"),
         "line 6: expected the store \"policy-client\""},
        {"Key_in_an_absent_store",
         Replaced("store policy-rules absent\r\n", "store policy-rules absent\r\nkey \"x\" read\r\n"),
         "line 8: a store that is not read lists no key"},
        {"Value_outside_a_key",
         Replaced("store policy-rules absent\r\n", "store policy-rules absent\r\nvalue \"x\" REG_DWORD 1\r\n"),
         "line 8: a value stands outside a key that was read"},
        {"Key_twice", Replaced("store doh", "key \"{2b6b9a1c-0000-4000-8000-000000000001}\" read\r\nstore doh"),
         "line 12: key \"{2b6b9a1c-0000-4000-8000-000000000001}\" is listed twice"},
        {"Value_twice", Replaced("store doh", "value \"NAME\" REG_DWORD 1\r\nstore doh"),
         "line 12: value \"NAME\" is listed twice"},
        {"Unknown_type", Replaced("REG_SZ", "REG_STRING"), "line 11: unknown registry type \"REG_STRING\""},
        {"Number_too_large_for_a_dword", Replaced("store doh", "value \"n\" REG_DWORD 4294967296\r\nstore doh"),
         "line 12: \"4294967296\" is no number of that type"},
        {"Text_for_binary_data", Replaced("store doh", "value \"b\" REG_BINARY \"x\"\r\nstore doh"),
         "line 12: only REG_SZ and REG_EXPAND_SZ data are written as text"},
        {"Odd_hexadecimal_digits", Replaced("store doh", "value \"b\" REG_BINARY hex:abc\r\nstore doh"),
         "line 12: hexadecimal data must have an even count of digits within the value limit"},
        {"Text_that_is_not_utf8", Replaced("\"10.0.0.53\"", "\"\xFF\""),
         "line 11: the text holds a NUL or bytes that are not UTF-8"},
        {"Unknown_escape", Replaced("\"10.0.0.53\"", "\"\\q\""), "line 11: unknown escape in a text"},
        {"Unclosed_text", Replaced("\"10.0.0.53\"", "\"10.0.0.53"), "line 11: a text has no closing double quote"},
        {"Two_blanks_between_tokens", Replaced("adapters read", "adapters  read"),
         "line 2: a token holds a double quote or a control byte"},
        {"Control_byte_in_a_text", Replaced("\"Ethernet\"", "\"Eth\x01\""),
         "line 3: a control byte stands unescaped in a text"},
        {"Hosts_lines_do_not_match_the_digest", Replaced("localhost\\r\\n", "localhosT\\r\\n"),
         "line 15: the hosts file's lines do not match its digest"},
        {"Hosts_line_missing", Replaced("hosts-line \"127.0.0.1 localhost\\r\\n\"\r\n", ""),
         "line 15: the hosts file's lines hold less than its size"},
        {"Hosts_size_against_its_state", Replaced("hosts read", "hosts too-large"),
         "line 15: the hosts file's size does not go with its state"},
    };
}

void PrintTo(const DamageRow& row, std::ostream* out) {
    *out << row.name;
}

class ResolutionBaselineDamageTest : public ::testing::TestWithParam<DamageRow> {};

TEST_P(ResolutionBaselineDamageTest, NamesTheDamageAndGivesNoSettings) {
    const DamageRow& row = GetParam();
    SCOPED_TRACE(row.name);
    const DnsBaselineReading reading = ParseDnsBaseline(row.text);
    EXPECT_EQ(DescribeDnsBaselineReading(reading), std::string("damaged: ") + row.reason);
    EXPECT_TRUE(reading.settings == ResolutionSettings());
}

INSTANTIATE_TEST_SUITE_P(Files, ResolutionBaselineDamageTest, ::testing::ValuesIn(DamageRows()), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

}  // namespace
}  // namespace quillcrest
