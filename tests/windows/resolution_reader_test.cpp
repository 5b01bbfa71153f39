#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/win_handles_win.h"
#include "resolution/adapter_dns_source_win.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/folder_change_notification_win.h"
#include "resolution/hosts_file_access_win.h"
#include "resolution/registry_tree_win.h"
#include "resolution/resolution_comparison.h"
#include "resolution/resolution_reader.h"
#include "resolution/resolution_watched_keys_win.h"
#include "resolution/system_resolution_reader_win.h"
#include "settings/registry_change_notification_win.h"
#include "support/resolution_registry_scratch_win.h"

namespace quillcrest {
namespace {

using fakes::DwordBytes;
using fakes::RegistryScratch;
using fakes::Utf16Bytes;

constexpr DWORD kSignalWaitMs = 5000;
// Long enough for a signal on its way to arrive, short enough to wait for several times.
constexpr DWORD kQuietWaitMs = 300;

constexpr char kTcpipParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kTcpip6Interfaces[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces";
constexpr char kPolicyClient[] = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient";
constexpr char kDnscacheParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters";
constexpr char kInterfaceParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\InterfaceSpecificParameters";

std::string Suffix() {
    return std::to_string(::GetCurrentProcessId());
}

std::vector<RegistryValue> ByName(std::vector<RegistryValue> values) {
    std::sort(values.begin(), values.end(),
              [](const RegistryValue& a, const RegistryValue& b) { return a.name < b.name; });
    return values;
}

// Counts the reads of the hosts file that reach the file system.
class CountingHostsFiles : public HostsFileAccess {
  public:
    std::optional<std::string> ExpandEnvironment(const std::string& text) override {
        return real_.ExpandEnvironment(text);
    }
    FileFacts Facts(const std::string& path) override { return real_.Facts(path); }
    FileReadState ReadPieces(const std::string& path, const std::function<void(std::string_view)>& consume) override {
        ++reads;
        return real_.ReadPieces(path, consume);
    }
    int reads = 0;

  private:
    Win32HostsFileAccess real_;
};

// A folder of the test's own under the temporary folder, which "DataBasePath" names while the test runs, so
// the prefix's own hosts file is never touched.
class ResolutionReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fakes::HostsFolderForTest(registry_, L"quillcrest-resolution-");
        hostsPath_ = folder_ + L"\\hosts";
        const AdapterSnapshot adapters = Win32AdapterDnsSource().ReadAdapters();
        ASSERT_EQ(adapters.state, ReadState::Read);
        ASSERT_FALSE(adapters.adapters.empty()) << "Wine lists at least one adapter";
        adapter_ = adapters.adapters.front();
    }
    void TearDown() override {
        ::DeleteFileW(hostsPath_.c_str());
        ::DeleteFileW((folder_ + L"\\written").c_str());
        ::RemoveDirectoryW(folder_.c_str());
    }

    void WriteHosts(const std::string& bytes) {
        UniqueFile file(::CreateFileW(hostsPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    FILETIME HostsWriteTime() {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(hostsPath_.c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }
    void SetHostsWriteTime(const FILETIME& time) {
        UniqueFile file(::CreateFileW(hostsPath_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time));
    }
    std::string HostsPathText() const { return std::string(hostsPath_.begin(), hostsPath_.end()); }

    RegistryScratch registry_;
    std::wstring folder_;
    std::wstring hostsPath_;
    AdapterDns adapter_;
};

TEST_F(ResolutionReaderTest, EveryRegistrySourceIsReadExactlyAndComparedAgainstTheBaseline) {
    WriteHosts("127.0.0.1 localhost\r\n");
    SystemResolutionReader reader;
    const ResolutionSettings baseline = reader.ReadAll();
    EXPECT_EQ(baseline.hosts.path, HostsPathText());
    EXPECT_EQ(baseline.hosts.state, HostsFileState::Read);

    const std::string localRule = "{QC-LOCAL-" + Suffix() + "}";
    const std::string policyRule = "{QC-POLICY-" + Suffix() + "}";
    const std::string rules = std::string(kDnscacheParameters) + "\\DnsPolicyConfig\\" + localRule;
    registry_.Set(rules, "Name", REG_MULTI_SZ, Utf16Bytes(L".") + std::string(2, '\0'));
    registry_.Set(rules, "GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.53.53"));
    registry_.Set(rules, "ConfigOptions", REG_DWORD, DwordBytes(8));
    registry_.Set(std::string(kPolicyClient) + "\\DnsPolicyConfig\\" + policyRule, "GenericDNSServers", REG_SZ,
                  Utf16Bytes(L"127.0.53.54"));
    registry_.Set(kPolicyClient, "NameServer", REG_SZ, Utf16Bytes(L"127.0.53.55"));
    registry_.Set(kPolicyClient, "DoHPolicy", REG_DWORD, DwordBytes(3));
    registry_.Set(kPolicyClient, "QcNotCounted" + Suffix(), REG_DWORD, DwordBytes(1));
    registry_.Set(std::string(kDnscacheParameters) + "\\DohWellKnownServers\\127.0.53.56", "Template", REG_SZ,
                  Utf16Bytes(L"https://dns.example/dns-query"));
    const std::string interfaceDoh =
        std::string(kInterfaceParameters) + "\\" + adapter_.id + "\\DohInterfaceSettings\\Doh\\127.0.53.57";
    registry_.Set(interfaceDoh, "DohFlags", REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8));
    registry_.Set(interfaceDoh, "DohTemplate", REG_SZ, Utf16Bytes(L"https://dns.example/q"));
    registry_.Set(std::string(kTcpip6Interfaces) + "\\" + adapter_.id, "NameServer", REG_SZ, Utf16Bytes(L"::1"));

    const ResolutionSettings current = reader.ReadAll();

    const RegistryKeyRecord* rule = FindKey(current.store(RegistryStore::LocalRules), localRule);
    ASSERT_NE(rule, nullptr);
    // In the order the registry lists them, which is its own.
    EXPECT_EQ(ByName(rule->values),
              (std::vector<RegistryValue>{{"ConfigOptions", REG_DWORD, DwordBytes(8), 0},
                                          {"GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.53.53"), 0},
                                          {"Name", REG_MULTI_SZ, Utf16Bytes(L".") + std::string(2, '\0'), 0}}));
    const RegistryKeyRecord* client = FindKey(current.store(RegistryStore::PolicyClient), "");
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->values.size(), 2u) << "only NameServer and DoHPolicy count";

    std::vector<std::string> described;
    for (const ResolutionDifference& difference : CompareResolutionSettings(baseline, current))
        described.push_back(DescribeDifference(difference));
    const std::vector<std::string> expected = {
        "IPv6 DNS servers (\"" + adapter_.name + "\"): was none, now ::1; set on this PC",
        "policy DNS servers (\"group policy\"): was none, now 127.0.53.55",
        "encrypted DNS policy (\"group policy\"): was none, now DoHPolicy 3",
        "name resolution rule \"" + policyRule + "\" (\"policy rules\"): was none, now servers 127.0.53.54",
        "name resolution rule \".\" (\"local rules\"): was none, now servers 127.0.53.53; ConfigOptions 8",
        "encrypted DNS template \"127.0.53.56\": was none, now https://dns.example/dns-query",
        "encrypted DNS template \"127.0.53.57\" (\"" + adapter_.name +
            "\"): was none, now https://dns.example/q; "
            "DohFlags 1",
    };
    EXPECT_EQ(described, expected);

    // What the reader gives is kept by the baseline file exactly.
    const DnsBaselineReading kept = ParseDnsBaseline(SerializeDnsBaseline(current));
    ASSERT_EQ(DescribeDnsBaselineReading(kept), "read");
    EXPECT_TRUE(kept.settings == current);
}

TEST_F(ResolutionReaderTest, WrongTypesAndOverlongValuesHaveDefinedReadings) {
    const std::string rule = std::string(kDnscacheParameters) + "\\DnsPolicyConfig\\{QC-TYPES-" + Suffix() + "}";
    registry_.Set(rule, "GenericDNSServers", REG_BINARY, std::string("\x7f\0\0\x01", 4));
    registry_.Set(rule, "Unterminated", REG_SZ, Utf16Bytes(L"127.0.0.1", false));
    registry_.Set(rule, "Huge", REG_BINARY, std::string(kLongestRegistryValue + 1, 'x'));
    registry_.Set(kTcpipParameters, "DataBasePath", REG_DWORD, DwordBytes(7));

    SystemResolutionReader reader;
    const ResolutionSettings settings = reader.ReadAll();

    const RegistryKeyRecord* key = FindKey(settings.store(RegistryStore::LocalRules), "{QC-TYPES-" + Suffix() + "}");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(*FindValue(*key, "GenericDNSServers"),
              (RegistryValue{"GenericDNSServers", REG_BINARY, std::string("\x7f\0\0\x01", 4), 0}));
    EXPECT_EQ(*FindValue(*key, "Unterminated"),
              (RegistryValue{"Unterminated", REG_SZ, Utf16Bytes(L"127.0.0.1", false), 0}));
    EXPECT_EQ(*FindValue(*key, "Huge"), (RegistryValue{"Huge", REG_BINARY, "", kLongestRegistryValue + 1}));

    // "DataBasePath" of another type: the default folder.
    wchar_t expected[MAX_PATH] = {};
    ::ExpandEnvironmentStringsW(L"%SystemRoot%\\System32\\drivers\\etc\\hosts", expected, MAX_PATH);
    EXPECT_EQ(settings.hosts.path, std::string(expected, expected + wcslen(expected)));
}

TEST_F(ResolutionReaderTest, UnchangedHostsFileIsReadOnceAndAFolderSignalReadsItAgain) {
    WriteHosts("10.0.0.1 intranet\r\n");
    Win32RegistryTree registry;
    Win32AdapterDnsSource adapters;
    CountingHostsFiles files;
    ResolutionReader reader({registry, adapters, files});

    const ResolutionSettings first = reader.ReadAll();
    const ResolutionSettings second = reader.ReadAll();
    EXPECT_EQ(files.reads, 1);
    EXPECT_EQ(first.hosts.content, second.hosts.content);
    EXPECT_EQ(second.hosts.content->entries, (HostsEntries{{"10.0.0.1", {"intranet"}}}));

    // Rewritten with the same size and its old time: nothing tells but the folder.
    const FILETIME before = HostsWriteTime();
    WriteHosts("10.0.0.9 intranet\r\n");
    SetHostsWriteTime(before);
    EXPECT_EQ(reader.ReadAll().hosts.content->entries[0].address, "10.0.0.1");
    EXPECT_EQ(files.reads, 1);
    reader.NoteHostsFolderChanged();
    EXPECT_EQ(reader.ReadAll().hosts.content->entries[0].address, "10.0.0.9");
    EXPECT_EQ(files.reads, 2);

    WriteHosts("10.0.0.9 intranet\r\n10.0.0.2 mail\r\n");
    EXPECT_EQ(reader.ReadAll().hosts.content->entries.size(), 2u) << "a new size is read at once";
    EXPECT_EQ(files.reads, 3);
}

TEST_F(ResolutionReaderTest, HostsFileHeldOpenIsUnreadableAndAMissingOneIsAbsent) {
    SystemResolutionReader missing;
    EXPECT_EQ(missing.ReadAll().hosts.state, HostsFileState::Absent);

    WriteHosts("10.0.0.1 intranet\r\n");
    UniqueFile holder(::CreateFileW(hostsPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    SystemResolutionReader held;
    const HostsFileSnapshot hosts = held.ReadAll().hosts;
    EXPECT_EQ(hosts.state, HostsFileState::Unreadable);
    EXPECT_EQ(hosts.path, HostsPathText());
    holder.reset();
    EXPECT_EQ(held.ReadAll().hosts.state, HostsFileState::Read);
}

TEST_F(ResolutionReaderTest, FolderNotificationFiresOnAWriteUntilStopped) {
    UniqueKernelHandle signalled(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    std::atomic<int> count{0};
    FolderChangeNotification notification(std::string(folder_.begin(), folder_.end()), [&] {
        ++count;
        ::SetEvent(signalled.get());
    });
    ASSERT_TRUE(notification.Start());
    EXPECT_TRUE(notification.Start()) << "a second start while watching";
    EXPECT_NE(::WaitForSingleObject(signalled.get(), kQuietWaitMs), WAIT_OBJECT_0) << "signalled with no change";

    WriteHosts("10.0.0.1 intranet\r\n");
    EXPECT_EQ(::WaitForSingleObject(signalled.get(), kSignalWaitMs), WAIT_OBJECT_0) << "no signal for the new file";
    ::Sleep(kQuietWaitMs);
    ::ResetEvent(signalled.get());
    WriteHosts("10.0.0.2 intranet\r\n");
    EXPECT_EQ(::WaitForSingleObject(signalled.get(), kSignalWaitMs), WAIT_OBJECT_0) << "re-armed: the next write";

    notification.Stop();
    EXPECT_FALSE(notification.watching());
    const int stoppedAt = count;
    WriteHosts("10.0.0.3 intranet\r\n");
    ::Sleep(kQuietWaitMs);
    EXPECT_EQ(count, stoppedAt) << "signalled after Stop";

    FolderChangeNotification nowhere(std::string(folder_.begin(), folder_.end()) + "\\no such folder", [] {});
    EXPECT_FALSE(nowhere.Start());
    EXPECT_FALSE(nowhere.watching());
}

TEST_F(ResolutionReaderTest, WatchedKeysSignalARuleWrittenWhereNoKeyWasYet) {
    UniqueKernelHandle signalled(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    RegistryChangeNotification notification(ResolutionWatchedKeys(),
                                            [&] { return ::SetEvent(signalled.get()) != FALSE; });
    ASSERT_TRUE(notification.Start());
    registry_.Set(std::string(kDnscacheParameters) + "\\DnsPolicyConfig\\{QC-WATCH-" + Suffix() + "}",
                  "GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.53.58"));
    EXPECT_EQ(::WaitForSingleObject(signalled.get(), kSignalWaitMs), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace quillcrest
