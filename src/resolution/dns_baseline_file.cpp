#include "resolution/dns_baseline_file.h"

#include <cstdint>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ascii_case.h"
#include "base/hex_digits.h"
#include "resolution/ip_address_text.h"
#include "resolution/number_text.h"
#include "resolution/registry_value_text.h"
#include "resolution/sha256.h"
#include "settings/registry_api.h"

namespace quillcrest {
namespace {

constexpr std::string_view kHeaderPrefix = "Quillcrest DNS baseline ";
constexpr char kLineEnd[] = "\r\n";
constexpr char kHexPrefix[] = "hex:";
constexpr char kOversizePrefix[] = "oversize:";
constexpr std::size_t kDigestHexLength = 64;

// --- writing --------------------------------------------------------------------------------------------------

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    out += "\\x";
                    AppendHexByte(out, byte);
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

const char* StateWord(ReadState state) {
    switch (state) {
        case ReadState::Absent:
            return "absent";
        case ReadState::Read:
            return "read";
        case ReadState::Unreadable:
            return "unreadable";
    }
    return "";
}

const char* HostsStateWord(HostsFileState state) {
    switch (state) {
        case HostsFileState::Absent:
            return "absent";
        case HostsFileState::Read:
            return "read";
        case HostsFileState::TooLarge:
            return "too-large";
        case HostsFileState::Unreadable:
            return "unreadable";
    }
    return "";
}

std::string DataField(const RegistryValue& value) {
    if (value.oversizeBytes > 0)
        return kOversizePrefix + std::to_string(value.oversizeBytes);
    if (value.type == kRegSz || value.type == kRegExpandSz) {
        if (const std::optional<std::string> text = StringData(value.data))
            return Quoted(*text);
    } else if (value.type == kRegMultiSz) {
        if (const std::optional<std::vector<std::string>> strings = MultiStringData(value.data)) {
            std::string field;
            for (const std::string& text : *strings)
                field += (field.empty() ? "" : " ") + Quoted(text);
            return field;
        }
    } else if (const std::optional<std::uint64_t> number = NumberData(value.type, value.data)) {
        return std::to_string(*number);
    }
    std::string field = kHexPrefix;
    for (char c : value.data)
        AppendHexByte(field, static_cast<std::uint8_t>(c));
    return field;
}

void AddRecord(std::string& text, const std::string& record) {
    text += record;
    text += kLineEnd;
}

// The file's bytes cut after each line end (CR LF, LF, or a CR without LF).
void AddHostsLines(std::string& text, std::string_view bytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = bytes.size();
        } else {
            if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
                ++end;
            ++end;
        }
        AddRecord(text, "hosts-line " + Quoted(bytes.substr(start, end - start)));
        start = end;
    }
}

// --- reading --------------------------------------------------------------------------------------------------

struct Token {
    bool quoted = false;
    std::string text;
};

bool IsControl(char c) {
    const auto byte = static_cast<std::uint8_t>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Splits a record into tokens separated by one blank; false with why set when it cannot.
bool Tokenize(std::string_view line, std::vector<Token>& tokens, std::string& why) {
    tokens.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (!tokens.empty()) {
            if (line[i] != ' ' || i + 1 == line.size()) {
                why = "tokens must be separated by one blank";
                return false;
            }
            ++i;
        }
        Token token;
        if (line[i] == '"') {
            token.quoted = true;
            ++i;
            for (;;) {
                if (i == line.size()) {
                    why = "a text has no closing double quote";
                    return false;
                }
                const char c = line[i++];
                if (c == '"')
                    break;
                if (IsControl(c)) {
                    why = "a control byte stands unescaped in a text";
                    return false;
                }
                if (c != '\\') {
                    token.text += c;
                    continue;
                }
                const char escape = i < line.size() ? line[i++] : '\0';
                switch (escape) {
                    case '\\':
                        token.text += '\\';
                        break;
                    case '"':
                        token.text += '"';
                        break;
                    case 'r':
                        token.text += '\r';
                        break;
                    case 'n':
                        token.text += '\n';
                        break;
                    case 't':
                        token.text += '\t';
                        break;
                    case 'x': {
                        const int high = i < line.size() ? HexDigitValue(line[i]) : -1;
                        const int low = i + 1 < line.size() ? HexDigitValue(line[i + 1]) : -1;
                        if (high < 0 || low < 0) {
                            why = "\\x is not followed by two hexadecimal digits";
                            return false;
                        }
                        token.text += static_cast<char>(high * 16 + low);
                        i += 2;
                        break;
                    }
                    default:
                        why = "unknown escape in a text";
                        return false;
                }
            }
        } else {
            const std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '"' && !IsControl(line[i]))
                ++i;
            if (i == start || (i < line.size() && line[i] != ' ')) {
                why = "a token holds a double quote or a control byte";
                return false;
            }
            token.text.assign(line.substr(start, i - start));
        }
        tokens.push_back(std::move(token));
    }
    return true;
}

class BaselineParser {
  public:
    explicit BaselineParser(std::string_view text) : text_(text) {}

    DnsBaselineReading Parse() {
        DnsBaselineReading reading;
        reading.status = DnsBaselineStatus::Damaged;
        if (text_.size() > kLongestDnsBaselineText) {
            reading.damage = "the file is longer than " + std::to_string(kLongestDnsBaselineText) + " bytes";
            return reading;
        }
        if (ParseAll(reading.settings)) {
            reading.status = DnsBaselineStatus::Read;
        } else {
            reading.settings = ResolutionSettings();
            reading.damage = damage_;
        }
        return reading;
    }

  private:
    bool Fail(const std::string& reason) { return FailAt(lineNumber_, reason); }

    bool FailAt(std::size_t line, const std::string& reason) {
        damage_ = (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) + reason;
        return false;
    }

    // Moves to the next record; false at the end of the text.
    bool NextLine() {
        if (position_ >= text_.size()) {
            line_ = std::string_view();
            return false;
        }
        std::size_t end = text_.find('\n', position_);
        std::size_t next = end == std::string_view::npos ? text_.size() : end + 1;
        if (end == std::string_view::npos)
            end = text_.size();
        if (end > position_ && text_[end - 1] == '\r' && end < text_.size())
            --end;
        line_ = text_.substr(position_, end - position_);
        position_ = next;
        ++lineNumber_;
        return true;
    }

    // Reads the next record into tokens_; false with the damage set when there is none or it is malformed.
    bool NextRecord() {
        if (!NextLine())
            return FailAt(0, "the file ends after line " + std::to_string(lineNumber_) +
                                 " without its end record: it is cut short");
        std::string why;
        if (!Tokenize(line_, tokens_, why))
            return Fail(why);
        if (tokens_.empty() || tokens_[0].quoted)
            return Fail("a record must start with its name");
        return true;
    }

    bool Is(const char* name) const { return tokens_[0].text == name; }

    bool Arity(std::size_t count) {
        return tokens_.size() == count ||
               Fail("record \"" + tokens_[0].text + "\" takes " + std::to_string(count - 1) + " fields");
    }

    bool Text(std::size_t index, std::string& out) {
        if (!tokens_[index].quoted)
            return Fail("field " + std::to_string(index) + " must be a text in double quotes");
        out = tokens_[index].text;
        return true;
    }

    bool ReadStateWord(std::size_t index, bool absentAllowed, ReadState& state) {
        const std::string& word = tokens_[index].text;
        const bool bare = !tokens_[index].quoted;
        if (bare && word == "read") {
            state = ReadState::Read;
        } else if (bare && word == "unreadable") {
            state = ReadState::Unreadable;
        } else if (bare && word == "absent" && absentAllowed) {
            state = ReadState::Absent;
        } else {
            return Fail("unknown state \"" + word + "\"");
        }
        return true;
    }

    bool ParseHeader() {
        if (!NextLine())
            return Fail("the file is empty");
        if (line_.substr(0, kHeaderPrefix.size()) != kHeaderPrefix)
            return Fail("this is not a DNS baseline");
        const std::string_view version = line_.substr(kHeaderPrefix.size());
        const std::optional<std::uint64_t> number = StrictDecimal(version, 1000000);
        if (!number)
            return Fail("the format version is not a number");
        if (*number != static_cast<std::uint64_t>(kDnsBaselineFormatVersion))
            return Fail("format version " + std::string(version) + " is not known");
        return true;
    }

    bool ParseAdapters(AdapterSnapshot& snapshot) {
        if (!NextRecord() || !Is("adapters") || !Arity(2))
            return damage_.empty() ? Fail("\"adapters\" must follow the header") : false;
        if (!ReadStateWord(1, false, snapshot.state))
            return false;
        std::set<std::string> ids;
        while (NextRecord()) {
            if (Is("adapter")) {
                if (snapshot.state != ReadState::Read)
                    return Fail("adapters that could not be read list no adapter");
                AdapterDns adapter;
                if (!Arity(3) || !Text(1, adapter.id) || !Text(2, adapter.name))
                    return false;
                if (!ids.insert(AsciiLowerCase(adapter.id)).second)
                    return Fail("adapter \"" + adapter.id + "\" is listed twice");
                snapshot.adapters.push_back(std::move(adapter));
            } else if (Is("ipv6") || Is("ipv4")) {
                const bool ipv6 = Is("ipv6");
                if (snapshot.adapters.empty())
                    return Fail("a server stands before any adapter");
                if (!Arity(2))
                    return false;
                const std::string& address = tokens_[1].text;
                if (tokens_[1].quoted || !(ipv6 ? IsIpv6Address(address) : IsStrictIpv4Address(address)))
                    return Fail("\"" + address + "\" is not an " + (ipv6 ? "IPv6" : "IPv4") + " address");
                AdapterDns& adapter = snapshot.adapters.back();
                (ipv6 ? adapter.ipv6Servers : adapter.ipv4Servers).push_back(address);
            } else {
                return true;
            }
        }
        return false;
    }

    bool ParseValue(RegistryKeyRecord& key) {
        if (tokens_.size() < 3)
            return Fail("record \"value\" takes a name, a type and data");
        RegistryValue value;
        if (!Text(1, value.name))
            return false;
        if (FindValue(key, value.name))
            return Fail("value \"" + value.name + "\" is listed twice");
        const std::optional<std::uint32_t> type =
            tokens_[2].quoted ? std::nullopt : RegistryTypeFromName(tokens_[2].text);
        if (!type)
            return Fail("unknown registry type \"" + tokens_[2].text + "\"");
        value.type = *type;
        const std::size_t fields = tokens_.size() - 3;
        const Token* data = fields > 0 ? &tokens_[3] : nullptr;
        if (value.type == kRegMultiSz && (fields == 0 || data->quoted)) {
            std::vector<std::string> strings;
            for (std::size_t i = 3; i < tokens_.size(); ++i) {
                if (!tokens_[i].quoted)
                    return Fail("a REG_MULTI_SZ list holds texts only");
                strings.push_back(tokens_[i].text);
            }
            const std::optional<std::string> bytes = MultiStringDataOf(strings);
            if (!bytes)
                return Fail("a REG_MULTI_SZ list holds an empty string, a NUL or bytes that are not UTF-8");
            value.data = *bytes;
        } else if (fields != 1) {
            return Fail("record \"value\" takes one data field");
        } else if (data->quoted) {
            if (value.type != kRegSz && value.type != kRegExpandSz)
                return Fail("only REG_SZ and REG_EXPAND_SZ data are written as text");
            const std::optional<std::string> bytes = StringDataOf(data->text);
            if (!bytes)
                return Fail("the text holds a NUL or bytes that are not UTF-8");
            value.data = *bytes;
        } else if (data->text.compare(0, sizeof kHexPrefix - 1, kHexPrefix) == 0) {
            const std::string_view digits = std::string_view(data->text).substr(sizeof kHexPrefix - 1);
            if (digits.size() % 2 != 0 || digits.size() / 2 > kLongestRegistryValue)
                return Fail("hexadecimal data must have an even count of digits within the value limit");
            for (std::size_t i = 0; i < digits.size(); i += 2) {
                const int high = HexDigitValue(digits[i]);
                const int low = HexDigitValue(digits[i + 1]);
                if (high < 0 || low < 0)
                    return Fail("hexadecimal data holds something else");
                value.data += static_cast<char>(high * 16 + low);
            }
        } else if (data->text.compare(0, sizeof kOversizePrefix - 1, kOversizePrefix) == 0) {
            const std::optional<std::uint64_t> size =
                StrictDecimal(std::string_view(data->text).substr(sizeof kOversizePrefix - 1), 0xFFFFFFFFu);
            if (!size || *size <= kLongestRegistryValue)
                return Fail("an oversize value must be longer than " + std::to_string(kLongestRegistryValue) +
                            " bytes");
            value.oversizeBytes = static_cast<std::uint32_t>(*size);
        } else {
            if (value.type != kRegDword && value.type != kRegQword)
                return Fail("only REG_DWORD and REG_QWORD data are written as a number");
            const std::optional<std::uint64_t> number =
                StrictDecimal(data->text, value.type == kRegDword ? 0xFFFFFFFFu : UINT64_MAX);
            if (!number)
                return Fail("\"" + data->text + "\" is no number of that type");
            value.data = NumberDataOf(value.type, *number);
        }
        key.values.push_back(std::move(value));
        return true;
    }

    bool ParseStores(std::array<RegistryStoreSnapshot, kRegistryStoreCount>& stores) {
        for (const RegistryStoreDefinition& definition : RegistryStoreDefinitions()) {
            RegistryStoreSnapshot& store = stores[static_cast<std::size_t>(definition.store)];
            if (!Is("store") || !Arity(3) || tokens_[1].quoted || tokens_[1].text != definition.token)
                return damage_.empty() ? Fail(std::string("expected the store \"") + definition.token + "\"") : false;
            if (!ReadStateWord(2, true, store.state))
                return false;
            while (NextRecord()) {
                if (Is("key")) {
                    if (store.state != ReadState::Read)
                        return Fail("a store that is not read lists no key");
                    RegistryKeyRecord key;
                    if (!Arity(3) || !Text(1, key.path) || !ReadStateWord(2, false, key.state))
                        return false;
                    if (FindKey(store, key.path))
                        return Fail("key \"" + key.path + "\" is listed twice");
                    store.keys.push_back(std::move(key));
                } else if (Is("value")) {
                    if (store.keys.empty() || store.keys.back().state != ReadState::Read)
                        return Fail("a value stands outside a key that was read");
                    if (!ParseValue(store.keys.back()))
                        return false;
                } else {
                    break;
                }
            }
            if (!damage_.empty())
                return false;
        }
        return true;
    }

    bool ParseHosts(HostsFileSnapshot& hosts) {
        if (!Is("hosts"))
            return Fail("expected the hosts file");
        if (tokens_.size() < 3 || tokens_[1].quoted)
            return Fail("record \"hosts\" takes a state and a path");
        const std::string& word = tokens_[1].text;
        const bool known = word == "absent" || word == "read" || word == "too-large" || word == "unreadable";
        if (!known)
            return Fail("unknown hosts file state \"" + word + "\"");
        hosts.state = word == "absent"      ? HostsFileState::Absent
                      : word == "read"      ? HostsFileState::Read
                      : word == "too-large" ? HostsFileState::TooLarge
                                            : HostsFileState::Unreadable;
        const bool hasContent = hosts.state == HostsFileState::Read || hosts.state == HostsFileState::TooLarge;
        if (!Arity(hasContent ? 5 : 3) || !Text(2, hosts.path))
            return false;
        if (!hasContent)
            return NextRecord();
        const std::optional<std::uint64_t> size = StrictDecimal(tokens_[3].text, UINT64_MAX);
        const std::string digest = tokens_[4].text;
        if (tokens_[3].quoted || !size)
            return Fail("the hosts file's size is not a number");
        bool digestForm = !tokens_[4].quoted && digest.size() == kDigestHexLength;
        for (char c : digest)
            digestForm = digestForm && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
        if (!digestForm)
            return Fail("the hosts file's digest is not 64 small hexadecimal digits");
        const bool tooLarge = *size > kHostsFileParseLimit;
        if (tooLarge != (hosts.state == HostsFileState::TooLarge))
            return Fail("the hosts file's size does not go with its state");
        if (tooLarge) {
            hosts.content = HostsContentFromDigest(*size, digest);
            return NextRecord();
        }
        const std::size_t hostsLine = lineNumber_;
        std::string bytes;
        while (NextRecord() && Is("hosts-line")) {
            if (!Arity(2) || !tokens_[1].quoted || tokens_[1].text.empty())
                return damage_.empty() ? Fail("record \"hosts-line\" takes one text that is not empty") : false;
            if (bytes.size() + tokens_[1].text.size() > *size)
                return FailAt(hostsLine, "the hosts file's lines hold more than its size");
            bytes += tokens_[1].text;
        }
        if (!damage_.empty())
            return false;
        if (bytes.size() != *size)
            return FailAt(hostsLine, "the hosts file's lines hold less than its size");
        if (Sha256Hex(bytes) != digest)
            return FailAt(hostsLine, "the hosts file's lines do not match its digest");
        hosts.content = HostsContentFromBytes(std::move(bytes));
        return true;
    }

    bool ParseAll(ResolutionSettings& settings) {
        if (!ParseHeader() || !ParseAdapters(settings.adapters) || !ParseStores(settings.stores) ||
            !ParseHosts(settings.hosts))
            return false;
        if (!Is("end") || !Arity(1))
            return damage_.empty() ? Fail("expected the end") : false;
        if (NextLine())
            return Fail("something follows the end");
        return true;
    }

    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t lineNumber_ = 0;
    std::string_view line_;
    std::vector<Token> tokens_;
    std::string damage_;
};

}  // namespace

std::string DnsBaselinePath(const std::string& folder) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/')
        return folder + kDnsBaselineFileName;
    return folder + "\\" + kDnsBaselineFileName;
}

std::string SerializeDnsBaseline(const ResolutionSettings& settings) {
    std::string text;
    AddRecord(text, std::string(kHeaderPrefix) + std::to_string(kDnsBaselineFormatVersion));
    AddRecord(text, std::string("adapters ") + StateWord(settings.adapters.state));
    for (const AdapterDns& adapter : settings.adapters.adapters) {
        AddRecord(text, "adapter " + Quoted(adapter.id) + " " + Quoted(adapter.name));
        for (const std::string& server : adapter.ipv6Servers)
            AddRecord(text, "ipv6 " + server);
        for (const std::string& server : adapter.ipv4Servers)
            AddRecord(text, "ipv4 " + server);
    }
    for (const RegistryStoreDefinition& definition : RegistryStoreDefinitions()) {
        const RegistryStoreSnapshot& store = settings.store(definition.store);
        AddRecord(text, std::string("store ") + definition.token + " " + StateWord(store.state));
        for (const RegistryKeyRecord& key : store.keys) {
            AddRecord(text, "key " + Quoted(key.path) + " " + StateWord(key.state));
            for (const RegistryValue& value : key.values) {
                // An empty list has no data field at all.
                const std::string data = DataField(value);
                AddRecord(text, "value " + Quoted(value.name) + " " + RegistryTypeName(value.type) +
                                    (data.empty() ? "" : " " + data));
            }
        }
    }
    const HostsFileSnapshot& hosts = settings.hosts;
    std::string record = std::string("hosts ") + HostsStateWord(hosts.state) + " " + Quoted(hosts.path);
    if (hosts.content && (hosts.state == HostsFileState::Read || hosts.state == HostsFileState::TooLarge))
        record += " " + std::to_string(hosts.content->size) + " " + hosts.content->digest;
    AddRecord(text, record);
    if (hosts.content && hosts.state == HostsFileState::Read)
        AddHostsLines(text, hosts.content->bytes);
    AddRecord(text, "end");
    return text;
}

DnsBaselineReading ParseDnsBaseline(const std::optional<std::string>& fileText) {
    if (!fileText)
        return DnsBaselineReading();
    return BaselineParser(*fileText).Parse();
}

std::string DescribeDnsBaselineReading(const DnsBaselineReading& reading) {
    switch (reading.status) {
        case DnsBaselineStatus::NoBaseline:
            return "no baseline";
        case DnsBaselineStatus::Read:
            return "read";
        case DnsBaselineStatus::Damaged:
            return "damaged: " + reading.damage;
    }
    return "";
}

}  // namespace quillcrest
