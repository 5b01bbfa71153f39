#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "resolution/resolution_settings.h"

namespace quillcrest {

// The baseline of the DNS settings that decide where names go, kept in a plain text file of its own beside
// "AllowedDNS.txt". This file holds only the text form; the caller reads the file and saves it with the
// program's safe replacement (write "<name>.new" beside it, then rename it over in one step).
//
// Format: one record per line, lines ending in CR LF (LF alone is read too), tokens separated by one blank.
// Texts stand in double quotes, with \\ \" \r \n \t and \xHH (two hexadecimal digits) for a backslash, a
// double quote and control bytes; other bytes stand as they are (names are UTF-8). Records, in this order:
//   Quillcrest DNS baseline 1                     the header with the format version
//   adapters read|unreadable
//   adapter "{GUID}" "connection name"            then its servers in order:
//   ipv6 fd00::53                                 one line per server
//   ipv4 192.168.1.1
//   store TOKEN absent|read|unreadable            each store of registry_stores.h once, in its order; then
//   key "relative\\path" read|unreadable          its item keys, each followed by its values:
//   value "name" TYPE DATA
//   hosts absent|read|too-large|unreadable "full path" [SIZE SHA256]   SIZE and SHA256 for read and too-large
//   hosts-line "text"                             read only: the file's bytes, one line (with its line end)
//                                                 per record, so that it can be written back byte for byte
//   end
// TYPE is REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_BINARY ... or a decimal number for a
// type Windows does not name. DATA is "text" for REG_SZ and REG_EXPAND_SZ in their usual form, the strings
// "a" "b" for REG_MULTI_SZ in its usual form (nothing for an empty list), a decimal number for REG_DWORD and
// REG_QWORD of their usual size, oversize:N for a value kept by size only, and hex:0a1b... for everything else
// (see registry_value_text.h), so every value is kept exactly. Example:
//   Quillcrest DNS baseline 1
//   adapters read
//   adapter "{4D36E972-E325-11CE-BFC1-08002BE10318}" "Ethernet"
//   ipv6 fd00::53
//   ipv4 192.168.1.1
//   store static-ipv6-servers read
//   store policy-client absent
//   store policy-rules absent
//   store local-rules read
//   key "{2B6B9A1C-0000-4000-8000-000000000001}" read
//   value "ConfigOptions" REG_DWORD 8
//   value "GenericDNSServers" REG_SZ "10.0.0.53"
//   value "Name" REG_MULTI_SZ ".corp.example"
//   store doh-well-known-servers absent
//   store interface-doh absent
//   store tcpip-parameters read
//   key "" read
//   value "DataBasePath" REG_EXPAND_SZ "%SystemRoot%\\System32\\drivers\\etc"
//   hosts read "C:\\Windows\\System32\\drivers\\etc\\hosts" 30 5d62...
//   hosts-line "# hosts\r\n"
//   hosts-line "127.0.0.1 localhost\r\n"
//   end

constexpr char kDnsBaselineFileName[] = "DNSBaseline.txt";
// A damaged baseline is set aside under its name with this added, and a new one is taken.
constexpr char kDamagedDnsBaselineSuffix[] = ".damaged";
constexpr int kDnsBaselineFormatVersion = 1;
// The longest baseline text read. The largest the reader can give is a hosts file at its limit made of line
// ends only, one record per byte: 17 times kHostsFileParseLimit; the rest is room for the registry.
constexpr std::size_t kLongestDnsBaselineText = 32 * kHostsFileParseLimit;

// The baseline file's path in folder (the folder of "AllowedDNS.txt", with or without its last separator).
std::string DnsBaselinePath(const std::string& folder);

// The text of the baseline file for settings. Reading it back gives settings again, exactly.
std::string SerializeDnsBaseline(const ResolutionSettings& settings);

enum class DnsBaselineStatus {
    // No file: the caller takes a baseline now.
    NoBaseline,
    // Read whole; settings holds it.
    Read,
    // The file is there but is not a baseline as written (cut short, edited, another version): the caller sets
    // it aside and takes a baseline again.
    Damaged,
};

struct DnsBaselineReading {
    DnsBaselineStatus status = DnsBaselineStatus::NoBaseline;
    ResolutionSettings settings;
    // Why it is damaged, naming the line ("line 7: unknown record \"foo\"").
    std::string damage;
};

// Reads the file's text; nullopt stands for no file.
DnsBaselineReading ParseDnsBaseline(const std::optional<std::string>& fileText);

// "no baseline", "read" or "damaged: <reason>".
std::string DescribeDnsBaselineReading(const DnsBaselineReading& reading);

}  // namespace quillcrest
