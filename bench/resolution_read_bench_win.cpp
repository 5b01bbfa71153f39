// Cost of reading every source of the DNS resolution model when nothing changed, against the bare platform calls
// that read cannot avoid; and the extra cost of a 5 MB hosts file that did not change.
//
// The registry of the benchmark's prefix is given what a Windows 11 PC holds: interface keys under Tcpip6 (two of
// them with static servers), name resolution rules, the encrypted-DNS servers Windows knows, encrypted-DNS
// settings of two adapters and a policy; the keys this program makes are removed at its end. The bare side makes
// the same calls in the same order (GetAdaptersAddresses, each key opened by its full path, its subkeys listed,
// its values read, the hosts file's folder expanded and the file's facts asked) into fixed buffers, building no
// model. The hosts file is one of this program's own: the reader's file access is pointed at it.
//
// Usage: resolution_read_bench.exe [reads per round] [rounds]. Prints the medians and two result lines
// "BENCH|name|figure|goal|ratio|verdict" for the report script.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench_clock_win.h"
#include "bench_median.h"
#include "resolution/adapter_dns_source_win.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/hosts_file_access_win.h"
#include "resolution/registry_stores.h"
#include "resolution/registry_tree_win.h"
#include "resolution/resolution_comparison.h"
#include "resolution/resolution_reader.h"

using namespace quillcrest;
using bench::Median;
using bench::Now;

namespace {

constexpr double kGoalRatio = 1.5;
constexpr double kGoalExtraMicros = 1000;
constexpr std::size_t kLargeHostsBytes = 5 * 1000 * 1000;
// Reads of each side alternate in blocks this long, so a change of machine load falls on both.
constexpr int kBlock = 10;
constexpr int kInterfaces = 8;
constexpr ULONG kAdapterFlags = GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "resolution read bench: %s\n", what.c_str());
    std::fflush(stderr);
    std::exit(2);
}

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

std::string Text(const wchar_t* text) {
    std::string out;
    for (; *text; ++text)
        out += static_cast<char>(*text);
    return out;
}

// The keys this program makes in HKEY_LOCAL_MACHINE; the highest one made on each path goes at the end with
// everything beneath it.
class MadeKeys {
  public:
    ~MadeKeys() {
        for (const std::wstring& top : tops_) {
            ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, top.c_str());
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, top.c_str());
        }
    }
    void Set(const std::string& path, const std::string& name, DWORD type, const std::wstring& text) {
        SetBytes(path, name, type,
                 std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t)));
    }
    void SetBytes(const std::string& path, const std::string& name, DWORD type, const std::string& data) {
        for (std::size_t at = 0; at != std::string::npos;) {
            at = path.find('\\', at + 1);
            const std::wstring part = Wide(path.substr(0, at));
            HKEY probe = nullptr;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, part.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {
                ::RegCloseKey(probe);
                continue;
            }
            tops_.push_back(part);
            break;
        }
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            Fail("cannot make " + path);
        ::RegSetValueExW(key, Wide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()));
        ::RegCloseKey(key);
    }

  private:
    std::vector<std::wstring> tops_;
};

void MakeWindowsElevenRegistry(MadeKeys& keys) {
    const std::string dnscache = "SYSTEM\\CurrentControlSet\\Services\\Dnscache";
    for (int i = 0; i < kInterfaces; ++i) {
        char id[64];
        std::snprintf(id, sizeof id, "{BE7C0000-0000-4000-8000-%012d}", i);
        const std::string tcpip6 = std::string(Definition(RegistryStore::StaticIpv6Servers).keyPath) + "\\" + id;
        keys.SetBytes(tcpip6, "EnableDHCP", REG_DWORD, std::string("\x01\0\0\0", 4));
        if (i < 2)
            keys.Set(tcpip6, "NameServer", REG_SZ, L"fd00::53 fd00::54");
        const std::string doh = dnscache + "\\InterfaceSpecificParameters\\" + id;
        keys.Set(doh, "Marker", REG_SZ, L"x");
        if (i < 2) {
            keys.Set(doh + "\\DohInterfaceSettings\\Doh\\192.0.2.53", "DohTemplate", REG_SZ, L"https://dns.example/q");
            keys.SetBytes(doh + "\\DohInterfaceSettings\\Doh\\192.0.2.53", "DohFlags", REG_QWORD,
                          std::string("\x01\0\0\0\0\0\0\0", 8));
        }
    }
    for (int i = 0; i < 3; ++i) {
        const std::string rule = dnscache + "\\Parameters\\DnsPolicyConfig\\{RULE-" + std::to_string(i) + "}";
        keys.SetBytes(rule, "Name", REG_MULTI_SZ, std::string(".\0c\0o\0r\0p\0\0\0\0\0", 14));
        keys.Set(rule, "GenericDNSServers", REG_SZ, L"10.0.0.53;10.0.0.54");
        keys.SetBytes(rule, "ConfigOptions", REG_DWORD, std::string("\x08\0\0\0", 4));
        keys.SetBytes(rule, "Version", REG_DWORD, std::string("\x02\0\0\0", 4));
    }
    for (int i = 0; i < 9; ++i) {
        const std::string server = dnscache + "\\Parameters\\DohWellKnownServers\\192.0.2." + std::to_string(10 + i);
        keys.Set(server, "Template", REG_SZ, L"https://dns" + std::to_wstring(i) + L".example/dns-query");
    }
    keys.Set(Definition(RegistryStore::PolicyClient).keyPath, "NameServer", REG_SZ, L"10.0.0.66");
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE ||
        !::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        Fail("cannot write a hosts file");
    ::CloseHandle(file);
}

// The real file access, pointed at one file of this program whatever path the reader asks for.
class OneFile : public HostsFileAccess {
  public:
    explicit OneFile(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> ExpandEnvironment(const std::string& text) override {
        return real_.ExpandEnvironment(text);
    }
    FileFacts Facts(const std::string&) override { return real_.Facts(path_); }
    FileReadState ReadPieces(const std::string&, const std::function<void(std::string_view)>& consume) override {
        return real_.ReadPieces(path_, consume);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    Win32HostsFileAccess real_;
};

// The platform calls of one read, made straight into fixed buffers.
class BareCalls {
  public:
    explicit BareCalls(std::wstring hostsPath)
        : hostsPath_(std::move(hostsPath)), adapters_(64 * 1024 / 8), name_(16384), data_(64 * 1024) {}

    void Run() {
        ULONG size = static_cast<ULONG>(adapters_.size() * 8);
        if (::GetAdaptersAddresses(AF_UNSPEC, kAdapterFlags, nullptr,
                                   reinterpret_cast<IP_ADAPTER_ADDRESSES*>(adapters_.data()), &size) != NO_ERROR)
            Fail("GetAdaptersAddresses failed");
        RunRegistryAndFile();
    }

    // The calls after the adapters': registry and hosts file.
    void RunRegistryAndFile() {
        for (const RegistryStoreDefinition& definition : RegistryStoreDefinitions())
            Walk(definition, Wide(definition.keyPath), 0);
        wchar_t folder[MAX_PATH];
        ::ExpandEnvironmentStringsW(L"%SystemRoot%\\System32\\drivers\\etc", folder, MAX_PATH);
        WIN32_FILE_ATTRIBUTE_DATA facts;
        ::GetFileAttributesExW(hostsPath_.c_str(), GetFileExInfoStandard, &facts);
    }

  private:
    // The same walk as the reader: items at the depth of the store's levels, fixed names opened straight away.
    void Walk(const RegistryStoreDefinition& definition, const std::wstring& path, std::size_t level) {
        const bool isItem = level == definition.itemLevels.size();
        if (!isItem && std::string(definition.itemLevels[level]) != "*") {
            std::string names = definition.itemLevels[level];
            for (std::size_t start = 0; start <= names.size();) {
                std::size_t end = names.find('|', start);
                if (end == std::string::npos)
                    end = names.size();
                Walk(definition, path + L"\\" + Wide(names.substr(start, end - start)), level + 1);
                start = end + 1;
            }
            return;
        }
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        std::vector<std::wstring> subkeys;
        if (!isItem) {
            for (DWORD index = 0;; ++index) {
                DWORD length = 256;
                if (::RegEnumKeyExW(key, index, name_.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
                    ERROR_SUCCESS)
                    break;
                subkeys.emplace_back(name_.data(), length);
            }
        } else if (definition.valueNames.empty()) {
            for (DWORD index = 0;; ++index) {
                DWORD length = 16384, type = 0, size = static_cast<DWORD>(data_.size());
                if (::RegEnumValueW(key, index, name_.data(), &length, nullptr, &type, data_.data(), &size) !=
                    ERROR_SUCCESS)
                    break;
            }
        } else {
            for (const char* name : definition.valueNames) {
                DWORD type = 0, size = static_cast<DWORD>(data_.size());
                ::RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type, data_.data(), &size);
            }
        }
        ::RegCloseKey(key);
        for (const std::wstring& subkey : subkeys)
            Walk(definition, path + L"\\" + subkey, level + 1);
    }

    std::wstring hostsPath_;
    std::vector<std::uint64_t> adapters_;
    std::vector<wchar_t> name_;
    std::vector<unsigned char> data_;
};

struct Reader {
    explicit Reader(const std::string& hostsPath) : files(hostsPath), reader({registry, adapters, files}) {}
    Win32RegistryTree registry;
    Win32AdapterDnsSource adapters;
    OneFile files;
    ResolutionReader reader;
};

// The adapters of one real read, handed out again without asking the platform.
class FixedAdapters : public AdapterDnsSource {
  public:
    AdapterSnapshot ReadAdapters() override { return snapshot; }
    AdapterSnapshot snapshot;
};

// The reader without the adapters' call, which under Wine outweighs the rest many times over.
struct RegistryAndFileReader {
    RegistryAndFileReader(const std::string& hostsPath, AdapterSnapshot snapshot)
        : files(hostsPath), reader({registry, adapters, files}) {
        adapters.snapshot = std::move(snapshot);
    }
    Win32RegistryTree registry;
    FixedAdapters adapters;
    OneFile files;
    ResolutionReader reader;
};

// Times blocks of a and b alternately; the median of the per-block ratios, and the median microseconds of each.
struct Timing {
    double aMicros, bMicros, ratio;
};

Timing Alternate(const std::function<void()>& a, const std::function<void()>& b, int perRound, int rounds) {
    std::vector<double> aTimes, bTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        for (int done = 0; done < perRound; done += kBlock) {
            auto time = [](const std::function<void()>& run) {
                const double start = Now();
                for (int i = 0; i < kBlock; ++i)
                    run();
                return (Now() - start) / kBlock * 1e6;
            };
            double ta, tb;
            // Which side goes first alternates, so neither gains from its place.
            if ((done / kBlock) % 2 == 0) {
                ta = time(a);
                tb = time(b);
            } else {
                tb = time(b);
                ta = time(a);
            }
            aTimes.push_back(ta);
            bTimes.push_back(tb);
            ratios.push_back(ta / tb);
        }
    }
    return Timing{Median(aTimes), Median(bTimes), Median(ratios)};
}

std::string LargeHostsFile() {
    std::string bytes = "# a blocking list\r\n";
    for (int i = 0; bytes.size() < kLargeHostsBytes; ++i)
        bytes += "0.0.0.0 ads" + std::to_string(i) + ".tracker.example.com\r\n";
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const int perRound = argc > 1 ? std::max(kBlock, std::atoi(argv[1])) : 300;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    MadeKeys keys;
    MakeWindowsElevenRegistry(keys);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"quillcrest-resolution-bench";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring smallPath = folder + L"\\hosts-small";
    const std::wstring largePath = folder + L"\\hosts-large";
    WriteFile(smallPath, "# hosts\r\n127.0.0.1 localhost\r\n::1 localhost\r\n");
    WriteFile(largePath, LargeHostsFile());

    Reader small(Text(smallPath.c_str()));
    Reader large(Text(largePath.c_str()));
    BareCalls bare(smallPath);
    RegistryAndFileReader withoutAdapters(Text(smallPath.c_str()), small.reader.ReadAll().adapters);

    // The first read of the large file: parsed once, then handed on while it does not change.
    const double firstStart = Now();
    const ResolutionSettings largeFirst = large.reader.ReadAll();
    const double firstMillis = (Now() - firstStart) * 1e3;
    if (largeFirst.hosts.state != HostsFileState::Read)
        Fail("the large hosts file was not read");
    const ResolutionSettings smallFirst = small.reader.ReadAll();
    std::printf(
        "model: %zu adapters; static IPv6 keys %zu, local rules %zu, well-known servers %zu, adapter "
        "settings %zu; large hosts file %llu bytes, %zu lines that map names, first read %.1f ms\n",
        smallFirst.adapters.adapters.size(), smallFirst.store(RegistryStore::StaticIpv6Servers).keys.size(),
        smallFirst.store(RegistryStore::LocalRules).keys.size(),
        smallFirst.store(RegistryStore::DohWellKnownServers).keys.size(),
        smallFirst.store(RegistryStore::InterfaceDoh).keys.size(),
        static_cast<unsigned long long>(largeFirst.hosts.content->size), largeFirst.hosts.content->entries.size(),
        firstMillis);

    // Baselines as the program has them: read back from their file, so nothing is shared with a fresh read.
    const ResolutionSettings smallBaseline = ParseDnsBaseline(SerializeDnsBaseline(smallFirst)).settings;
    const ResolutionSettings largeBaseline = ParseDnsBaseline(SerializeDnsBaseline(largeFirst)).settings;

    for (int i = 0; i < 50; ++i) {
        small.reader.ReadAll();
        large.reader.ReadAll();
        withoutAdapters.reader.ReadAll();
        bare.Run();
    }

    const Timing read = Alternate([&] { small.reader.ReadAll(); }, [&] { bare.Run(); }, perRound, rounds);
    const bool readMet = read.ratio <= kGoalRatio;
    std::printf("whole read without a change: %.1f us; bare calls: %.1f us (medians of blocks of %d); ratio %.3f\n",
                read.aMicros, read.bMicros, kBlock, read.ratio);
    std::printf(
        "BENCH|DNS resolution model read, nothing changed|%.1f us vs %.1f us bare calls|<= %.2f x bare "
        "calls|%.3f x|%s\n",
        read.aMicros, read.bMicros, kGoalRatio, read.ratio, readMet ? "met" : "NOT met");

    const Timing rest =
        Alternate([&] { withoutAdapters.reader.ReadAll(); }, [&] { bare.RunRegistryAndFile(); }, perRound, rounds);
    std::printf("the same without GetAdaptersAddresses: %.1f us; bare calls: %.1f us; ratio %.3f\n", rest.aMicros,
                rest.bMicros, rest.ratio);

    std::size_t differences = 0;
    const Timing check =
        Alternate([&] { differences += CompareResolutionSettings(largeBaseline, large.reader.ReadAll()).size(); },
                  [&] { differences += CompareResolutionSettings(smallBaseline, small.reader.ReadAll()).size(); },
                  perRound, rounds);
    if (differences != 0)
        Fail("a read that changed nothing gave differences");
    const double extra = check.aMicros - check.bMicros;
    const bool extraMet = extra <= kGoalExtraMicros;
    std::printf("read + compare with the 5 MB hosts file: %.1f us; with a 3-line one: %.1f us; extra %+.1f us\n",
                check.aMicros, check.bMicros, extra);
    std::printf(
        "BENCH|DNS resolution read + compare, 5 MB hosts file unchanged|%+.1f us per read (%.1f us vs %.1f "
        "us with a 3-line file; a change costs %.0f ms)|<= 1 ms extra|%.3f x|%s\n",
        extra, check.aMicros, check.bMicros, firstMillis, extra / kGoalExtraMicros, extraMet ? "met" : "NOT met");
    std::fflush(stdout);

    ::DeleteFileW(smallPath.c_str());
    ::DeleteFileW(largePath.c_str());
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
