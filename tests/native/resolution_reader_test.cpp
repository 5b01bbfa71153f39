#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resolution/resolution_reader.h"
#include "resolution/sha256.h"
#include "settings/registry_api.h"
#include "support/resolution_fakes.h"
#include "support/resolution_settings_builder.h"

namespace quillcrest {
namespace {

constexpr char kTcpip6Interfaces[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces";
constexpr char kPolicyClient[] = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient";
constexpr char kLocalRules[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DnsPolicyConfig";
constexpr char kInterfaceParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\InterfaceSpecificParameters";
constexpr char kTcpipParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kDefaultHostsPath[] = "C:\\Windows\\System32\\drivers\\etc\\hosts";
constexpr char kAdapter[] = "{A0000000-0000-4000-8000-000000000001}";

RegistryValue Sz(const std::string& name, const std::string& text) {
    return RegistryValue{name, kRegSz, fakes::SzData(text), 0};
}

RegistryValue Dword(const std::string& name, std::uint32_t number) {
    return RegistryValue{name, kRegDword, fakes::DwordData(number), 0};
}

class ResolutionReaderTest : public ::testing::Test {
  protected:
    ResolutionReaderTest() : reader_({registry_, adapters_, files_}) {}

    int HostsReads(const std::string& path = kDefaultHostsPath) { return files_.readCounts[path]; }

    fakes::FakeRegistryTree registry_;
    fakes::FakeAdapterSource adapters_;
    fakes::FakeHostsFiles files_;
    ResolutionReader reader_;
};

TEST_F(ResolutionReaderTest, TakesTheValuesThatCountFromEveryStore) {
    adapters_.snapshot.adapters = {AdapterDns{kAdapter, "Ethernet", {"fd00::53"}, {"192.168.1.1"}}};
    registry_.AddValue(std::string(kTcpip6Interfaces) + "\\" + kAdapter, Sz("NameServer", "fd00::53"));
    registry_.AddValue(std::string(kTcpip6Interfaces) + "\\" + kAdapter, Sz("Domain", "not counted"));
    registry_.AddKey(std::string(kTcpip6Interfaces) + "\\{NO-SERVERS}");
    registry_.AddValue(kPolicyClient, Sz("NameServer", "10.0.0.66"));
    registry_.AddValue(kPolicyClient, Dword("DoHPolicy", 3));
    registry_.AddValue(kPolicyClient, Dword("EnableMulticast", 0));
    registry_.AddValue(std::string(kLocalRules) + "\\{R}", Sz("GenericDNSServers", "203.0.113.53"));
    registry_.AddValue(std::string(kLocalRules) + "\\{R}", Dword("ConfigOptions", 8));
    const std::string doh = std::string(kInterfaceParameters) + "\\" + kAdapter + "\\DohInterfaceSettings";
    registry_.AddValue(doh + "\\Doh\\192.0.2.1", Dword("DohFlags", 1));
    registry_.AddValue(doh + "\\Doh6\\fd00::53", Sz("DohTemplate", "https://dns.example/q"));
    registry_.AddValue(doh + "\\Other\\192.0.2.2", Dword("DohFlags", 1));

    const ResolutionSettings settings = reader_.ReadAll();

    EXPECT_EQ(settings.adapters.adapters, adapters_.snapshot.adapters);
    const RegistryStoreSnapshot& servers = settings.store(RegistryStore::StaticIpv6Servers);
    EXPECT_EQ(servers.state, ReadState::Read);
    ASSERT_EQ(servers.keys.size(), 1u) << "a key without a value that counts is left out";
    EXPECT_EQ(servers.keys[0], (RegistryKeyRecord{kAdapter, ReadState::Read, {Sz("NameServer", "fd00::53")}}));
    EXPECT_EQ(settings.store(RegistryStore::PolicyClient).keys,
              (std::vector<RegistryKeyRecord>{
                  {"", ReadState::Read, {Sz("NameServer", "10.0.0.66"), Dword("DoHPolicy", 3)}}}));
    EXPECT_EQ(settings.store(RegistryStore::LocalRules).keys,
              (std::vector<RegistryKeyRecord>{
                  {"{R}", ReadState::Read, {Sz("GenericDNSServers", "203.0.113.53"), Dword("ConfigOptions", 8)}}}));
    const std::string dohItem = std::string(kAdapter) + "\\DohInterfaceSettings";
    EXPECT_EQ(settings.store(RegistryStore::InterfaceDoh).keys,
              (std::vector<RegistryKeyRecord>{
                  {dohItem + "\\Doh\\192.0.2.1", ReadState::Read, {Dword("DohFlags", 1)}},
                  {dohItem + "\\Doh6\\fd00::53", ReadState::Read, {Sz("DohTemplate", "https://dns.example/q")}}}));
    EXPECT_EQ(settings.store(RegistryStore::PolicyRules).state, ReadState::Absent);
    EXPECT_EQ(settings.store(RegistryStore::DohWellKnownServers).state, ReadState::Absent);
}

TEST_F(ResolutionReaderTest, KeyThatCannotBeReadIsUnreadableNotAbsent) {
    registry_.AddValue(std::string(kLocalRules) + "\\{OPEN}", Sz("GenericDNSServers", "10.0.0.53"));
    registry_.MakeUnreadable(std::string(kLocalRules) + "\\{LOCKED}");
    registry_.MakeUnreadable(std::string(kInterfaceParameters) + "\\" + kAdapter + "\\DohInterfaceSettings\\Doh");
    registry_.MakeUnreadable(kPolicyClient);

    const ResolutionSettings settings = reader_.ReadAll();

    EXPECT_EQ(settings.store(RegistryStore::LocalRules).keys,
              (std::vector<RegistryKeyRecord>{{"{LOCKED}", ReadState::Unreadable, {}},
                                              {"{OPEN}", ReadState::Read, {Sz("GenericDNSServers", "10.0.0.53")}}}));
    EXPECT_EQ(settings.store(RegistryStore::InterfaceDoh).keys,
              (std::vector<RegistryKeyRecord>{
                  {std::string(kAdapter) + "\\DohInterfaceSettings\\Doh", ReadState::Unreadable, {}}}));
    EXPECT_EQ(settings.store(RegistryStore::PolicyClient).state, ReadState::Unreadable);
    EXPECT_TRUE(settings.store(RegistryStore::PolicyClient).keys.empty());
}

// ---- The hosts file's place ----

struct LocationRow {
    const char* name;
    std::vector<RegistryValue> values;  // of Tcpip\Parameters
    const char* path;
};

TEST_F(ResolutionReaderTest, HostsFileIsFoundWhereDataBasePathPoints) {
    const LocationRow rows[] = {
        {"no value: the default folder", {}, kDefaultHostsPath},
        {"expandable text",
         {{"DataBasePath", kRegExpandSz, fakes::SzData("%SystemRoot%\\etc"), 0}},
         "C:\\Windows\\etc\\hosts"},
        {"plain text with a last separator", {Sz("DataBasePath", "D:\\lists\\")}, "D:\\lists\\hosts"},
        {"number: the default folder", {Dword("DataBasePath", 7)}, kDefaultHostsPath},
    };
    for (const LocationRow& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::FakeRegistryTree registry;
        registry.AddKey(kTcpipParameters);
        for (const RegistryValue& value : row.values)
            registry.AddValue(kTcpipParameters, value);
        files_.Put(row.path, "127.0.0.1 localhost\n", 1);
        ResolutionReader reader({registry, adapters_, files_});
        const HostsFileSnapshot hosts = reader.ReadAll().hosts;
        EXPECT_EQ(hosts.path, row.path);
        EXPECT_EQ(hosts.state, HostsFileState::Read);
    }
}

TEST_F(ResolutionReaderTest, HostsFileWhosePlaceCannotBeToldIsUnreadable) {
    registry_.MakeUnreadable(kTcpipParameters);
    files_.Put(kDefaultHostsPath, "127.0.0.1 localhost\n", 1);
    EXPECT_EQ(reader_.ReadAll().hosts.state, HostsFileState::Unreadable);

    fakes::FakeRegistryTree registry;
    files_.expands = false;
    ResolutionReader reader({registry, adapters_, files_});
    EXPECT_EQ(reader.ReadAll().hosts.state, HostsFileState::Unreadable);
    EXPECT_EQ(HostsReads(), 0);
}

// ---- Reading the hosts file only when it changed ----

TEST_F(ResolutionReaderTest, UnchangedHostsFileIsNotReadAgainAndIsShared) {
    files_.Put(kDefaultHostsPath, "10.0.0.1 intranet\n", 100);
    const ResolutionSettings first = reader_.ReadAll();
    const ResolutionSettings second = reader_.ReadAll();
    EXPECT_EQ(HostsReads(), 1);
    EXPECT_EQ(first.hosts.content, second.hosts.content);
    EXPECT_EQ(second.hosts.content->entries, (HostsEntries{{"10.0.0.1", {"intranet"}}}));
}

TEST_F(ResolutionReaderTest, HostsFileIsReadAgainWhenItsSizeTimeOrFolderSaySo) {
    files_.Put(kDefaultHostsPath, "10.0.0.1 intranet\n", 100);
    reader_.ReadAll();

    files_.Put(kDefaultHostsPath, "10.0.0.1 intranet\n10.0.0.2 mail\n", 100);
    EXPECT_EQ(reader_.ReadAll().hosts.content->entries.size(), 2u) << "the size changed";
    EXPECT_EQ(HostsReads(), 2);

    files_.Put(kDefaultHostsPath, "10.0.0.9 intranet\n10.0.0.2 mail\n", 101);
    EXPECT_EQ(reader_.ReadAll().hosts.content->entries[0].address, "10.0.0.9") << "the time changed";
    EXPECT_EQ(HostsReads(), 3);

    // Written within the file system's time granularity: size and time stay, only the folder tells.
    files_.Put(kDefaultHostsPath, "10.0.0.6 intranet\n10.0.0.2 mail\n", 101);
    EXPECT_EQ(reader_.ReadAll().hosts.content->entries[0].address, "10.0.0.9");
    EXPECT_EQ(HostsReads(), 3);
    reader_.NoteHostsFolderChanged();
    EXPECT_EQ(reader_.ReadAll().hosts.content->entries[0].address, "10.0.0.6");
    EXPECT_EQ(HostsReads(), 4);
    reader_.ReadAll();
    EXPECT_EQ(HostsReads(), 4) << "the signal is used up by one read";
}

TEST_F(ResolutionReaderTest, MissingAndUnreadableHostsFiles) {
    EXPECT_EQ(reader_.ReadAll().hosts.state, HostsFileState::Absent);

    files_.Put(kDefaultHostsPath, "10.0.0.1 intranet\n", 100);
    files_.files[kDefaultHostsPath].readState = FileReadState::Unreadable;
    const HostsFileSnapshot held = reader_.ReadAll().hosts;
    EXPECT_EQ(held.state, HostsFileState::Unreadable) << "a file held open without sharing";
    EXPECT_FALSE(held.content);

    // Nothing was kept from the failed read: the next one tries again.
    files_.files[kDefaultHostsPath].readState = FileReadState::Present;
    EXPECT_EQ(reader_.ReadAll().hosts.state, HostsFileState::Read);
    EXPECT_EQ(HostsReads(), 2);

    files_.files[kDefaultHostsPath].facts.state = FileReadState::Unreadable;
    EXPECT_EQ(reader_.ReadAll().hosts.state, HostsFileState::Unreadable);
    files_.files.erase(kDefaultHostsPath);
    EXPECT_EQ(reader_.ReadAll().hosts.state, HostsFileState::Absent);
}

TEST_F(ResolutionReaderTest, HostsFileOverTheLimitIsHashedNotParsed) {
    std::string bytes(kHostsFileParseLimit + 1, ' ');
    bytes.replace(0, 11, "10.0.0.1 a\n");
    files_.Put(kDefaultHostsPath, bytes, 100);
    const HostsFileSnapshot hosts = reader_.ReadAll().hosts;
    EXPECT_EQ(hosts.state, HostsFileState::TooLarge);
    EXPECT_EQ(hosts.content->size, bytes.size());
    EXPECT_EQ(hosts.content->digest, Sha256Hex(bytes));
    EXPECT_TRUE(hosts.content->bytes.empty());
    EXPECT_TRUE(hosts.content->entries.empty());

    // One byte less is within the limit: kept and parsed.
    bytes.pop_back();
    files_.Put(kDefaultHostsPath, bytes, 101);
    const HostsFileSnapshot within = reader_.ReadAll().hosts;
    EXPECT_EQ(within.state, HostsFileState::Read);
    EXPECT_EQ(within.content->bytes, bytes);
    EXPECT_EQ(within.content->digest, Sha256Hex(bytes));
    EXPECT_EQ(within.content->entries, (HostsEntries{{"10.0.0.1", {"a"}}}));
}

}  // namespace
}  // namespace quillcrest
